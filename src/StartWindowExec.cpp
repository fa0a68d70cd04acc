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

// The window program has this program's own name, so that the process keeps its name. It lies in
// libexec/tarvik in the build folder, beside the program, and where the program is installed as
// the install's folders have it (TARVIK_WINDOW_FROM_BIN, from the program's folder).
int StartWindow(int, char** argv, const QString&) {
    const std::string folder = ProgramFolder();
    std::string tried = "the program's own folder is not known";
    if (!folder.empty()) {
        tried.clear();
        for (const char* place : {"libexec/tarvik/tarvik", TARVIK_WINDOW_FROM_BIN}) {
            const std::string window = folder + "/" + place;
            ::execv(window.c_str(), argv); // returns only when it could not start
            if (tried.empty() || errno != ENOENT)
                tried = window + ": " + std::strerror(errno);
        }
    }
    std::fprintf(stderr, "tarvik: can't start the window: %s\n", tried.c_str());
    return 2;
}

} // namespace tarvik
