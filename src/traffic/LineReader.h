#pragma once
// Reads a text file line by line in blocks, whatever its line ends (CR LF, LF or CR), skipping a
// UTF-8 byte-order mark at its start. Lines come back as bytes, without their line end. Only a
// plain text file of one byte per character, of at most LargestTrafficFile bytes and lines of at
// most LongestLine characters, is read: anything else stops the reading with its reason.

#include "traffic/Files.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The call that reads a block of a file: the bytes read, 0 at its end, -1 (with errno) when the
// read failed. A test gives a reader one that fails.
using ReadBlockFunction = std::ptrdiff_t (*)(void* buffer, std::size_t size, std::FILE* file);
// The reads of the system.
std::ptrdiff_t ReadFromFile(void* buffer, std::size_t size, std::FILE* file);

class LineReader {
public:
    static constexpr std::size_t DefaultBlockSize = 1 << 18;
    // The longest line of a traffic file: the line format counts its positions in 16 bits.
    static constexpr std::size_t LongestLine = 32767;

    // blockSize: how much is read at a time (the buffer grows for a longer line).
    explicit LineReader(std::size_t blockSize = DefaultBlockSize,
                        ReadBlockFunction read = ReadFromFile)
        : BlockSize(blockSize), ReadBlock(read) {}
    // Reads the lines of a text in memory, as ReadWhole gives it, which must outlive the reader.
    // A text whose reading failed (cutShort, the reason) gives only its lines read to their end,
    // and then fails with that reason.
    // Lines are numbered on from linesBefore; only a text read from the file's start
    // (linesBefore 0) may start with a byte-order mark.
    explicit LineReader(std::string_view text, std::string cutShort = {}, int64_t linesBefore = 0);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // False, with the reason in Error(), when the file can't be opened or is no plain text file of
    // one byte per character (a pipe, a device, a UTF-16 text, a file holding NUL bytes near its
    // start, a file too large for a traffic set).
    bool Open(const std::string& path);
    // Reads the whole of the file opened into text, from its first byte, a block at a time; false,
    // with the reason in Error(), when a read failed: text then holds what was read before. Lines
    // are then read from text, with a second reader.
    bool ReadWhole(FileText& text);
    // Reads more of the file opened behind the first len bytes of text, at most a block and never
    // beyond its room; false at the end of the file, or when a read failed (with the reason).
    bool ReadSome(FileText& text, std::size_t& len);
    // The stamp of the file opened.
    const FileStamp& Stamp() const { return Stamped; }
    // The next line, valid until the next call; false at the end of the file or on a read error.
    bool Next(std::string_view& line);
    bool Failed() const { return !Why.empty(); }
    const std::string& Error() const { return Why; }
    // Number of the line last returned, counted from 1.
    int64_t LineNumber() const { return Number; }
    // The line end of the line last returned ("\r\n", "\n", "\r", or "" at the end of the file).
    std::string_view LineEnd() const { return End; }
    // Keeps, for a reader of a text in memory, where the lines it returns lie, as offsets into the
    // text: where the first starts, then where each one's line end ends, the next one's start.
    void KeepLineStarts(std::vector<uint32_t>& starts) { Starts = &starts; }

private:
    static constexpr const char* TooLarge =
        "it is larger than 1 GiB, more than a traffic set holds";

    bool CheckStart();
    bool Fill();
    bool ReadMore(FileText& into, std::size_t& len, std::size_t most);
    bool LineTooLong();

    std::size_t BlockSize;
    ReadBlockFunction ReadBlock = ReadFromFile;
    std::FILE* File = nullptr;
    FileText Buf;
    const char* Data = nullptr; // Buf's bytes, or the text read from memory
    std::size_t Pos = 0;
    std::size_t Len = 0;
    bool AtEof = false;
    bool First = true;
    int64_t Number = 0;
    std::string_view End;
    uint64_t Read = 0; // bytes read so far
    FileStamp Stamped;
    std::string Why;
    std::string CutShort;
    std::vector<uint32_t>* Starts = nullptr;
};

} // namespace tarvik
