#include "support/System.h"

#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tarvik::testing {

const char* const NoSpecialFiles = nullptr;

bool MakePipe(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool LinkToEndlessDevice(const QString& path) {
    return QFile::link(QStringLiteral("/dev/zero"), path);
}

const char* const NoFileSizeLimit = nullptr;

bool LimitFileSize(qint64 bytes) {
    static rlimit unlimited{};
    static const bool known =
        (std::signal(SIGXFSZ, SIG_IGN), ::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    if (!known)
        return false;
    rlimit limit = unlimited;
    if (bytes >= 0)
        limit.rlim_cur = rlim_t(bytes);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace tarvik::testing
