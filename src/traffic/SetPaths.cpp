#include "traffic/SetPaths.h"

#include "traffic/Files.h"
#include "traffic/Text.h"

#include <algorithm>
#include <optional>

namespace tarvik {

namespace {

constexpr char Sep = PathSeparator;

// name in folder, parted from it as the folder's own path parts its folders ("C:/sets" gives
// "C:/sets/name" on Windows too).
std::string Joined(const std::string& folder, const std::string& name) {
    const auto last = std::find_if(folder.rbegin(), folder.rend(), IsPathSeparator);
    return folder + (last != folder.rend() ? *last : Sep) + name;
}

constexpr std::string_view PlansName = "FlightPlans.txt";

// The <suffix> of a file named FlightPlans_<suffix>.txt (letter case ignored); none for any
// other name.
std::optional<std::string> SetSuffix(std::string_view name) {
    constexpr std::string_view Stem = "FlightPlans_";
    constexpr std::string_view End = ".txt";
    if (name.size() < Stem.size() + End.size() || !StartsWithNoCase(name, Stem) ||
        !EqualsNoCase(name.substr(name.size() - End.size()), End))
        return std::nullopt;
    return std::string(name.substr(Stem.size(), name.size() - Stem.size() - End.size()));
}

// The file stem + suffix + ".txt" of folder when there is one (letter case ignored), else the file
// named plain.
std::string ListFile(const std::string& folder, const std::optional<std::string>& suffix,
                     const char* stem, const char* plain) {
    if (suffix) {
        const std::string own = PathInFolder(folder, stem + *suffix + ".txt");
        if (Exists(own))
            return own;
    }
    return PathInFolder(folder, plain);
}

} // namespace

std::string FileName(const std::string& path) {
    const auto cut = std::find_if(path.rbegin(), path.rend(), IsPathSeparator);
    return std::string(cut.base(), path.end());
}

ListFiles ListFilesOf(const std::string& plansFile, const std::string& folder) {
    const std::optional<std::string> suffix = SetSuffix(FileName(plansFile));
    return {ListFile(folder, suffix, "Aircraft_", "Aircraft.txt"),
            ListFile(folder, suffix, "Airports_", "Airports.txt")};
}

std::vector<std::string> SetsInFolder(const std::string& given, std::string& error) {
    std::string folder = given;
    while (folder.size() > 1 && IsPathSeparator(folder.back()))
        folder.pop_back();
    std::vector<std::string> names;
    for (const FolderEntry& entry : EntriesOf(folder, error))
        if (!entry.Folder && (EqualsNoCase(entry.Name, PlansName) || SetSuffix(entry.Name)))
            names.push_back(entry.Name);
    std::sort(names.begin(), names.end());
    for (std::string& name : names)
        name = Joined(folder, name);
    return names;
}

PlansFileChoice PlansFileOf(const std::string& path) {
    if (!IsFolder(path))
        return {path, {}};
    std::string folder = path;
    while (folder.size() > 1 && IsPathSeparator(folder.back()))
        folder.pop_back();
    const std::string plain = PathInFolder(folder, std::string(PlansName));
    if (Exists(plain) && !IsFolder(plain))
        return {plain, {}};
    std::vector<std::string> suffixed;
    std::string unread;
    for (const FolderEntry& entry : EntriesOf(folder, unread))
        if (!entry.Folder && SetSuffix(entry.Name))
            suffixed.push_back(entry.Name);
    if (!unread.empty())
        return {{}, unread};
    if (suffixed.size() == 1)
        return {Joined(folder, suffixed.front()), {}};
    if (suffixed.empty())
        return {{}, "the folder holds no FlightPlans.txt and no FlightPlans_*.txt"};
    std::sort(suffixed.begin(), suffixed.end());
    std::string why = "the folder holds no FlightPlans.txt but several sets (";
    for (std::size_t i = 0; i < suffixed.size(); ++i)
        why += (i ? ", " : "") + suffixed[i];
    return {{}, why + "): name the flight-plan file"};
}

std::string GetFolder(const std::string& path) {
    std::string p = path;
    std::size_t L = p.size();
    const auto first = std::find_if(p.begin(), p.end(), IsPathSeparator);
    if (first != p.end() && first + 1 == p.end()) {
        if (L > 1)
            --L;
    } else {
        while (L > 0 && !IsPathSeparator(p[L - 1]))
            --L;
    }
    std::string folder;
    if (L < 1) {
        folder = CurrentFolder();
    } else {
        folder = p.substr(0, L);
        if (folder.back() == ':')
            folder.push_back(Sep);
    }
    if (!folder.empty() && IsPathSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    const std::string exact = Joined(folder, name);
    if (Exists(exact))
        return exact;
    std::string why;
    for (const FolderEntry& entry : EntriesOf(folder.empty() ? std::string(1, Sep) : folder, why))
        if (EqualsNoCase(entry.Name, name))
            return Joined(folder, entry.Name);
    return exact;
}

} // namespace tarvik
