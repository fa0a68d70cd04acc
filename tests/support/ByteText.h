#pragma once
// Test rows hold byte strings as QByteArray; the code under test takes std::string.

#include <QByteArray>

#include <string>
#include <string_view>

inline QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string S(const QByteArray& b) {
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}
