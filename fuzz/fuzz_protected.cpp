// Bytes as a protected card set, read with a password the session holds and a cheap stand-in for the key
// derivation: header checks, checksum, decryption, chunk tags and the decrypted image must all end in the
// engine's own error or a clean walk, and the file must stay as it was.
#include "errors.h"
#include "fuzzdriver.h"
#include "fuzzfile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzdriver::useCheapKeys();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzzfile::Scratch scratch("karte-fuzz-protected");
    std::string bytes = fuzzdriver::protectedFileFromInput(data, size);
    scratch.put(bytes);
    try {
        fuzzdriver::openAndWalk(scratch.path());
    } catch (const cardstore::Error&) {
    }
    scratch.expectUnchanged(bytes);
    return 0;
}
