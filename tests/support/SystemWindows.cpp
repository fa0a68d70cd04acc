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

} // namespace tarvik::testing
