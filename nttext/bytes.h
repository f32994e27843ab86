#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nttext {

// Little-endian integers and LEB128 numbers, the companion file's encoding.
class ByteWriter
{
public:
    void byte(int value);
    void number(std::uint64_t value);
    void text(std::string_view value);
    void fixed32(std::uint32_t value);
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Reads what ByteWriter wrote; reading past the end, or a number that cannot be one, throws TextFileError
// naming the file as damaged.
class ByteReader
{
public:
    ByteReader(std::string_view bytes, std::string fileName);
    int byte();
    std::uint64_t number();
    // A number that must lie below limit, for counts and indexes.
    int below(std::uint64_t limit, const char* what);
    std::string text();
    std::uint32_t fixed32();
    bool atEnd() const { return position_ == bytes_.size(); }
    [[noreturn]] void damaged(const std::string& detail) const;

private:
    void need(std::size_t count);

    std::string_view bytes_;
    std::size_t position_ = 0;
    std::string fileName_;
};

} // namespace nttext
