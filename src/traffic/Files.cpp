#include "traffic/Files.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarvik {

#ifndef _WIN32

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

#else

FileStamp StampOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::path(path);
    if (!std::filesystem::is_regular_file(p, ec))
        return {path};
    FileStamp stamp;
    stamp.Path = path;
    stamp.Known = true;
    stamp.Size = static_cast<int64_t>(std::filesystem::file_size(p, ec));
    stamp.Modified = std::filesystem::last_write_time(p, ec).time_since_epoch().count();
    return stamp;
}

std::string NotPlainFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(std::filesystem::path(path), ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        return {};
    return std::filesystem::is_directory(status) ? "a folder" : "a device";
}

#endif

bool ChangedSince(const FileStamp& stamp, const std::string& path) {
    if (!stamp.Known || stamp.Path != path)
        return false;
    const FileStamp now = StampOf(path);
    return now.Known && now != stamp;
}

} // namespace tarvik
