#pragma once

#include "textdata.h"

#include <string>

namespace nttext {

// The companion file, in the frame packedfile.h describes under the magic "KARTE-NT". It is written whole under a
// temporary name and renamed over the target, so a failed write leaves an existing file as it was. Version 2 keys
// and counts forms with their iota subscripts (version 1 merged ἡμέρᾳ with ἡμέραι) and adds every lemma's gloss,
// lexical form and forms.
constexpr int kTextFileVersion = 2;

void writeTextFile(const std::string& path, const TextData& data);

// Reads the file back; a missing, foreign, truncated or damaged file throws TextFileError naming it.
TextData readTextFile(const std::string& path);

// The same on bytes already read; fileName is only named in errors.
TextData decodeTextFile(const std::string& bytes, const std::string& fileName);
std::string encodeTextFile(const TextData& data);

} // namespace nttext
