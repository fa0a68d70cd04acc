#pragma once
// The window shows the traffic files' bytes one byte per character.

#include <QString>

#include <string>
#include <string_view>

namespace tarvik {

inline QString ToQ(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Characters above 255 can't be stored in the files; they become "?".
inline std::string FromQ(const QString& text) {
    const QByteArray latin = text.toLatin1();
    return std::string(latin.constData(), static_cast<std::size_t>(latin.size()));
}

} // namespace tarvik
