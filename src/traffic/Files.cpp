#include "traffic/Files.h"

namespace tarvik {

bool ChangedSince(const FileStamp& stamp, const std::string& path) {
    if (!stamp.Known || stamp.Path != path)
        return false;
    const FileStamp now = StampOf(path);
    return now.Known && now != stamp;
}

} // namespace tarvik
