#pragma once
// The program's command line: `tarvik [FILE]` starts the window, `tarvik check FILE...` and
// `tarvik apply ...` work without it, `--help` and `--version` answer and end.

#include "run/RandomId.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace tarvik::cli {

// Where a command writes: its result, and its talk and errors.
struct Console {
    std::FILE* Out = stdout;
    std::FILE* Err = stderr;
};

// True when args (the program's name first) ask for a command that needs no window: "check" or
// "apply" first, or --help, -h, --version or -v anywhere.
bool IsCommand(const QStringList& args);

// Runs the command that args ask for and returns the exit status. Reads numbers with "." as the
// decimal point whatever the locale.
int RunCommand(const QStringList& args, RandomSource& random, Console console = {});

// The window's arguments: nothing, or the flight-plan file (or its folder) to open at start.
struct WindowArguments {
    bool Ok = true;
    QString File;  // the flight-plan file to open; empty for none
    QString Error; // why the arguments are refused, when not Ok
};
WindowArguments ParseWindowArguments(const QStringList& args);

} // namespace tarvik::cli
