// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

#include <cmath>

namespace ui {

// Window designs are measured in twips; at 96 dpi a pixel is 15 twips and
// Qt's high-DPI scaling takes care of denser screens.
inline constexpr float kTwipsPerPixel = 15.0f;

inline int toPixels(float twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline float toTwips(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

// Left, Top, Width, Height of a control in its window's client area.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    QRect toPixels() const {
        return QRect(ui::toPixels(left), ui::toPixels(top), ui::toPixels(width),
                     ui::toPixels(height));
    }
};

} // namespace ui
