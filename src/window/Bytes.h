#pragma once
// The window shows the traffic files' bytes one byte per character.

#include <QLocale>
#include <QString>

#include <string>
#include <string_view>

namespace tarvik {

inline QString ToQ(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// text as bytes, one per character, written into out without a buffer of its own. Characters
// above 255 can't be stored in the files; they become "?".
inline void AssignBytes(std::string& out, const QString& text) {
    out.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        out[static_cast<std::size_t>(i)] = c < 256 ? static_cast<char>(c) : '?';
    }
}

// The user's decimal separator where it is one byte; "." otherwise.
inline char UserDecimal() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode())
                                                         : '.';
}

inline std::string FromQ(const QString& text) {
    std::string bytes;
    AssignBytes(bytes, text);
    return bytes;
}

} // namespace tarvik
