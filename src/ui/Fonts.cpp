// SPDX-License-Identifier: MIT
#include "Fonts.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ui {

void installFontSubstitutions() {
    QFont::insertSubstitutions(PGothic, QStringList{u"IPAPGothic"_s, u"Noto Sans CJK JP"_s});
    QFont::insertSubstitutions(MaruGothic, QStringList{u"MotoyaLMaru"_s, u"Noto Sans CJK JP"_s});
}

QFont makeFont(const FontSpec &design) {
    QFont font(design.family);
    font.setPointSizeF(design.points);
    font.setWeight(design.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(design.italic);
    return font;
}

} // namespace ui
