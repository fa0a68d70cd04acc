#pragma once
// The commands that need no window, and what they share.

#include "cli/CommandLine.h"
#include "traffic/Load.h"

#include <QStringList>

#include <string>

namespace tarvik::cli {

// check ...: args are the program's name and the arguments after "check".
int Check(const QStringList& args, Console console);

// apply ...: args are the program's name and the arguments after "apply".
int Apply(const QStringList& args, RandomSource& random, Console console);

// Writes "tarvik: message" and a line end to err; returns the exit status for an error, 2.
int Fail(Console console, const std::string& message);

// A load that stopped, as "FILE: Could not read: REASON" when the file could not be read at all,
// else "FILE:LINE: Loading stopped: REASON".
std::string StopText(const LoadStop& stop);

} // namespace tarvik::cli
