#include "Fonts.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ui {

void installFontSubstitutions() {
    QFont::insertSubstitutions(PGothic, QStringList{u"IPAPGothic"_s, u"Noto Sans CJK JP"_s});
    QFont::insertSubstitutions(MaruGothic, QStringList{u"MotoyaLMaru"_s, u"Noto Sans CJK JP"_s});
}

QFont makeFont(const FontSpec &spec) {
    QFont font(spec.family);
    font.setPointSizeF(spec.points);
    font.setWeight(spec.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(spec.italic);
    return font;
}

} // namespace ui
