#include "platform/DlgAIc.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tarvik {

namespace {

// "(Flightplans.txt)|FlightPlans.txt" as a Qt name filter. The files come from a platform that
// ignores case, so the pattern matches every spelling of the name.
QString QtFilter(const QString& filter) {
    const int bar = filter.indexOf('|');
    if (bar < 0)
        return filter;
    const QString description = filter.left(bar);
    QString pattern;
    for (const QChar c : filter.mid(bar + 1)) {
        if (c.isLetter())
            pattern += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            pattern += c;
    }
    return QStringLiteral("%1 (%2)").arg(description, pattern);
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
    if (!Filter.isEmpty())
        dialog.setNameFilter(QtFilter(Filter));
    QString start = InitDir;
    if (!FileName.isEmpty()) {
        const QFileInfo info(FileName);
        if (start.isEmpty())
            start = info.absolutePath();
        dialog.selectFile(info.fileName());
    }
    if (!start.isEmpty())
        dialog.setDirectory(start);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace tarvik
