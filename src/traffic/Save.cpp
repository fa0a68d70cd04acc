#include "traffic/Save.h"

#include "traffic/Files.h"
#include "traffic/PlanLine.h"
#include "traffic/QtPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cstdint>
#include <memory>

namespace tarvik {

namespace {
constexpr std::size_t FlushAt = 256 * 1024;

// Writes data whole; false when a write failed.
bool Write(std::string_view data, QIODevice& out) {
    // A write that comes up short (a disk filling up in the middle of it) goes on with the rest,
    // so that the next write fails with the system's reason.
    const char* at = data.data();
    auto left = static_cast<qint64>(data.size());
    while (left > 0) {
        const qint64 written = out.write(at, left);
        if (written <= 0)
            return false;
        at += written;
        left -= written;
    }
    // A file device keeps the end of a write in its own buffer, and a commit of a file whose last
    // write came up short (a full disk) would still succeed: push every block to the system.
    auto* file = qobject_cast<QFileDevice*>(&out);
    return !file || file->flush();
}

bool Flush(std::string& block, QIODevice& out) {
    if (block.empty())
        return true;
    const bool ok = Write(block, out);
    block.clear();
    return ok;
}

// The mode bits of a file, owner, group and others alike; QSaveFile takes the saver's
// own access for the owner's, which makes a read-only file writable when root saves it.
QFileDevice::Permissions ModeBits(const QFileInfo& info) {
    constexpr QFileDevice::Permissions callers =
        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    return info.permissions() & ~callers;
}
} // namespace

bool SavedLines::Next(std::string_view& line) {
    const std::vector<KeptLine>& kept = Set.KeptLines;
    if (Kept < kept.size() && (kept[Kept].Before <= Plan || Plan > Set.LastPlan)) {
        line = kept[Kept++].Text;
        return true;
    }
    if (Plan > Set.LastPlan)
        return false;
    line = SavedLine(Set.PlanTable[Plan++]);
    return true;
}

namespace {

constexpr std::string_view SavedEnd = "\r\n";

// The file's text as it goes out: lines that lie one after the other in the text the set was read
// from, each ended there by CR LF, go out as one run straight from it; every other line is copied
// into a block with its CR LF.
class PlansOutput {
public:
    PlansOutput(QIODevice& out, std::string_view text)
        : Out(out), TextBegin(Address(text.data())), TextEnd(TextBegin + text.size()) {
        Block.reserve(FlushAt + 4096);
    }

    bool Put(std::string_view line) {
        if (HasRun && Within(line) && line.data() == RunEnd + SavedEnd.size() && EndedInText()) {
            RunEnd = line.data() + line.size();
            return true;
        }
        if (!PutRun())
            return false;
        if (Within(line)) {
            HasRun = true;
            RunBegin = line.data();
            RunEnd = line.data() + line.size();
            return true;
        }
        Block.append(line);
        Block.append(SavedEnd);
        return Block.size() < FlushAt || Flush(Block, Out);
    }

    bool Finish() { return PutRun() && Flush(Block, Out); }

private:
    static std::uintptr_t Address(const char* p) { return reinterpret_cast<std::uintptr_t>(p); }

    bool Within(std::string_view line) const {
        return Address(line.data()) >= TextBegin && Address(line.data()) + line.size() <= TextEnd;
    }
    // True when the run is followed by CR LF in the text.
    bool EndedInText() const {
        return Address(RunEnd) + SavedEnd.size() <= TextEnd &&
               std::string_view(RunEnd, SavedEnd.size()) == SavedEnd;
    }

    bool PutRun() {
        if (!HasRun)
            return true;
        HasRun = false;
        const std::string_view run(RunBegin, static_cast<std::size_t>(RunEnd - RunBegin));
        const bool ended = EndedInText();
        if (run.size() < FlushAt) {
            Block.append(run);
            Block.append(SavedEnd);
            return Block.size() < FlushAt || Flush(Block, Out);
        }
        if (!Flush(Block, Out))
            return false;
        std::string_view all(run.data(), run.size() + (ended ? SavedEnd.size() : 0));
        if (!Write(all, Out))
            return false;
        if (!ended)
            Block.append(SavedEnd);
        return true;
    }

