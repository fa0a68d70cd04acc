#include "platform/os/FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/vfs.h>
#endif
#include <unistd.h>

namespace tarvik {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<FolderEntry> EntriesOf(const std::string& folder, std::string& why) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        why = std::strerror(errno);
        return entries;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({name, IsFolder(folder + '/' + name)});
    }
    ::closedir(dir);
    return entries;
}

std::string CurrentFolder() {
    std::string folder(4096, '\0');
    while (!::getcwd(folder.data(), folder.size())) {
        if (errno != ERANGE)
            return ".";
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder;
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {path};
    FileStamp stamp;
    stamp.Path = path;
    stamp.Known = true;
    stamp.Device = static_cast<uint64_t>(st.st_dev);
    stamp.Inode = static_cast<uint64_t>(st.st_ino);
    stamp.Size = static_cast<int64_t>(st.st_size);
#if defined(__APPLE__)
    stamp.Modified =
        static_cast<int64_t>(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    stamp.Modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    return stamp;
}

std::string NotPlainFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return "a folder";
    if (S_ISFIFO(st.st_mode))
        return "a named pipe";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    return "a device";
}

// The file is opened without waiting, so that a pipe put in its place can't block, and looked at
// again through the open descriptor.
std::FILE* OpenForReading(const std::string& path, std::string& why) {
    if (const std::string kind = NotPlainFile(path); !kind.empty()) {
        why = "it is " + kind + ", not a file";
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "it is no longer a plain file";
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        why = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

std::string SyncToDisk(int fd) {
    return ::fsync(fd) == 0 ? std::string() : std::strerror(errno);
}

namespace {
// True for a file on a disk of this machine, in a file system that frees a replaced file's room
// only when its last holder lets it go and lets it be replaced while held. A file held on a share
// may keep another file beside it (NFS) or keep the new one from taking its place (a share of a
// Windows server).
bool HeldWhereItLies(int fd) {
#if defined(__linux__)
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0xF2F52010: // F2FS
    case 0x01021994: // tmpfs
        return true;
    default:
        return false;
    }
#else
    static_cast<void>(fd);
    return false;
#endif
}
} // namespace

HeldFile::HeldFile(const std::string& path) {
    // Never waits: a pipe put in the file's place is let go at once, like any other non-file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !HeldWhereItLies(fd)) {
        ::close(fd);
        return;
    }
    Descriptor = fd;
}

HeldFile::~HeldFile() {
    if (Descriptor < 0)
        return;
    const int fd = Descriptor;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (...) {
        ::close(fd); // no thread to be had: here, then
    }
}

std::string RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? std::string() : std::strerror(errno);
}

std::size_t LongestName(const std::string& folder) {
    const long most = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return most > 0 ? static_cast<std::size_t>(most) : 255;
}

} // namespace tarvik
