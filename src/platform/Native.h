#pragma once
// What the program's start and the window need of the system they run on, Linux or Windows.

#include <QSettings>
#include <QStringList>

#include <memory>

namespace tarvik::native {

// The arguments as the program was given them, before any application object exists.
QStringList ProgramArguments(int argc, char** argv);

// The per-user settings store of the program: ~/.config/Tarvik/Tarvik.conf on Linux, the registry
// key HKEY_CURRENT_USER\Software\Tarvik on Windows.
std::unique_ptr<QSettings> OpenSettings();

// Readies standard output and error for a command: where the program has no console of its own (a
// Windows program started as a window), they go to the console it was started from unless they
// already go somewhere, and on every system they take bytes as they are written.
void UseStartingConsole();

} // namespace tarvik::native
