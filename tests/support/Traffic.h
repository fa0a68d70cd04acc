#pragma once
// Traffic sets for tests, the fuzz targets and the bench: byte strings, files on disk, plans in
// memory. QtCore only.

#include "traffic/Load.h"
#include "traffic/QtPaths.h"
#include "traffic/Tables.h"

#include <QtCore>

#include <string>
#include <string_view>

namespace tarvik::testing {

// Tests hold byte strings as QByteArray; the code under test takes std::string.
inline QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string S(const QByteArray& b) {
    return b.toStdString();
}

// The file a save goes to, holding an old set, alone in a folder.
struct SaveTarget {
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("FlightPlans.txt");
    const QByteArray Old = "// the old set\r\nAC#1,OLD,10%,24Hr,IFR,X,KSEA\r\n";
    SaveTarget();
    // The old file is there byte for byte, and nothing beside it.
    bool Untouched() const;
    // A file beside the target holds more than point bytes, or the target was replaced.
    bool Saving(qint64 point) const;
};

// A file under tests/data.
QString DataPath(const QString& name);
// The file's bytes, or "<unreadable>".
QByteArray ReadAll(const QString& path);
// Writes bytes to path, making its folder first.
bool WriteFile(const QString& path, const QByteArray& bytes);
// The names in a folder, hidden ones included.
QStringList Entries(const QString& folder);
// Copies the set of tests/data/<set> into folder; returns its flight-plan file.
QString CopySet(const QString& set, const QString& folder);
// A comment line and one plan more than the plan table holds, with the two lists beside it:
// written once by the build.
QString LargePlansFile();
// The answer of a save asked whether to overwrite a file another program changed: yes.
inline bool Overwrite() {
    return true;
}

// Loads the set of plansFile; reports, when given, gathers each doubtful line as "number: text".
LoadResult LoadSet(TrafficSet& set, const QString& plansFile, QStringList* reports = nullptr);
// Appends count plans "AC#1,N<i>,<pcent>%,24Hr,IFR,06:00,07:00,KPDX,KSEA".
void AddPlans(TrafficSet& set, int count, int16_t pcent = 10);
// The text a save writes for set.
QByteArray Written(const TrafficSet& set);

// A plan written as Tag|TailNum|Pcent|Rate|Ivfr|TheRest|HPort|Cment, and back.
FlightPlan PlanFrom(const QByteArray& fields);
QByteArray FieldsOf(const FlightPlan& plan);

} // namespace tarvik::testing
