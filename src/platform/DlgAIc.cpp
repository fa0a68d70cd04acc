#include "platform/DlgAIc.h"

#include <QDir>
#include <QFileDialog>

namespace tarvik {

namespace {

// "(Flightplans.txt)|FlightPlans.txt|..." as Qt name filters: each description with its pattern.
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    if (filters.isEmpty())
        filters << filter;
    return filters;
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
        dialog.setNameFilters(QtFilters(Filter));
    if (!InitDir.isEmpty())
        dialog.setDirectory(InitDir);
    // Save proposes the file chosen before, in its own folder; Open starts in InitDir when it has
    // one.
    if (!FileName.isEmpty() && (mode == Mode::Save || InitDir.isEmpty()))
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace tarvik
