#pragma once

#include "readingdata.h"

#include <string>

namespace nttext {

// The file of the text for reading, framed as the companion file is (packedfile.h) under its own magic
// "KARTE-RD". Apart from the companion file so that the program reads its 137,554 words only when the reader
// first needs them.
constexpr int kReadingFileVersion = 1;

std::string encodeReadingFile(const ReadingData& data);
// A foreign, truncated or damaged file, or one whose contents point nowhere, throws TextFileError naming fileName.
ReadingData decodeReadingFile(const std::string& bytes, const std::string& fileName);

void writeReadingFile(const std::string& path, const ReadingData& data);
ReadingData readReadingFile(const std::string& path);

} // namespace nttext
