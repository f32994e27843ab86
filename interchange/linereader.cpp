#include "linereader.h"

#include "interchangeerror.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace interchange {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

std::string megabytes(std::uint64_t bytes)
{
    return std::to_string((bytes + 999'999) / 1'000'000) + " MB";
}

} // namespace

bool isValidUtf8(const std::string& text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        std::uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        p += length;
    }
    return true;
}

LineReader::LineReader(const std::string& path)
    : fileName_(std::filesystem::path(path).filename().string())
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw ImportError("Cannot read " + path + ": " + std::strerror(errno));
    struct stat info
    {
    };
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd_);
        throw ImportError("Cannot read " + path + ": it is not a file");
    }
    if (S_ISREG(info.st_mode))
        size_ = static_cast<std::uint64_t>(info.st_size);
    if (size_ > kMaxFileBytes) {
        ::close(fd_);
        throw ImportError(fileName_ + " is " + megabytes(size_) + "; a file of cards larger than "
            + megabytes(kMaxFileBytes) + " is not imported");
    }
    buffer_.resize(kBufferBytes);
}

LineReader::~LineReader()
{
    ::close(fd_);
}

void LineReader::fail(int line, const std::string& problem) const
{
    throw ImportError(fileName_, line, problem);
}

bool LineReader::fill()
{
    if (atEnd_)
        return false;
    ssize_t got;
    do
        got = ::read(fd_, buffer_.data(), buffer_.size());
    while (got < 0 && errno == EINTR);
    if (got < 0)
        throw ImportError("Cannot read " + fileName_ + ": " + std::strerror(errno));
    position_ = 0;
    end_ = static_cast<std::size_t>(got);
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    // The first bytes tell an encoding this reader does not take.
    if (bytesRead_ == 0 && got >= 2) {
        auto b0 = static_cast<unsigned char>(buffer_[0]), b1 = static_cast<unsigned char>(buffer_[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))
            throw ImportError(fileName_ + " is UTF-16 text; save it as UTF-8 to import it");
        if (got >= 3 && b0 == 0xEF && b1 == 0xBB && static_cast<unsigned char>(buffer_[2]) == 0xBF)
            position_ = 3;
    }
    bytesRead_ += static_cast<std::uint64_t>(got);
    // A pipe or a file that grows while it is read has no size to check up front.
    if (bytesRead_ > kMaxFileBytes)
        throw ImportError(
            fileName_ + " is larger than " + megabytes(kMaxFileBytes) + "; a file of cards that large is not imported");
    return true;
}

LineReader::Result LineReader::next(std::string& line, std::size_t maxBytes)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (position_ == end_ && !fill()) {
            if (!any)
                return Result::End;
            break;
        }
        any = true;
        const char* start = buffer_.data() + position_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - position_));
        std::size_t length = newline ? static_cast<std::size_t>(newline - start) : end_ - position_;
        if (line.size() + length > maxBytes + 1) { // one more for a CR before the LF
            ++lineNumber_;
            return Result::TooLong;
        }
        line.append(start, length);
        position_ += length;
        if (newline) {
            ++position_;
            break;
        }
    }
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > maxBytes)
        return Result::TooLong;
    checkLine(line);
    return Result::Line;
}

void LineReader::checkLine(const std::string& line)
{
    if (line.find('\0') != std::string::npos)
        fail(lineNumber_, "the line holds a NUL character; this is not a text file");
    if (!isValidUtf8(line))
        fail(lineNumber_, "the text is not valid UTF-8 (save the file as UTF-8 to import it)");
}

} // namespace interchange
