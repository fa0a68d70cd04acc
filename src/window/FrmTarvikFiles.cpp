#include "window/FrmTarvik.h"

#include <QCloseEvent>

namespace tarvik {

void FrmTarvik::SetUpFiles() {}
void FrmTarvik::MnuOpen_Click() {}
void FrmTarvik::MnuSave_Click() {}
void FrmTarvik::MnuExit_Click() {}
bool FrmTarvik::MaySaveChanges() {
    return true;
}
bool FrmTarvik::SaveWithDialog() {
    return false;
}
void FrmTarvik::EndProgram() {}
void FrmTarvik::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
}

} // namespace tarvik
