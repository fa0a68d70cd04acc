#pragma once
// What the traffic files need of the file system and differs between Linux and Windows: what kind
// of file a path names, a stamp that tells whether another program changed a file, opening a file
// for reading without ever blocking on a pipe or a device, pushing a file to the disk and putting
// one file in another's place. Paths are bytes as the system takes them on Linux and UTF-8 on
// Windows, where any length works and "/" and "\" both part the folders.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvik {

// True where paths are kept as UTF-8 (Windows); false where they are the system's own bytes.
#ifdef _WIN32
inline constexpr bool PathsAreUtf8 = true;
#else
inline constexpr bool PathsAreUtf8 = false;
#endif

// What parts the folders of a path: "\" on Windows, where "/" does too; "/" elsewhere.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif
inline constexpr bool IsPathSeparator(char c) {
    return c == '/' || c == PathSeparator;
}

// Whether anything is at path, links followed; whether it is a folder.
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);

// An entry of a folder.
struct FolderEntry {
    std::string Name;
    bool Folder = false;
};
// The entries of folder but "." and ".."; none, with the reason in why, when it can't be read.
std::vector<FolderEntry> EntriesOf(const std::string& folder, std::string& why);

// The current folder.
std::string CurrentFolder();

// Which file a path named, its size and when it was last written.
struct FileStamp {
    std::string Path;    // the path it was taken of
    bool Known = false;  // the file existed
    uint64_t Device = 0; // the device or volume that holds it
    uint64_t Inode = 0;  // the file's number on it
    int64_t Size = 0;
    int64_t Modified = 0; // in the finest unit the system keeps (ns on Linux, 100 ns on Windows)

    bool operator==(const FileStamp& other) const {
        return Path == other.Path && Known == other.Known && Device == other.Device &&
               Inode == other.Inode && Size == other.Size && Modified == other.Modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// The stamp of the file at path, links followed; not Known when there is none.
FileStamp StampOf(const std::string& path);

// Empty when path names a plain file, links followed, or nothing at all; otherwise what it names
// instead ("a folder", "a named pipe", "a device", "a socket").
std::string NotPlainFile(const std::string& path);

// Opens a plain file for reading in binary mode. A pipe, device, socket or folder is refused before
// anything is read from it, also when it was put in the file's place after NotPlainFile looked.
// nullptr, with the reason in why, when the file can't be opened or is not a plain file.
std::FILE* OpenForReading(const std::string& path, std::string& why);

// Pushes what was written through the C runtime descriptor fd to the disk; the reason when it
// failed, empty otherwise.
std::string SyncToDisk(int fd);

// Puts the file at from in the place of the file at to, in one step; the reason when it failed,
// empty otherwise.
std::string RenameOver(const std::string& from, const std::string& to);

// Keeps the plain file at path open until it is let go, which happens on a thread of its own: a
// file replaced meanwhile gives its room back to the system there, not in the step that replaces it
// (freeing a large file's room takes the system about as long as writing a fifth of it). Nothing is
// kept where no plain file is at path, where it lies on a share or in a file system not known to
// take it, or where the system frees a replaced file's room anyway (Windows).
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int Descriptor = -1;
};

// The longest file name that the folder takes.
std::size_t LongestName(const std::string& folder);

} // namespace tarvik
