#include "platform/DlgAIc.h"

#include <QDir>
#include <QFileDialog>

namespace tarvik {

namespace {

// "(Flightplans.txt)|FlightPlans.txt" as a Qt name filter: description, then the pattern.
QString QtFilter(const QString& filter) {
    const int bar = filter.indexOf('|');
    if (bar < 0)
        return filter;
    return QStringLiteral("%1 (%2)").arg(filter.left(bar), filter.mid(bar + 1));
}

} // namespace

bool DlgAIc::ShowOpen(QWidget* parent) {
    return Show(Mode::Open, parent);
}

bool DlgAIc::ShowSave(QWidget* parent) {
    return Show(Mode::Save, parent);
}

bool DlgAIc::Show(Mode mode, QWidget* parent) {
    const std::optional<QString> chosen = Ask(mode, parent);
    if (!chosen)
        return !CancelError;
    FileName = *chosen;
    return true;
}

std::optional<QString> DlgAIc::Ask(Mode mode, QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Qt's own dialog matches the filter ignoring case, as the platform the files come from does;
    // a desktop's native dialog may not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!Filter.isEmpty())
        dialog.setNameFilter(QtFilter(Filter));
    if (!InitDir.isEmpty())
        dialog.setDirectory(InitDir);
    // A file name chosen before is proposed again, in its own folder.
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace tarvik
