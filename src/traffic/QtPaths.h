#pragma once
// Paths between Qt's strings and the bytes the traffic code and the system's file access take.

#include "platform/os/FileAccess.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace tarvik {

inline QString QtPath(const std::string& path) {
    if constexpr (PathsAreUtf8)
        return QString::fromStdString(path);
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string PathFromQt(const QString& path) {
    if constexpr (PathsAreUtf8)
        return path.toStdString();
    return QFile::encodeName(path).toStdString();
}

} // namespace tarvik
