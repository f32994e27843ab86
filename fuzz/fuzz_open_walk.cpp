// Arbitrary bytes as a card set file: the engine must open and walk it or refuse it with its own error, and in
// either case leave the file exactly as it was.
#include "errors.h"
#include "fuzzdriver.h"
#include "fuzzfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzzfile::Scratch scratch("karte-fuzz-open");
    std::string bytes(reinterpret_cast<const char*>(data), size);
    scratch.put(bytes);
    try {
        fuzzdriver::openAndWalk(scratch.path());
    } catch (const cardstore::Error&) {
        // A refusal is the right answer for most inputs.
    }
    scratch.expectUnchanged(bytes);
    return 0;
}
