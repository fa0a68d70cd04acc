#pragma once
// Reads a text file line by line in blocks, whatever its line ends (CR LF, LF or CR), skipping a
// UTF-8 byte-order mark at its start. Lines come back as bytes, without their line end.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The call that reads a block of a file, as std::fread; tests put one that fails in its place.
using ReadBlockFunction = std::size_t (*)(void* buffer, std::size_t size, std::FILE* file);
extern ReadBlockFunction ReadBlock;

class LineReader {
public:
    static constexpr std::size_t DefaultBlockSize = 1 << 20;

    // blockSize: how much is read at a time (the buffer grows for a longer line).
    explicit LineReader(std::size_t blockSize = DefaultBlockSize) : BlockSize(blockSize) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // False, with the system's reason in Error(), when the file can't be opened.
    bool Open(const std::string& path);
    // The next line, valid until the next call; false at the end of the file or on a read error.
    bool Next(std::string_view& line);
    bool Failed() const { return !Why.empty(); }
    const std::string& Error() const { return Why; }
    // Number of the line last returned, counted from 1.
    int64_t LineNumber() const { return Number; }

private:
    bool Fill();

    std::size_t BlockSize;
    std::FILE* File = nullptr;
    std::vector<char> Buf;
    std::size_t Pos = 0;
    std::size_t Len = 0;
    static constexpr std::size_t NoLf = ~std::size_t{0};
    std::size_t LfAt = NoLf; // index of the next LF in Buf, Len when none before Len
    bool AtEof = false;
    bool First = true;
    int64_t Number = 0;
    std::string Why;
};

} // namespace tarvik
