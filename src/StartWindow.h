#pragma once
// Starts the window on the arguments the program was given, with the flight-plan file to open
// (empty for none), and returns the program's exit status. On Linux the program that runs commands
// loads no window library: it hands its process to the window program installed beside it. On
// Windows, and in that window program, the window runs in this process.

#include <QString>

namespace tarvik {

int StartWindow(int argc, char** argv, const QString& file);

} // namespace tarvik
