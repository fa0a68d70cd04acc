#include "StartWindow.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tarvik {

namespace {

// The folder of this program's file, from the system's link to it.
std::string ProgramFolder() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

} // namespace

// The window program has this program's own name, so that the process keeps its name, and lies in
// libexec/tarvik under the build folder, or beside bin where the program is installed.
int StartWindow(int, char** argv, const QString&) {
    const std::string folder = ProgramFolder();
    std::string tried;
    for (const char* place : {"/libexec/tarvik/tarvik", "/../libexec/tarvik/tarvik"}) {
        const std::string window = folder + place;
        ::execv(window.c_str(), argv); // returns only when it could not start
        if (tried.empty() || errno != ENOENT)
            tried = window + ": " + std::strerror(errno);
    }
    std::fprintf(stderr, "tarvik: can't start the window: %s\n", tried.c_str());
    return 2;
}

} // namespace tarvik
