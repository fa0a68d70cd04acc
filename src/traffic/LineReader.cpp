#include "traffic/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvik {

std::ptrdiff_t ReadFromFile(void* buffer, std::size_t size, std::FILE* file) {
    const std::size_t got = std::fread(buffer, 1, size, file);
    return got == 0 && std::ferror(file) ? std::ptrdiff_t{-1} : static_cast<std::ptrdiff_t>(got);
}

LineReader::LineReader(std::string_view text, std::string cutShort, int64_t linesBefore)
    : BlockSize(text.size()), Data(text.data()), Len(text.size()), AtEof(true),
      Number(linesBefore) {
    if (linesBefore == 0 && text.substr(0, 3) == "\xEF\xBB\xBF")
        Pos = 3;
    First = false;
    if (cutShort.empty())
        return;
    // Only the lines whose end was read are whole; a CR at the very end may lack its LF.
    std::size_t whole = Len > Pos && Data[Len - 1] == '\r' ? Len - 1 : Len;
    while (whole > Pos && Data[whole - 1] != '\n' && Data[whole - 1] != '\r')
        --whole;
    Len = whole;
    CutShort = std::move(cutShort);
}

LineReader::~LineReader() {
    if (File)
        std::fclose(File);
}

namespace {

constexpr std::size_t PeekBytes = 64 * 1024;

// The first CR or LF in [p, end), or end: one pass over the line, sixteen bytes at a time where
// the processor can.
const char* LineBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    // Thirty-two bytes a turn while a line end is far; then sixteen.
    for (; end - p >= 32; p += 32) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i inX = _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf));
        const __m128i inY = _mm_or_si128(_mm_cmpeq_epi8(y, cr), _mm_cmpeq_epi8(y, lf));
        if (_mm_movemask_epi8(_mm_or_si128(inX, inY)) != 0) {
            const auto breaks = static_cast<unsigned>(_mm_movemask_epi8(inX)) |
                                static_cast<unsigned>(_mm_movemask_epi8(inY)) << 16;
            return p + __builtin_ctz(breaks);
        }
    }
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int breaks =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
        if (breaks != 0)
            return p + __builtin_ctz(static_cast<unsigned>(breaks));
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

// Why the start of a file shows it is no text of one byte per character; empty when it may be one.
std::string NoOneByteText(std::string_view start) {
    if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF")
        return "it is a UTF-16 text (it starts with a UTF-16 byte-order mark), not a text of one "
               "byte per character";
    if (start.find('\0') != std::string_view::npos)
        return "it is not a text file (it holds NUL bytes)";
    return {};
}

} // namespace

bool LineReader::Open(const std::string& path) {
    File = OpenForReading(path, Why);
    if (!File)
        return false;
    Stamped = StampOf(path);
    const auto size = static_cast<uint64_t>(Stamped.Size);
    if (size > LargestTrafficFile) {
        Why = TooLarge;
        return false;
    }
    if (!CheckStart())
        return false;
    // A file smaller than a block is read whole into a buffer of its size. The first read takes at
    // least the three bytes of a byte-order mark.
    Buf.Reserve(std::max<std::size_t>(std::min<uint64_t>(BlockSize, size + 1), 4), 0);
    Data = Buf.Data();
    return true;
}

// Reads up to most bytes behind the first len bytes of into, growing it when full; false at the end
// of the file or when the read failed.
bool LineReader::ReadMore(FileText& into, std::size_t& len, std::size_t most) {
    if (len == into.Room())
        into.Reserve(into.Room() * 2, len);
    const std::ptrdiff_t got =
        ReadBlock(into.Data() + len, std::min(into.Room() - len, most), File);
    if (got <= 0) {
        if (got < 0)
            Why = std::strerror(errno ? errno : EIO);
        return false;
    }
    len += static_cast<std::size_t>(got);
    Read += static_cast<uint64_t>(got);
    if (Read > LargestTrafficFile) { // the file grew while it was read
        Why = TooLarge;
        return false;
    }
    return true;
}

bool LineReader::ReadSome(FileText& text, std::size_t& len) {
    try {
        if (ReadMore(text, len, BlockSize))
            return true;
    } catch (const std::bad_alloc&) {
        Why = "there is not enough memory to read it";
    }
    AtEof = true;
    return false;
}

bool LineReader::ReadWhole(FileText& text) {
    text = FileText();
    // One byte more than the file holds, so that the read that finds its end needs no more room.
    std::size_t len = 0;
    try {
        text.Reserve(static_cast<std::size_t>(Stamped.Size) + 1, 0);
        while (ReadMore(text, len, BlockSize)) {
        }
    } catch (const std::bad_alloc&) {
        Why = "there is not enough memory to read it";
    }
    AtEof = true;
    text.Size = len;
    return !Failed();
}

// Reads the start of the file and goes back to its beginning; false, with the reason, when it is
// no text of one byte per character.
bool LineReader::CheckStart() {
    std::string start(PeekBytes, '\0');
    const std::ptrdiff_t got = ReadBlock(start.data(), start.size(), File);
    if (got < 0) {
        Why = std::strerror(errno ? errno : EIO);
        return false;
    }
    start.resize(static_cast<std::size_t>(got));
    Why = NoOneByteText(start);
    if (!Why.empty())
        return false;
    std::rewind(File);
    return true;
}

// Moves the unread bytes to the front and reads more behind them; false when nothing more came.
bool LineReader::Fill() {
    if (AtEof || !File)
        return false;
    if (Pos > 0) {
        std::memmove(Buf.Data(), Buf.Data() + Pos, Len - Pos);
        Len -= Pos;
        Pos = 0;
    }
    const bool more = ReadMore(Buf, Len, Buf.Room());
    Data = Buf.Data();
    if (!more) {
        AtEof = true;
        return false;
    }
    if (First) {
        First = false;
        if (Len >= 3 && std::memcmp(Data, "\xEF\xBB\xBF", 3) == 0)
            Pos = 3;
    }
    return true;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* base = Data;
        const std::size_t avail = Len - Pos;
        const std::size_t brk = static_cast<std::size_t>(LineBreak(base + Pos, base + Len) - base);
        std::size_t end = 0;
        std::size_t next = 0;
        if (brk < Len) {
            end = brk;
            if (base[end] == '\n' || end + 1 < Len) {
                next = base[end] == '\r' && base[end + 1] == '\n' ? end + 2 : end + 1;
            } else if (AtEof) {
                next = end + 1;
            } else {
                // A CR at the end of the block: the next block tells whether a LF follows.
                const bool more = Fill();
                if (!more && !AtEof)
                    return false;
                continue;
            }
        } else if (!AtEof) {
            if (avail > LongestLine)
                return LineTooLong();
            // Fill may move the buffer, even when nothing more came: look again from the top.
            if (!Fill() && !AtEof)
                return false;
            continue;
        } else if (Pos < Len && !Failed()) {
            end = Len;
            next = Len;
        } else {
            if (!CutShort.empty())
                Why = CutShort;
            return false;
        }
        if (end - Pos > LongestLine)
            return LineTooLong();
        line = std::string_view(base + Pos, end - Pos);
        End = std::string_view(base + end, next - end);
        if (Starts) {
            if (Starts->empty())
                Starts->push_back(static_cast<uint32_t>(Pos));
            Starts->push_back(static_cast<uint32_t>(next));
        }
        Pos = next;
        ++Number;
        return true;
    }
}

bool LineReader::LineTooLong() {
    Why = "the line is longer than " + std::to_string(LongestLine) + " characters";
    AtEof = true;
    return false;
}

} // namespace tarvik
