#include "platform/Native.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <shellapi.h>

namespace tarvik::native {

// argv holds the arguments in the system's ANSI code page, which can't spell every file name: the
// wide command line can.
QStringList ProgramArguments(int, char**) {
    QStringList args;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            args << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
    return args;
}

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\Tarvik"),
                                       QSettings::NativeFormat);
}

namespace {
bool GoesSomewhere(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
} // namespace

void UseStartingConsole() {
    const bool out = GoesSomewhere(STD_OUTPUT_HANDLE);
    const bool err = GoesSomewhere(STD_ERROR_HANDLE);
    if (!(out && err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!out)
            std::freopen("CONOUT$", "w", stdout);
        if (!err)
            std::freopen("CONOUT$", "w", stderr);
    }
    // The output is written byte for byte, "\n" not made CR LF, so that a diff keeps each line's
    // own line end; a console shows a lone "\n" as a line end anyway.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace tarvik::native
