#pragma once
// The texts of the window's messages.

#include <QString>

namespace tarvik::texts {

inline const QString Oops = QStringLiteral("OOPS");
inline const QString Warning = QStringLiteral("WARNING");

inline const QString SaveQuestion =
    QStringLiteral("Flight Plans Have Been Changed\nDo You Wish To Save Them");

// Loading and saving.
// A doubtful flight-plan line: its number in the file, then the line as the load read it.
inline QString ProblemText(qint64 line, const QString& text) {
    return QStringLiteral("There may be a problem in Line number%1\n%2").arg(line).arg(text);
}
inline QString LoadStopped(const QString& file, qint64 line, const QString& reason) {
    if (line <= 0)
        return QStringLiteral("Could Not Read '%1'\n%2").arg(file, reason);
    return QStringLiteral("Loading Stopped In '%1' At Line %2\n%3").arg(file).arg(line).arg(reason);
}
inline const QString PlansNotWhole =
    QStringLiteral("The Flight Plans Were Not Loaded Completely\nOpen A Traffic Set First");
inline const QString NothingToSave =
    QStringLiteral("No Traffic Set Is Open\nThere Is Nothing To Save");
inline QString ChangedByOthers(const QString& file) {
    return QStringLiteral("'%1' Was Changed By Another Program Since It Was Opened Or Saved Here\n"
                          "Do You Wish To Overwrite It")
        .arg(file);
}
inline QString ReportsNotShown(qint64 count) {
    return count == 1 ? QStringLiteral("1 More Doubtful Line Was Not Shown\n"
                                       "It Is Kept And Written Back Unchanged")
                      : QStringLiteral("%1 More Doubtful Lines Were Not Shown\n"
                                       "They Are Kept And Written Back Unchanged")
                            .arg(count);
}
inline QString SaveFailed(const QString& file, const QString& reason) {
    return QStringLiteral("The Flight Plans Could Not Be Saved To '%1'\n%2").arg(file, reason);
}
inline const QString FolderNotRemembered = QStringLiteral(
    "The Flight Plans Were Saved\nBut Their Folder Could Not Be Written To The Settings");
inline const QString OpenDuringRun =
    QStringLiteral("Finish Or Cancel The Review Before Opening Another Traffic Set");
inline const QString CheckDuringRun =
    QStringLiteral("Finish Or Cancel The Review Before Checking The Traffic Set");

} // namespace tarvik::texts
