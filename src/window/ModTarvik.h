#pragma once
// Placing the window on the screen.

class QWidget;

namespace tarvik {

struct Placement {
    long Left = 0;
    long Top = 0;
};

// Where a window of the given outer size goes on a screen of the given size (all in twips):
// centred across, its middle at 42.5 % of the screen's height, without clamping.
Placement CenterPosition(double screenWidth, double screenHeight, double windowWidth,
                         double windowHeight);

// Moves the window's frame to CenterPosition on the window's screen and shows it. The frame is
// known only once the window is on the screen, so the window is placed by its inner size first,
// shown, and placed again by its frame as soon as the window manager has framed it.
void CenterAndShow(QWidget& window);

} // namespace tarvik
