#include "window/TarvikIcon.h"

#include <QPainter>
#include <QPolygon>

namespace tarvik {

namespace {

enum Colour {
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Silver,
    Grey,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White
};

constexpr int Side = 32;

QColor C(Colour colour) {
    return QColor::fromRgb(IconPalette()[static_cast<std::size_t>(colour)]);
}

void Fill(QPainter& painter, const QPolygon& shape, Colour colour) {
    painter.setPen(C(colour));
    painter.setBrush(C(colour));
    painter.drawPolygon(shape);
}

void DrawGround(QPainter& painter) {
    painter.fillRect(0, 0, Side, 21, C(Blue));
    painter.fillRect(0, 0, Side, 6, C(Navy));
    painter.fillRect(0, 21, Side, Side - 21, C(Green));
    Fill(painter, QPolygon({{13, 21}, {18, 21}, {27, 31}, {4, 31}}), Grey);
    for (int y = 22; y < Side; y += 4)
        painter.fillRect(15, y, 2, 2, C(White));
    painter.fillRect(3, 30, 2, 2, C(Yellow));
    painter.fillRect(27, 30, 2, 2, C(Yellow));
}

void DrawAircraft(QPainter& painter) {
    Fill(painter,
         QPolygon({{15, 9}, {2, 15}, {2, 17}, {15, 14}, {16, 14}, {29, 17}, {29, 15}, {16, 9}}),
         Silver);
    Fill(painter,
         QPolygon({{15, 22}, {11, 25}, {11, 26}, {15, 25}, {16, 25}, {20, 26}, {20, 25}, {16, 22}}),
         Silver);
    Fill(painter,
         QPolygon({{15, 2}, {16, 2}, {17, 4}, {17, 24}, {16, 27}, {15, 27}, {14, 24}, {14, 4}}),
         White);
    painter.fillRect(15, 3, 2, 2, C(Black));
    painter.fillRect(2, 15, 1, 2, C(Red));
    painter.fillRect(29, 15, 1, 2, C(Lime));
    painter.fillRect(15, 25, 2, 2, C(Red));
}

} // namespace

const std::array<QRgb, 16>& IconPalette() {
    static const std::array<QRgb, 16> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return palette;
}

QImage DrawTarvikIcon() {
    QImage image(Side, Side, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawGround(painter);
    DrawAircraft(painter);
    painter.end();
    return image;
}

} // namespace tarvik
