#pragma once

#include <QRect>
#include <QSize>

namespace ui {

// Window layouts are designed in twips; at 96 dots per inch a pixel is 15 twips.
// Qt's device-independent pixels are that 96-dpi pixel, so high-density screens scale on top.
inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

constexpr QRect twipsRect(const QRect& twips)
{
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}

constexpr QSize twipsSize(int width, int height)
{
    return QSize(px(width), px(height));
}

} // namespace ui
