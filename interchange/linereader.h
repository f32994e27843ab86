#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace interchange {

// Reads a text file line by line through a fixed buffer, so that neither a huge file nor a huge line is ever
// held in memory. Every line is checked to be UTF-8; a byte-order mark at the start is passed over, and a
// UTF-16 file or a binary one is refused, as is a file larger than any card file needs to be.
class LineReader
{
public:
    static constexpr std::uint64_t kMaxFileBytes = 32'000'000;

    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    enum class Result { Line, TooLong, End };
    // Reads the next line into line, without its line end (LF or CR LF). TooLong: the line holds more than
    // maxBytes bytes and has not been read further.
    Result next(std::string& line, std::size_t maxBytes);

    int lineNumber() const { return lineNumber_; } // of the line last read, from 1
    std::uint64_t bytesRead() const { return bytesRead_; }
    std::uint64_t size() const { return size_; } // as found on opening; 0 for a pipe
    const std::string& fileName() const { return fileName_; } // as messages name the file

    // Raises the ImportError for a fault on a line of this file.
    [[noreturn]] void fail(int line, const std::string& problem) const;

private:
    bool fill();
    void checkLine(const std::string& line);

    int fd_ = -1;
    std::string fileName_;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    int lineNumber_ = 0;
};

// Whether text is well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing past U+10FFFF.
bool isValidUtf8(const std::string& text);

} // namespace interchange