    QIODevice& Out;
    const std::uintptr_t TextBegin;
    const std::uintptr_t TextEnd;
    std::string Block;
    bool HasRun = false;
    const char* RunBegin = nullptr;
    const char* RunEnd = nullptr;
};

} // namespace

bool WritePlans(const TrafficSet& set, QIODevice& out) {
    PlansOutput output(out,
                       set.PlansTexts.empty() ? std::string_view() : set.PlansTexts.back().View());
    SavedLines lines(set);
    std::string_view line;
    while (lines.Next(line))
        if (!output.Put(line))
            return false;
    return output.Finish();
}

namespace {
SaveResult SaveThrough(const std::string& path, const TextWriter& write);
} // namespace

SaveResult SaveSet(TrafficSet& set, const std::string& path, const std::function<bool()>& overwrite,
                   const TextWriter& write) {
    SaveResult declined;
    declined.ChangedByOthers = true;
    if (ChangedSince(set.PlansStamp, path) && !overwrite())
        return declined;
    // Whether the file there is still the one it was when the question was asked, or before.
    const FileStamp before = StampOf(path);
    bool changedMeanwhile = false;
    const TextWriter text = [&](QIODevice& out) {
        if (!(write ? write(out) : WritePlans(set, out)))
            return false;
        changedMeanwhile = StampOf(path) != before;
        return !changedMeanwhile;
    };
    SaveResult saved = SaveThrough(path, text);
    if (changedMeanwhile)
        return declined;
    if (saved.Ok)
        set.PlansStamp = StampOf(path);
    return saved;
}

namespace {

// Writes the text into the open file; the reason when a write failed, empty otherwise.
std::string WriteInto(const TextWriter& write, QFileDevice& file) {
    if (write(file))
        return {};
    const QString why = file.errorString();
    return why.isEmpty() ? std::string("a write failed") : why.toStdString();
}

// QSaveFile writes beside the target under the target's name with seven characters added, which a
// name near the system's limit can't take.
bool QSaveFileNameFits(const QFileInfo& target) {
    constexpr std::size_t Added = 7;
    return PathFromQt(target.fileName()).size() + Added <=
           LongestName(PathFromQt(target.absolutePath()));
}

SaveResult SaveThroughQSaveFile(const TextWriter& write, const QString& target,
                                const QFileInfo& existing) {
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString().toStdString()};
    if (existing.exists() && !file.setPermissions(ModeBits(existing))) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {false, why.toStdString()};
    }
    if (const std::string why = WriteInto(write, file); !why.empty()) {
        file.cancelWriting();
        return {false, why};
    }
    if (!file.commit())
        return {false, file.errorString().toStdString()};
    return {true, {}};
}

// Writes a new file under a short name of its own beside the target, pushes it to the disk and
// then puts it in the target's place in one step.
SaveResult SaveUnderShortName(const TextWriter& write, const QString& target,
                              const QFileInfo& existing) {
    const QString folder = QFileInfo(target).absolutePath();
    QFile file;
    for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
        file.setFileName(folder +
                         QStringLiteral("/.tarvik-%1.tmp")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
            file.error() != QFileDevice::OpenError)
            break;
    }
    if (!file.isOpen())
        return {false, file.errorString().toStdString()};
    std::string why;
    if (existing.exists() && !file.setPermissions(ModeBits(existing)))
        why = file.errorString().toStdString();
    if (why.empty())
        why = WriteInto(write, file);
    if (why.empty())
        why = SyncToDisk(file.handle());
    file.close();
    if (why.empty())
        why = RenameOver(PathFromQt(file.fileName()), PathFromQt(target));
    if (!why.empty()) {
        file.remove();
        return {false, why};
    }
    return {true, {}};
}

SaveResult SaveThrough(const std::string& path, const TextWriter& write) {
    QString target = QtPath(path);
    // Write through a link to the file it names, so that the link stays a link.
    const QFileInfo info(target);
    if (info.isSymLink())
        target = info.symLinkTarget();

    // A device or a pipe would be replaced by a plain file.
    if (const std::string kind = NotPlainFile(PathFromQt(target));
        !kind.empty() && kind != "a folder")
        return {false, "it is " + kind + ", not a file"};
    const QFileInfo existing(target);

    // The file replaced gives back its room after the save, not in its last step.
    const HeldFile replaced(PathFromQt(target));
    if (QSaveFileNameFits(existing))
        return SaveThroughQSaveFile(write, target, existing);
    return SaveUnderShortName(write, target, existing);
}
} // namespace

} // namespace tarvik
