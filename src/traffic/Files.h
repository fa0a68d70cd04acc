#pragma once
// Whether another program changed a file since it was stamped; the stamp itself and what kind of
// file a path names come from the system's file access.

#include "platform/os/FileAccess.h"

#include <cstdint>
#include <string>

namespace tarvik {

// A traffic file bigger than this is more than any set the tables can hold.
inline constexpr uint64_t LargestTrafficFile = uint64_t{1} << 30;

// True when path names the stamped file's path and a file is there, but not the same file as it
// was stamped: another program wrote it, or put another file in its place.
bool ChangedSince(const FileStamp& stamp, const std::string& path);

} // namespace tarvik
