#include "window/ModTarvik.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace tarvik {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int FrameWaitMs = 1000;

// Rounds to the nearest integer, halves to the even one.
long long Rounded(double value) {
    return std::llrint(value);
}

long long Twips(int pixels) {
    return static_cast<long long>(pixels) * TwipsPerPixel;
}

int Pixels(long twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixel));
}

// Moves the window's frame to CenterPosition for its screen and its outer size as now known.
void PlaceOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = window.frameGeometry().size();
    const Placement at = CenterPosition(
        static_cast<double>(Twips(area.width())), static_cast<double>(Twips(area.height())),
        static_cast<double>(Twips(outer.width())), static_cast<double>(Twips(outer.height())));
    window.move(area.left() + Pixels(at.Left), area.top() + Pixels(at.Top));
}

// Runs the window's events, not the user's, until the window is on the screen (and so framed by
// the window manager) or FrameWaitMs have passed.
void WaitUntilExposed(QWidget& window) {
    const QWindow* handle = window.windowHandle();
    if (!handle || handle->isExposed())
        return;
    QEventLoop loop;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (handle->isExposed() || waited.hasExpired(FrameWaitMs))
            loop.quit();
    });
    poll.start(5);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

Placement CenterPosition(double screenWidth, double screenHeight, double windowWidth,
                         double windowHeight) {
    Placement at;
    at.Top = static_cast<long>(Rounded(screenHeight * 0.85) / 2 - Rounded(windowHeight) / 2);
    at.Left = static_cast<long>(Rounded(screenWidth) / 2 - Rounded(windowWidth) / 2);
    return at;
}

void CenterAndShow(QWidget& window) {
    PlaceOnScreen(window);
    window.show();
    WaitUntilExposed(window);
    PlaceOnScreen(window);
}

} // namespace tarvik
