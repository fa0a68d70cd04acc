#pragma once
// What kind of file a path names, and a stamp that tells whether another program changed a file.

#include <cstdint>
#include <string>

namespace tarvik {

// A traffic file bigger than this is more than any set the tables can hold.
inline constexpr uint64_t LargestTrafficFile = uint64_t{1} << 30;

// Which file a path named, its size and when it was last written.
struct FileStamp {
    std::string Path;   // the path it was taken of
    bool Known = false; // the file existed
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t Modified = 0; // in nanoseconds, or the finest unit the system keeps

    bool operator==(const FileStamp& other) const {
        return Path == other.Path && Known == other.Known && Device == other.Device &&
               Inode == other.Inode && Size == other.Size && Modified == other.Modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// The stamp of the file at path, links followed; not Known when there is none.
FileStamp StampOf(const std::string& path);

// True when path names the stamped file's path and a file is there, but not the same file as it
// was stamped: another program wrote it, or put another file in its place.
bool ChangedSince(const FileStamp& stamp, const std::string& path);

// Empty when path names a plain file, links followed, or nothing at all; otherwise what it names
// instead ("a folder", "a named pipe", "a device", "a socket").
std::string NotPlainFile(const std::string& path);

} // namespace tarvik
