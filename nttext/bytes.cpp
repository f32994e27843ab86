#include "bytes.h"

#include "texterrors.h"

namespace nttext {

void ByteWriter::byte(int value)
{
    bytes_ += static_cast<char>(value & 0xFF);
}

void ByteWriter::number(std::uint64_t value)
{
    while (value >= 0x80) {
        bytes_ += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    bytes_ += static_cast<char>(value);
}

void ByteWriter::text(std::string_view value)
{
    number(value.size());
    bytes_ += value;
}

void ByteWriter::fixed32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes_ += static_cast<char>((value >> shift) & 0xFF);
}

ByteReader::ByteReader(std::string_view bytes, std::string fileName)
    : bytes_(bytes)
    , fileName_(std::move(fileName))
{
}

void ByteReader::damaged(const std::string& detail) const
{
    throw TextFileError(
        "The Greek text file " + fileName_ + " is damaged (" + detail + " at byte " + std::to_string(position_) + ")");
}

void ByteReader::need(std::size_t count)
{
    if (bytes_.size() - position_ < count)
        damaged("it ends too early");
}

int ByteReader::byte()
{
    need(1);
    return static_cast<unsigned char>(bytes_[position_++]);
}

std::uint64_t ByteReader::number()
{
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        int next = byte();
        value |= static_cast<std::uint64_t>(next & 0x7F) << shift;
        if (!(next & 0x80))
            return value;
    }
    damaged("a number runs on");
}

int ByteReader::below(std::uint64_t limit, const char* what)
{
    std::uint64_t value = number();
    if (value >= limit)
        damaged(std::string(what) + " out of range");
    return static_cast<int>(value);
}

std::string ByteReader::text()
{
    std::uint64_t length = number();
    if (length > bytes_.size() - position_)
        damaged("a text runs past the end");
    std::string value(bytes_.substr(position_, length));
    position_ += length;
    return value;
}

std::uint32_t ByteReader::fixed32()
{
    need(4);
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[position_++])) << shift;
    return value;
}

} // namespace nttext
