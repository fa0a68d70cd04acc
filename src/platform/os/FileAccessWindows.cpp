#include "platform/os/FileAccess.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tarvik {

namespace {

std::string Narrow(const wchar_t* wide, std::size_t length) {
    if (length == 0)
        return {};
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// The reason for an error code: for the common ones the C runtime's words, which are those Linux
// gives; for the others the system's own, without the line end it puts after them.
std::string SystemReason(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
        return std::strerror(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "another program holds the file open";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = text ? Narrow(text, length) : std::string();
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(code) : reason;
}

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

// The path as the wide calls take it: "\" between folders, and a long path given in the form that
// lifts the limit of 260 characters.
std::wstring NativePath(const std::string& path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    constexpr std::size_t ShortPath = MAX_PATH - 12; // a folder's path leaves room for a 8.3 name
    if (wide.size() < ShortPath || wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0)
        return wide;
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return wide;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A name that Windows takes as a device in any folder (NUL, CON, COM1, ...), or a path in the
// device or pipe namespace; empty for a name of a file.
std::string DeviceName(const std::string& path) {
    std::string_view name = path;
    if (name.rfind("\\\\.\\pipe\\", 0) == 0 || name.rfind("//./pipe/", 0) == 0)
        return "a named pipe";
    if (name.rfind("\\\\.\\", 0) == 0 || name.rfind("//./", 0) == 0)
        return "a device";
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    std::string upper;
    for (const char c : name)
        upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    static constexpr std::string_view Devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : Devices)
        if (upper == device)
            return "a device";
    if (upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
        upper[3] >= '0' && upper[3] <= '9')
        return "a device";
    return {};
}

// What an open handle is, as NotPlainFile words it.
std::string KindOf(HANDLE handle) {
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: {
        FILE_BASIC_INFO info{};
        if (GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) &&
            (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return "a folder";
        return {};
    }
    case FILE_TYPE_PIPE:
        return "a named pipe";
    default:
        return "a device";
    }
}

// Opens path to look at it, not to read it; folders open too.
HANDLE OpenToLook(const std::string& path) {
    return CreateFileW(NativePath(path).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

DWORD AttributesOf(const std::string& path) {
    if (!DeviceName(path).empty())
        return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(NativePath(path).c_str());
}

} // namespace

bool Exists(const std::string& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FolderEntry> EntriesOf(const std::string& folder, std::string& why) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    std::string pattern = folder;
    if (pattern.empty() || !IsPathSeparator(pattern.back()))
        pattern.push_back('\\');
    const HANDLE search = FindFirstFileW(NativePath(pattern + '*').c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        why = SystemReason(GetLastError());
        return entries;
    }
    do {
        const std::string name = Narrow(found.cFileName, wcslen(found.cFileName));
        if (name != "." && name != "..")
            entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

std::string CurrentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, folder.data()));
    return Narrow(folder.c_str(), folder.size());
}

FileStamp StampOf(const std::string& path) {
    if (!DeviceName(path).empty())
        return {path};
    const HANDLE handle = OpenToLook(path);
    if (handle == INVALID_HANDLE_VALUE)
        return {path};
    // The file's identity is its volume and its number there, as FileIdInfo gives them (the older
    // call for both asks the volume for its label too, which Wine can't always read).
    FILE_ID_INFO id{};
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    const bool ok =
        GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) &&
        GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
        GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard);
    CloseHandle(handle);
    if (!ok)
        return {path};
    uint64_t low = 0;
    uint64_t high = 0;
    std::memcpy(&low, id.FileId.Identifier, sizeof low);
    std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
    FileStamp stamp;
    stamp.Path = path;
    stamp.Known = true;
    stamp.Device = id.VolumeSerialNumber;
    stamp.Inode = low ^ (high * 0x9E3779B97F4A7C15ull); // ReFS numbers take 128 bits
    stamp.Size = standard.EndOfFile.QuadPart;
    stamp.Modified = basic.LastWriteTime.QuadPart;
    return stamp;
}

std::string NotPlainFile(const std::string& path) {
    if (std::string device = DeviceName(path); !device.empty())
        return device;
    const HANDLE handle = OpenToLook(path);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::string kind = KindOf(handle);
    CloseHandle(handle);
    return kind;
}

std::FILE* OpenForReading(const std::string& path, std::string& why) {
    if (const std::string kind = NotPlainFile(path); !kind.empty()) {
        why = "it is " + kind + ", not a file";
        return nullptr;
    }
    // Other programs may go on reading, writing, renaming or deleting the file meanwhile, as they
    // may on Linux.
    const HANDLE handle =
        CreateFileW(NativePath(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = SystemReason(GetLastError());
        return nullptr;
    }
    if (!KindOf(handle).empty()) {
        CloseHandle(handle);
        why = "it is no longer a plain file";
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        why = "the file could not be opened";
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file) {
        why = "the file could not be opened";
        _close(fd);
    }
    return file;
}

std::string SyncToDisk(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE)
        return "the file is not open";
    return FlushFileBuffers(handle) ? std::string() : SystemReason(GetLastError());
}

// A replaced file's room is given back where its last handle closes, and a handle held here would
// keep the file from being replaced: nothing is held.
HeldFile::HeldFile(const std::string&) {}
HeldFile::~HeldFile() = default;

std::string RenameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return SystemReason(GetLastError());
}

std::size_t LongestName(const std::string&) {
    return MAX_PATH - 5; // NTFS and FAT32 take 255 UTF-16 characters
}

} // namespace tarvik
