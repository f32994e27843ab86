#pragma once

// The inner workings of protected card sets, shared by the engine's files and not meant for callers: keys, and
// the sealed format of protectedfile.h with its checks.

#include "filereplace.h"
#include "protectedfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cardstore {

// Key bytes in memory that sodium guards (kept out of swap, fenced by guard pages) and wipes when it frees them.
class SecretBytes
{
public:
    explicit SecretBytes(std::size_t size);
    ~SecretBytes();
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    unsigned char* data() const { return data_; }

private:
    unsigned char* data_;
};

namespace sealing {

// Measured: three passes over 256 MiB take about one second on the machine the program was tuned on. Files
// record their own cost, so this can grow with machines without making older files unreadable.
inline constexpr KeyDerivationCost kDefaultKeyDerivationCost { 3, 256ull << 20 };

// The low bytes of value, least significant first, and back: the byte order of the engine's sealed files.
void putLittleEndian(unsigned char* out, std::uint64_t value, std::size_t bytes);
std::uint64_t getLittleEndian(const unsigned char* in, std::size_t bytes);

// Raises the engine-start error when the crypto library cannot start.
void initialise();
// Whether a file may ask for cost, and the program may seal with it.
bool costIsUsable(KeyDerivationCost cost);

// The key password gives for salt at cost: derived now, or taken from those derived earlier in the run.
std::unique_ptr<SecretBytes> deriveKey(const std::string& password, const unsigned char* salt, KeyDerivationCost cost);

// Stands in for Argon2id when set (null puts it back): the fuzz targets try hundreds of files a second and
// cannot spend a key derivation on each. Files are read and checked exactly as before, cost bounds included.
using KeyDerivation
    = std::unique_ptr<SecretBytes> (*)(const std::string& password, const unsigned char* salt, KeyDerivationCost cost);
void setKeyDerivationForFuzzing(KeyDerivation derivation);

// A protected file as read from disk, its header and checksum checked.
struct Sealed
{
    std::vector<unsigned char> bytes;
    KeyDerivationCost cost;
    std::size_t chunkSize = 0;
    FileIdentity identity;
    const unsigned char* salt() const;
};

// Reads the protected set at path; raises the damaged-file error for any damage the checksum or the header
// reveals, the not-a-card-set error for a file that is no protected set at all.
Sealed readSealed(const std::string& path);
// Decrypts sealed with key into image. false when the first chunk does not authenticate, which is all a wrong
// key looks like; damage after it raises the damaged-file error.
bool unseal(const Sealed& sealed, const unsigned char* key, DatabaseImage& image, const std::string& path);
// The key of the first of passwords that authenticates sealed, image decrypted with it; null when none does.
std::unique_ptr<SecretBytes> findKey(
    const Sealed& sealed, const std::vector<std::string>& passwords, DatabaseImage& image, const std::string& path);
// The file bytes of image sealed under key, with a fresh stream header.
std::vector<unsigned char> seal(
    const DatabaseImage& image, const unsigned char* key, const unsigned char* salt, KeyDerivationCost cost);

} // namespace sealing

} // namespace cardstore
