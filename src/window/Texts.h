#pragma once
// The texts of the window's messages.

#include <QString>

namespace tarvik::texts {

inline const QString Oops = QStringLiteral("OOPS");
inline const QString Warning = QStringLiteral("WARNING");

inline const QString SaveQuestion =
    QStringLiteral("Flight Plans Have Been Changed\nDo You Wish To Save Them");
inline const QString NoAirport = QStringLiteral("No matching Airport ICAO in 'Airports.txt'");
inline const QString NoAndAirport =
    QStringLiteral("No matching Airport ICAO in 'Airports.txt' for the 'And=' Textbox");

// Loading and saving.
inline QString LoadStopped(const QString& file, qint64 line, const QString& reason) {
    if (line <= 0)
        return QStringLiteral("Could Not Read '%1'\n%2").arg(file, reason);
    return QStringLiteral("Loading Stopped In '%1' At Line %2\n%3").arg(file).arg(line).arg(reason);
}
inline const QString PlansNotWhole =
    QStringLiteral("The Flight Plans Were Not Loaded Completely\nOpen A Traffic Set First");
inline const QString NothingToSave =
    QStringLiteral("No Traffic Set Is Open\nThere Is Nothing To Save");
inline QString SaveFailed(const QString& file, const QString& reason) {
    return QStringLiteral("The Flight Plans Could Not Be Saved To '%1'\n%2").arg(file, reason);
}
inline const QString FolderNotRemembered = QStringLiteral(
    "The Flight Plans Were Saved\nBut Their Folder Could Not Be Written To The Settings");
inline const QString OpenDuringRun =
    QStringLiteral("Finish Or Cancel The Review Before Opening Another Traffic Set");

// Checks made when OK is pressed.
inline QString PickAircraft(const QString& row) {
    return QStringLiteral("Pick An AirCraft From The List In The '%1' Box").arg(row);
}
inline const QString IfPercentageNotNumber = QStringLiteral("The 'If=' Percentage Is Not A Number");
inline const QString ReplacementNeverEnds = QStringLiteral(
    "The 'Then=' AirPort Would Be Replaced Without End\nChoose Another 'Then=' Or 'And=' Value");
inline const QString ThenValueBreaksLine =
    QStringLiteral("The 'Then=' Value May Not Contain a Comma, ';' or '//'");
inline const QString ThenValueCommentMark =
    QStringLiteral("The 'Then=' Value May Not Contain ';' or '//'");
inline const QString HomeAirportTooLong =
    QStringLiteral("A 'Home AirPort' Code Has At Most Four Characters");

} // namespace tarvik::texts
