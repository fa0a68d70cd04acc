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

// Places the window by CenterPosition and shows it.
void CenterAndShow(QWidget& window);

} // namespace tarvik
