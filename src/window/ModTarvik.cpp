#include "window/ModTarvik.h"

#include <QWidget>

namespace tarvik {

Placement CenterPosition(double, double, double, double) {
    return {};
}
void CenterAndShow(QWidget& window) {
    window.show();
}

} // namespace tarvik
