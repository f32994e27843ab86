#pragma once

#include <string>

namespace nttext {

constexpr const char* kTextFileName = "nttext.dat";
constexpr const char* kReadingFileName = "ntreading.dat";

// The companion file shipped with the program, looked for where the pristine built-in set is
// (cardstore::Session::pristineDirectories(): beside the executables in a build tree, <prefix>/share/karte
// when installed). Throws TextFileError naming the places it looked when it is in none of them.
std::string findTextFile();

// The file of the text for reading, shipped beside the companion file and looked for in the same places.
std::string findReadingFile();

} // namespace nttext
