#pragma once

// What the fuzz targets do with an input, shared with the test that replays the inputs they once failed on, so
// that a regression case runs through the very same code in the ordinary build.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzdriver {

// The one password the protected-set target's files are sealed with.
inline constexpr const char* kPassword = "fuzz";

// Opens the card set at path through the table as the program does, walks it forward and backward reading every
// field of every record, switches to each index the set declares and searches a key in it, refreshes, reads the
// study progress and closes. Failures of the engine (cardstore::Error) propagate; anything else is a fault.
void openAndWalk(const std::string& path);

// Makes the engine derive keys with a cheap keyed hash instead of Argon2id, and puts kPassword in the session.
void useCheapKeys();
// Undoes useCheapKeys.
void restoreKeys();

// The protected card set file an input of the protected-set target stands for. The first byte chooses how the
// rest is read:
//   0  the file itself;
//   1  the file itself with its checksum made to fit, so that the header and the decryption are reached;
//   2  a plain card set image, sealed here under kPassword's cheap key with a header, chunk size and chunk tags
//      taken from the input's next bytes, so that the chunk rules and the decrypted image are reached.
std::string protectedFileFromInput(const std::uint8_t* data, std::size_t size);

// The input of mode 2 that seals image as the engine would (cheap cost, 4096-byte chunks, the usual tags).
std::string sealedInputFor(const std::string& image);

} // namespace fuzzdriver
