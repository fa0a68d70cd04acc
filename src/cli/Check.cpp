// tarvik check FILE...: each set loaded as the window loads it, its doubtful lines and a load that
// stopped written as FILE:LINE: diagnostics, then its figures.

#include "cli/Commands.h"

#include "traffic/Load.h"
#include "traffic/QtPaths.h"

#include <algorithm>
#include <cinttypes>

namespace tarvik::cli {

namespace {

enum Status { Clean = 0, Doubtful = 1, Unread = 2 };

Status CheckSet(const std::string& path, std::FILE* out) {
    TrafficSet set;
    int64_t doubtful = 0;
    const LoadResult result = LoadGiven(
        path, set,
        [&](int64_t line, const std::string& text) {
            ++doubtful;
            std::fprintf(out, "%s:%" PRId64 ": There may be a problem in this line: ",
                         set.PlansFile.c_str(), line);
            std::fwrite(text.data(), 1, text.size(), out);
            std::fputc('\n', out);
        },
        PlansKept::Counted);
    if (!result.Complete) {
        std::fprintf(out, "%s\n", StopText(result.Stop).c_str());
        return Unread;
    }
    std::fprintf(out, "%s: %d plans, %d aircraft, %d airports, %" PRId64 " doubtful lines\n",
                 set.PlansFile.c_str(), result.Plans, set.LastAircraft + 1, set.LastAirport + 1,
                 doubtful);
    return doubtful > 0 ? Doubtful : Clean;
}

} // namespace

int Check(const QStringList& files, Console console) {
    if (files.isEmpty())
        return Fail(console, "check needs at least one FILE\nTry 'tarvik --help'.");
    int status = Clean;
    for (const QString& file : files)
        status = std::max<int>(status, CheckSet(PathFromQt(file), console.Out));
    std::fflush(console.Out);
    return status;
}

} // namespace tarvik::cli
