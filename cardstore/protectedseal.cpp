#include "protectedseal.h"

#include "errors.h"

#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace cardstore {

namespace pf = protectedformat;

static_assert(pf::kMagic.size() == 15);
static_assert(pf::kChunkOverhead == crypto_secretstream_xchacha20poly1305_ABYTES);
static_assert(pf::kSaltOffset + crypto_pwhash_SALTBYTES == pf::kStreamHeaderOffset);
static_assert(pf::kStreamHeaderOffset + crypto_secretstream_xchacha20poly1305_HEADERBYTES == pf::kChecksumOffset);
static_assert(pf::kChecksumOffset + crypto_generichash_BYTES == pf::kHeaderSize);

SecretBytes::SecretBytes(std::size_t size)
    : data_(static_cast<unsigned char*>(sodium_malloc(size)))
{
    if (!data_)
        throw DatabaseError::fromStatus(status::kIoError, { "Not enough memory for a key" });
}

SecretBytes::~SecretBytes()
{
    sodium_free(data_);
}

namespace sealing {

void putLittleEndian(unsigned char* out, std::uint64_t value, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint64_t getLittleEndian(const unsigned char* in, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    return value;
}

namespace {

constexpr std::size_t kKeyBytes = crypto_secretstream_xchacha20poly1305_KEYBYTES;
// A file may ask for at most four times the work of the program's own default: in passes, in memory, and in the
// two together, which is what a password try costs in time. Beyond that its cost is taken for damage rather than
// spent on: a flipped high bit would otherwise ask for terabytes or hours, and a hostile file could make the
// program spend many seconds and a gigabyte on every password tried. Every cost the program seals with is held to
// the same bounds, so every file it makes opens.
constexpr std::uint64_t kCostFactor = 4;
constexpr std::uint64_t kMaxOpsLimit = kCostFactor * kDefaultKeyDerivationCost.opsLimit;
constexpr std::uint64_t kMaxMemLimit = kCostFactor * kDefaultKeyDerivationCost.memLimit;
constexpr std::uint64_t kMaxWork
    = kCostFactor * kDefaultKeyDerivationCost.opsLimit * kDefaultKeyDerivationCost.memLimit;
constexpr std::size_t kMinChunkSize = 512;
constexpr std::size_t kMaxChunkSize = 16u << 20;
constexpr std::size_t kCachedKeys = 32;

[[noreturn]] void damaged(const std::string& path, const std::string& detail)
{
    throw DatabaseError::fromStatus(status::kCorruptFile, { detail, "File: " + path });
}

[[noreturn]] void ioFailure(const std::string& path, const std::string& detail)
{
    throw DatabaseError::fromStatus(status::kIoError, { detail, "File: " + path });
}

// Keys derived during this run, so that opening a set again, or a second set with the same password and
// salt, does not cost another second. Entries are found by a keyed hash of salt, cost and password, the
// hash key being random for each run.
class KeyCache
{
public:
    std::unique_ptr<SecretBytes> derive(const std::string& password, const unsigned char* salt, KeyDerivationCost cost)
    {
        std::lock_guard lock(mutex_);
        if (!idKey_) {
            idKey_ = std::make_unique<SecretBytes>(crypto_generichash_KEYBYTES);
            randombytes_buf(idKey_->data(), crypto_generichash_KEYBYTES);
        }
        auto id = std::make_unique<SecretBytes>(crypto_generichash_BYTES + kKeyBytes);
        unsigned char costBytes[16];
        putLittleEndian(costBytes, cost.opsLimit, 8);
        putLittleEndian(costBytes + 8, cost.memLimit, 8);
        crypto_generichash_state state;
        crypto_generichash_init(&state, idKey_->data(), crypto_generichash_KEYBYTES, crypto_generichash_BYTES);
        crypto_generichash_update(&state, salt, crypto_pwhash_SALTBYTES);
        crypto_generichash_update(&state, costBytes, sizeof costBytes);
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(password.data()), password.size());
        crypto_generichash_final(&state, id->data(), crypto_generichash_BYTES);
        sodium_memzero(&state, sizeof state);

        auto key = std::make_unique<SecretBytes>(kKeyBytes);
        for (const auto& entry : entries_) {
            if (sodium_memcmp(entry->data(), id->data(), crypto_generichash_BYTES) == 0) {
                std::memcpy(key->data(), entry->data() + crypto_generichash_BYTES, kKeyBytes);
                return key;
            }
        }
        if (crypto_pwhash(key->data(), kKeyBytes, password.data(), password.size(), salt, cost.opsLimit,
                static_cast<std::size_t>(cost.memLimit), crypto_pwhash_ALG_ARGON2ID13)
            != 0)
            throw DatabaseError::fromStatus(status::kIoError, { "Not enough memory to derive the card set's key" });
        std::memcpy(id->data() + crypto_generichash_BYTES, key->data(), kKeyBytes);
        if (entries_.size() == kCachedKeys)
            entries_.erase(entries_.begin());
        entries_.push_back(std::move(id));
        return key;
    }

private:
    std::mutex mutex_;
    std::unique_ptr<SecretBytes> idKey_;
    std::vector<std::unique_ptr<SecretBytes>> entries_; // hash, then key
};

void checksum(const unsigned char* file, std::size_t size, unsigned char* out)
{
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    crypto_generichash_update(&state, file, pf::kChecksumOffset);
    crypto_generichash_update(&state, file + pf::kHeaderSize, size - pf::kHeaderSize);
    crypto_generichash_final(&state, out, crypto_generichash_BYTES);
}

} // namespace

void initialise()
{
    static const int rc = sodium_init();
    if (rc < 0)
        throw DatabaseError::engineInit(status::kEngineInit);
}

bool costIsUsable(KeyDerivationCost cost)
{
    // Each limit is checked before the product, which then cannot overflow.
    return cost.opsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MIN && cost.opsLimit <= kMaxOpsLimit
        && cost.memLimit >= crypto_pwhash_argon2id_MEMLIMIT_MIN && cost.memLimit <= kMaxMemLimit
        && cost.opsLimit * cost.memLimit <= kMaxWork;
}

namespace {
KeyDerivation derivationForFuzzing = nullptr;

KeyDerivationRunner& keyDerivationRunner()
{
    static KeyDerivationRunner runner;
    return runner;
}
} // namespace

void setKeyDerivationForFuzzing(KeyDerivation derivation)
{
    derivationForFuzzing = derivation;
}

std::unique_ptr<SecretBytes> deriveKey(const std::string& password, const unsigned char* salt, KeyDerivationCost cost)
{
    if (derivationForFuzzing)
        return derivationForFuzzing(password, salt, cost);
    static KeyCache cache;
    if (!keyDerivationRunner())
        return cache.derive(password, salt, cost);
    std::unique_ptr<SecretBytes> key;
    std::exception_ptr failure;
    keyDerivationRunner()([&] {
        try {
            key = cache.derive(password, salt, cost);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
    return key;
}

const unsigned char* Sealed::salt() const
{
    return bytes.data() + pf::kSaltOffset;
}

Sealed readSealed(const std::string& path)
{
    Sealed sealed;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw DatabaseError::fromStatus(status::kTableNotFound, { "File: " + path });
        throw DatabaseError::fromStatus(status::kNoAccess, { std::strerror(errno), "File: " + path });
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw DatabaseError::fromStatus(status::kNotACardSet, { "File: " + path });
    }
    sealed.identity = fileIdentity(info);
    sealed.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < sealed.bytes.size()) {
        ssize_t got = ::read(fd, sealed.bytes.data() + done, sealed.bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            int error = errno;
            ::close(fd);
            ioFailure(path, got < 0 ? std::strerror(error) : "The file became shorter while it was read");
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);

    const auto& bytes = sealed.bytes;
    std::string_view start(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 16));
    if (!hasProtectedMagic(start))
        throw DatabaseError::fromStatus(status::kNotACardSet, { "File: " + path });
    if (bytes[pf::kMagic.size()] != pf::kVersion)
        damaged(path, "Unknown protected card set version " + std::to_string(bytes[pf::kMagic.size()]));
    if (bytes.size() < pf::kHeaderSize + pf::kChunkOverhead)
        damaged(path, "The protected card set ends early");
    unsigned char expected[crypto_generichash_BYTES];
    checksum(bytes.data(), bytes.size(), expected);
    if (sodium_memcmp(expected, bytes.data() + pf::kChecksumOffset, sizeof expected) != 0)
        damaged(path, "The protected card set does not match its checksum");
    sealed.cost.opsLimit = getLittleEndian(bytes.data() + pf::kOpsLimitOffset, 8);
    sealed.cost.memLimit = getLittleEndian(bytes.data() + pf::kMemLimitOffset, 8);
    sealed.chunkSize = static_cast<std::size_t>(getLittleEndian(bytes.data() + pf::kChunkSizeOffset, 4));
    if (!costIsUsable(sealed.cost))
        damaged(path,
            "The protected card set asks for a key derivation cost out of bounds ("
                + std::to_string(sealed.cost.opsLimit) + " passes over " + std::to_string(sealed.cost.memLimit)
                + " bytes; at most " + std::to_string(kMaxOpsLimit) + " passes, " + std::to_string(kMaxMemLimit >> 20)
                + " MiB, and " + std::to_string(kCostFactor) + " times the work of the default)");
    if (sealed.chunkSize < kMinChunkSize || sealed.chunkSize > kMaxChunkSize)
        damaged(path, "The protected card set's chunk size is out of bounds");
    std::size_t body = bytes.size() - pf::kHeaderSize;
    std::size_t sealedChunk = sealed.chunkSize + pf::kChunkOverhead;
    if (body % sealedChunk != 0 && body % sealedChunk < pf::kChunkOverhead)
        damaged(path, "The protected card set ends early");
    return sealed;
}

// Decrypts sealed with key into image. false when the first chunk does not authenticate, which is all a
// wrong key looks like; damage after it raises.
bool unseal(const Sealed& sealed, const unsigned char* key, DatabaseImage& image, const std::string& path)
{
    const unsigned char* body = sealed.bytes.data() + pf::kHeaderSize;
    std::size_t bodySize = sealed.bytes.size() - pf::kHeaderSize;
    std::size_t sealedChunk = sealed.chunkSize + pf::kChunkOverhead;
    std::size_t chunks = (bodySize + sealedChunk - 1) / sealedChunk;
    std::size_t plainSize = bodySize - chunks * pf::kChunkOverhead;
    auto* plain = static_cast<unsigned char*>(sqlite3_malloc64(std::max<std::size_t>(plainSize, 1)));
    if (!plain)
        ioFailure(path, "Not enough memory to open the card set");
    DatabaseImage result(plain, plainSize);

    crypto_secretstream_xchacha20poly1305_state state;
    struct Wipe
    {
        crypto_secretstream_xchacha20poly1305_state& state;
        ~Wipe() { sodium_memzero(&state, sizeof state); }
    } wipe { state };
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, sealed.bytes.data() + pf::kStreamHeaderOffset, key)
        != 0)
        return false;
    for (std::size_t i = 0; i < chunks; ++i) {
        bool last = i + 1 == chunks;
        std::size_t length = last ? bodySize - i * sealedChunk : sealedChunk;
        unsigned long long plainLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, plain + i * sealed.chunkSize, &plainLength, &tag,
                body + i * sealedChunk, length, i == 0 ? sealed.bytes.data() : nullptr,
                i == 0 ? pf::kChecksumOffset : 0)
            != 0) {
            if (i == 0)
                return false;
            damaged(path, "The protected card set's contents do not authenticate");
        }
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL && !last)
            damaged(path, "The protected card set has bytes after its end");
        if (tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL && last)
            damaged(path, "The protected card set ends early");
        if (tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL
            && tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE)
            damaged(path, "The protected card set's contents do not authenticate");
    }
    image = std::move(result);
    return true;
}

