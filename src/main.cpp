// tarvik [FILE] starts the window; tarvik check and tarvik apply, --help and --version work
// without it and need no display.

#include "StartWindow.h"
#include "cli/CommandLine.h"
#include "platform/ClockRandom.h"
#include "platform/Native.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    const QStringList args = tarvik::native::ProgramArguments(argc, argv);
    if (tarvik::cli::IsCommand(args)) {
        tarvik::native::UseStartingConsole();
        QCoreApplication app(argc, argv);
        tarvik::ClockRandom random;
        return tarvik::cli::RunCommand(QCoreApplication::arguments(), random);
    }
    const tarvik::cli::WindowArguments window = tarvik::cli::ParseWindowArguments(args);
    if (!window.Ok) {
        tarvik::native::UseStartingConsole();
        std::fprintf(stderr, "tarvik: %s\n", window.Error.toLocal8Bit().constData());
        return 2;
    }
    return tarvik::StartWindow(argc, argv, window.File);
}
