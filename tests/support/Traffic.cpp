#include "support/Traffic.h"

#include "traffic/Save.h"

namespace tarvik::testing {

SaveTarget::SaveTarget() {
    WriteFile(Path, Old);
}

bool SaveTarget::Untouched() const {
    return ReadAll(Path) == Old && Entries(Dir.path()) == QStringList{"FlightPlans.txt"};
}

bool SaveTarget::Saving(qint64 point) const {
    const QDir dir(Dir.path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const qint64 size = QFileInfo(entry.filePath()).size();
        if (entry.fileName() == "FlightPlans.txt" ? size != Old.size() : size > point)
            return true;
    }
    return false;
}

QString DataPath(const QString& name) {
    return QStringLiteral(TARVIK_SOURCE_DIR "/tests/data/") + name;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QString CopySet(const QString& set, const QString& folder) {
    for (const char* name : {"Aircraft.txt", "Airports.txt", "FlightPlans.txt"})
        WriteFile(folder + '/' + name, ReadAll(DataPath(set + '/' + name)));
    return folder + QStringLiteral("/FlightPlans.txt");
}

QString LargePlansFile() {
    return QStringLiteral(TARVIK_LARGE_SET "/FlightPlans.txt");
}

LoadResult LoadSet(TrafficSet& set, const QString& plansFile, QStringList* reports) {
    return OpenSet(PathFromQt(plansFile), set, [reports](int64_t line, const std::string& text) {
        if (reports)
            *reports << QString::number(line) + QStringLiteral(": ") + QString::fromLatin1(B(text));
    });
}

void AddPlans(TrafficSet& set, int count, int16_t pcent) {
    const int32_t first = set.LastPlan + 1;
    set.PlanTable.Resize(first + count);
    for (int32_t i = first; i < first + count; ++i)
        set.PlanTable[i].Assign(1, "N" + std::to_string(i), pcent, "24Hr", "IFR", "KSEA",
                                "06:00,07:00,KPDX", "");
    set.LastPlan = first + count - 1;
}

QByteArray Written(const TrafficSet& set) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return WritePlans(set, buffer) ? buffer.data() : QByteArray("<not written>");
}

FlightPlan PlanFrom(const QByteArray& fields) {
    const QList<QByteArray> f = fields.split('|');
    FlightPlan plan;
    plan.Assign(f.value(0).toShort(), S(f.value(1)), f.value(2).toShort(), S(f.value(3)),
                S(f.value(4)), S(f.value(6)), S(f.value(5)), S(f.value(7)));
    return plan;
}

QByteArray FieldsOf(const FlightPlan& p) {
    return QByteArray::number(p.Tag()) + '|' + B(p.TailNum()) + '|' +
           QByteArray::number(p.Pcent()) + '|' + B(p.Rate()) + '|' + B(p.Ivfr()) + '|' +
           B(p.TheRest()) + '|' + B(p.HPort()) + '|' + B(p.Cment());
}

} // namespace tarvik::testing