// The first of passwords whose key authenticates sealed, with image decrypted; null when none does.
std::unique_ptr<SecretBytes> findKey(
    const Sealed& sealed, const std::vector<std::string>& passwords, DatabaseImage& image, const std::string& path)
{
    for (const std::string& password : passwords) {
        if (password.empty())
            continue;
        auto key = deriveKey(password, sealed.salt(), sealed.cost);
        if (unseal(sealed, key->data(), image, path))
            return key;
    }
    return nullptr;
}

std::vector<unsigned char> seal(
    const DatabaseImage& image, const unsigned char* key, const unsigned char* salt, KeyDerivationCost cost)
{
    const std::size_t chunkSize = pf::kChunkSize;
    std::size_t chunks = std::max<std::size_t>(1, (image.size() + chunkSize - 1) / chunkSize);
    std::vector<unsigned char> out(pf::kHeaderSize + image.size() + chunks * pf::kChunkOverhead);
    std::memcpy(out.data(), pf::kMagic.data(), pf::kMagic.size());
    out[pf::kMagic.size()] = pf::kVersion;
    putLittleEndian(out.data() + pf::kOpsLimitOffset, cost.opsLimit, 8);
    putLittleEndian(out.data() + pf::kMemLimitOffset, cost.memLimit, 8);
    putLittleEndian(out.data() + pf::kChunkSizeOffset, chunkSize, 4);
    std::memcpy(out.data() + pf::kSaltOffset, salt, crypto_pwhash_SALTBYTES);

    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, out.data() + pf::kStreamHeaderOffset, key);
    unsigned char* sealedChunk = out.data() + pf::kHeaderSize;
    for (std::size_t i = 0; i < chunks; ++i) {
        bool last = i + 1 == chunks;
        std::size_t length = last ? image.size() - i * chunkSize : chunkSize;
        crypto_secretstream_xchacha20poly1305_push(&state, sealedChunk, nullptr, image.data() + i * chunkSize, length,
            i == 0 ? out.data() : nullptr, i == 0 ? pf::kChecksumOffset : 0,
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        sealedChunk += length + pf::kChunkOverhead;
    }
    sodium_memzero(&state, sizeof state);
    checksum(out.data(), out.size(), out.data() + pf::kChecksumOffset);
    return out;
}

} // namespace sealing

void setKeyDerivationRunner(KeyDerivationRunner runner)
{
    sealing::keyDerivationRunner() = std::move(runner);
}

} // namespace cardstore
