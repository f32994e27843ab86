#include "packedfile.h"

#include "bytes.h"
#include "texterrors.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace nttext {

namespace {

constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kHeaderSize = kMagicSize + 4 + 4 + 4 + 4;
// Far above what the text needs; a size beyond it is not believed.
constexpr std::uint32_t kLargestPayload = 64u << 20;

std::uint32_t crcOf(const std::string& bytes)
{
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

} // namespace

std::string packFile(std::string_view magic, int version, const std::string& payload, int compressionLevel)
{
    uLongf packedSize = compressBound(static_cast<uLong>(payload.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(payload.data()),
            static_cast<uLong>(payload.size()), compressionLevel)
        != Z_OK)
        throw TextFileError("The Greek text could not be compressed");
    packed.resize(packedSize);

    ByteWriter header;
    for (char c : magic.substr(0, kMagicSize))
        header.byte(c);
    header.fixed32(static_cast<std::uint32_t>(version));
    header.fixed32(static_cast<std::uint32_t>(payload.size()));
    header.fixed32(crcOf(packed));
    header.fixed32(static_cast<std::uint32_t>(packed.size()));
    return header.bytes() + packed;
}

std::string unpackFile(const std::string& bytes, std::string_view magic, int version, const std::string& fileName)
{
    if (bytes.size() < kHeaderSize || std::string_view(bytes).substr(0, kMagicSize) != magic.substr(0, kMagicSize))
        throw TextFileError("The file " + fileName + " is not a Greek text file of this program");
    ByteReader header(std::string_view(bytes).substr(kMagicSize, kHeaderSize - kMagicSize), fileName);
    std::uint32_t fileVersion = header.fixed32();
    std::uint32_t size = header.fixed32();
    std::uint32_t crc = header.fixed32();
    std::uint32_t packedSize = header.fixed32();
    if (fileVersion != static_cast<std::uint32_t>(version))
        throw TextFileError("The Greek text file " + fileName + " has format version " + std::to_string(fileVersion)
            + "; this program reads version " + std::to_string(version));
    if (size > kLargestPayload)
        throw TextFileError("The Greek text file " + fileName + " is damaged (its size is not believable)");
    if (bytes.size() - kHeaderSize != packedSize)
        throw TextFileError("The Greek text file " + fileName + " is damaged or cut short ("
            + std::to_string(bytes.size()) + " bytes, " + std::to_string(kHeaderSize + packedSize) + " expected)");

    // The sum is over the stored bytes, so that no change to them goes unseen, not even one in the deflated stream's
    // last padding bits, which would inflate to the same text.
    const std::string packed = bytes.substr(kHeaderSize);
    if (crcOf(packed) != crc)
        throw TextFileError("The Greek text file " + fileName + " is damaged or cut short");
    std::string payload(size, '\0');
    uLongf unpacked = size;
    int status = uncompress(reinterpret_cast<Bytef*>(payload.data()), &unpacked,
        reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size()));
    if (status != Z_OK || unpacked != size)
        throw TextFileError("The Greek text file " + fileName + " is damaged or cut short");
    return payload;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw TextFileError("The Greek text file " + path + " cannot be read");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw TextFileError("The Greek text file " + path + " cannot be read");
    return bytes;
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    namespace fs = std::filesystem;
    fs::path target(path);
    fs::path temporary = target;
    temporary += ".part-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw TextFileError("The Greek text file " + path + " cannot be written");
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw TextFileError("The Greek text file " + path + " cannot be written: " + error.message());
    }
}

} // namespace nttext
