#pragma once
// What tests need of the system that differs between Linux and Windows: odd files and faults, where
// the system can make them, and the processor time used.

#include <QString>

namespace tarvik::testing {

// nullptr where a named pipe or a device can stand at a file's path; else why not.
extern const char* const NoSpecialFiles;
bool MakePipe(const QString& path);
// A link to a device that never ends.
bool LinkToEndlessDevice(const QString& path);

// nullptr where a process can cap the size of the files it writes; else why not.
extern const char* const NoFileSizeLimit;
// Caps the size of the files this process writes at bytes, as a full disk would; -1 lifts the cap.
bool LimitFileSize(qint64 bytes);

} // namespace tarvik::testing
