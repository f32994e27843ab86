#pragma once

#include <string>
#include <string_view>

namespace cardstore {

// Appends the ICU root-locale sort key of a UTF-8 text to out. Keys compare with memcmp in collation
// order; a key never contains a zero byte except its terminating one, so keys of several fields can be
// concatenated. Invalid UTF-8 is collated as U+FFFD.
void appendSortKey(std::string_view utf8, bool caseInsensitive, std::string& out);

// Makes sure the collators can be opened; raises the engine-start error otherwise.
void initialiseCollation();

} // namespace cardstore
