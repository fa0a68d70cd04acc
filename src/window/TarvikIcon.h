#pragma once
// The window's icon: an aircraft coming in over a runway, 32 x 32 pixels in the 16 colours of the
// classic palette.

#include <QImage>
#include <QRgb>

#include <array>

namespace tarvik {

// The 16 colours the icon may use.
const std::array<QRgb, 16>& IconPalette();

// Draws the icon; every pixel is one of IconPalette().
QImage DrawTarvikIcon();

} // namespace tarvik
