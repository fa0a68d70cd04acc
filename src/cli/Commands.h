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

// Loads the set that path names (a flight-plan file, or a folder that holds one) into set, as Open
// does; a path that names no flight-plan file stops the load at its line 0.
LoadResult LoadGiven(const std::string& path, TrafficSet& set, const ReportLine& report,
                     PlansKept kept = PlansKept::InTable);

// A load that stopped, as "FILE: Could not read: REASON" when the file could not be read at all,
// else "FILE:LINE: Loading stopped: REASON".
std::string StopText(const LoadStop& stop);

} // namespace tarvik::cli
