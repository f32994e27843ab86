#pragma once

#include <string>
#include <string_view>

namespace nttext {

// The frame of the files the build derives from the Greek text: an 8-byte magic, then as 32-bit little-endian
// numbers the format version, the payload's size, the CRC-32 of its deflated bytes and their size, then the payload
// deflated.
std::string packFile(std::string_view magic, int version, const std::string& payload, int compressionLevel);

// The payload back; a foreign, truncated or damaged frame, or another version, throws TextFileError naming
// fileName.
std::string unpackFile(const std::string& bytes, std::string_view magic, int version, const std::string& fileName);

// The whole file, or TextFileError naming it.
std::string readWholeFile(const std::string& path);

// Written whole under a temporary name and renamed over the target, so a failed write leaves an existing file as
// it was; TextFileError naming it when it cannot be written.
void writeWholeFile(const std::string& path, const std::string& bytes);

} // namespace nttext
