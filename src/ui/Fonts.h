// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>

namespace ui {

// The fonts the window designs name; they are requested by these names and
// mapped to installed look-alikes by installFontSubstitutions().
inline const QString PGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString MaruGothic = QStringLiteral("HG丸ｺﾞｼｯｸM-PRO");

struct FontSpec {
    QString family = PGothic;
    qreal points = 9.0;
    int weight = 400; // 400 regular, 700 bold
    bool italic = false;
};

void installFontSubstitutions();
QFont makeFont(const FontSpec &design);

// The window font a Japanese desktop gives controls that name none.
inline FontSpec defaultFontSpec() {
    return {};
}

} // namespace ui
