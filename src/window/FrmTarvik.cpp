#include "window/FrmTarvik.h"

#include "window/ModTarvik.h"
#include "window/ValueCombo.h"

namespace tarvik {

FrmTarvik::FrmTarvik(const Platform& platform, QWidget* parent) : QMainWindow(parent), P(platform) {
    BuildControls();
    SetUpFiles();
    SetUpRuleRows();
    SetUpRun();
}

FrmTarvik::~FrmTarvik() = default;

void FrmTarvik::Form_Load() {
    CenterAndShow(*this);
}

ValueCombo* FrmTarvik::ValueBox(int index) const {
    return static_cast<ValueCombo*>(CMBTarvik[static_cast<std::size_t>(index)]);
}

void FrmTarvik::BuildControls() {}
void FrmTarvik::SetBusy(bool) {}
void FrmTarvik::ShowOops(const QString&) {}
bool FrmTarvik::eventFilter(QObject* watched, QEvent* event) {
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tarvik
