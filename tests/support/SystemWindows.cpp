#include "support/System.h"

#include <windows.h>

namespace tarvik::testing {

const char* const NoSpecialFiles =
    "Windows keeps pipes and devices out of the folders; the Windows tests open device names";

bool MakePipe(const QString&) {
    return false;
}

bool LinkToEndlessDevice(const QString&) {
    return false;
}

const char* const NoFileSizeLimit =
    "Windows has no limit on the size of the files a process writes; failing writes are tested";

bool LimitFileSize(qint64) {
    return false;
}

// The C runtime's clock() counts wall time on Windows.
double ProcessorSeconds() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0;
    const auto seconds = [](const FILETIME& t) {
        return double((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace tarvik::testing
