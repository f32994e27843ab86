#pragma once

#include <string>

namespace nttext {

constexpr const char* kTextFileName = "nttext.dat";

// The companion file shipped with the program, looked for where the pristine built-in set is
// (cardstore::Session::pristineDirectories(): beside the executables in a build tree, <prefix>/share/karte
// when installed). Throws TextFileError naming the places it looked when it is in none of them.
std::string findTextFile();

} // namespace nttext
