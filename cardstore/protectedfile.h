#pragma once

#include "filereplace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cardstore {

namespace sqlite {
class Connection;
}

// A password-protected card set is its SQLite image sealed with a key derived from the password. The file
// (numbers little-endian):
//     0  16  "KARTE-PROTECTED" and the format version byte, 1
//    16   8  Argon2id operations limit
//    24   8  Argon2id memory limit in bytes
//    32   4  plain-text bytes per sealed chunk
//    36  16  salt of the key derivation
//    52  24  header of the XChaCha20-Poly1305 secret stream
//    76  32  BLAKE2b-256 of bytes 0-75 followed by everything from byte 108 on
//   108      the image in chunks of the chunk size (the last one may be shorter), each followed by 17 bytes of
//            stream overhead; bytes 0-75 are the additional data of the first chunk, and the last chunk, and
//            only it, carries the final tag.
// The password is not stored in any form. The checksum tells accidental damage from a wrong password before a
// key is derived; what protects the contents is the authentication, which also catches damage that someone
// has covered with a fresh checksum.
namespace protectedformat {
inline constexpr std::string_view kMagic = "KARTE-PROTECTED";
inline constexpr unsigned char kVersion = 1;
inline constexpr std::size_t kOpsLimitOffset = 16;
inline constexpr std::size_t kMemLimitOffset = 24;
inline constexpr std::size_t kChunkSizeOffset = 32;
inline constexpr std::size_t kSaltOffset = 36;
inline constexpr std::size_t kStreamHeaderOffset = 52;
inline constexpr std::size_t kChecksumOffset = 76;
inline constexpr std::size_t kHeaderSize = 108;
inline constexpr std::size_t kChunkOverhead = 17;
inline constexpr std::size_t kChunkSize = 64 * 1024;
// The longest password the program's prompt hands over, in characters.
inline constexpr std::size_t kMaxPasswordLength = 255;
} // namespace protectedformat

// What deriving a key from a password costs, as Argon2id's limits.
struct KeyDerivationCost
{
    std::uint64_t opsLimit = 0;
    std::uint64_t memLimit = 0;
};

// About one second on the machine the program was tuned on.
KeyDerivationCost defaultKeyDerivationCost();
// The cost sets are sealed with from now on when they get a new password (the default unless changed). Tests
// lower it to keep the suite fast; reading always uses the cost a file records.
KeyDerivationCost keyDerivationCostForNewSets();
void setKeyDerivationCostForNewSets(KeyDerivationCost cost);

// Runs the work of deriving a key from a password, which takes a second or more: by default in the calling thread.
// A program with windows hands in a runner that does it on a thread of its own and keeps the windows painted
// meanwhile. The work touches nothing but its own data and the engine's key cache, which is locked; it throws
// nothing (a failure is carried back to the caller and raised there).
using KeyDerivationRunner = std::function<void(const std::function<void()>& work)>;
void setKeyDerivationRunner(KeyDerivationRunner runner);

// Whether bytes (the start of a file) begin like a protected set of any version.
bool hasProtectedMagic(std::string_view bytes);
bool isProtectedCardSet(const std::string& path);

// A plain-text SQLite image in memory from SQLite's allocator, wiped before it is freed.
class DatabaseImage
{
public:
    DatabaseImage() = default;
    DatabaseImage(unsigned char* data, std::size_t size)
        : data_(data)
        , size_(size)
    {
    }
    ~DatabaseImage();
    DatabaseImage(DatabaseImage&& other) noexcept;
    DatabaseImage& operator=(DatabaseImage&& other) noexcept;
    DatabaseImage(const DatabaseImage&) = delete;
    DatabaseImage& operator=(const DatabaseImage&) = delete;

    // A copy of the connection's database.
    static DatabaseImage of(const sqlite::Connection& connection);

    unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }
    // Hands the memory over, e.g. to Connection::fromImage.
    unsigned char* release();

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

class SecretBytes;

// What the engine keeps of an open protected set to read and write it again: its salt, cost and key (in
// guarded memory that is wiped when freed), and which file it was read from.
class ProtectedFile
{
public:
    ~ProtectedFile();
    ProtectedFile(const ProtectedFile&) = delete;
    ProtectedFile& operator=(const ProtectedFile&) = delete;

    // Reads, checks and decrypts the protected set at path with the first of passwords it authenticates.
    // Damage raises the damaged-file error; no password that fits raises the insufficient-rights error, so
    // that the table asks for one.
    static std::unique_ptr<ProtectedFile> open(
        const std::string& path, const std::vector<std::string>& passwords, DatabaseImage& image);

    // Whether the file at path is no longer the one last read or written.
    bool replacedOnDisk(const std::string& path) const;
    // Reads the file again (another program replaced it), with this set's key or else one of passwords.
    DatabaseImage reload(const std::string& path, const std::vector<std::string>& passwords);
    // Counts the times another program's version of the file was taken in, taking it into connection now when
    // the file has been replaced since it was last read or written; a new count means the records changed.
    std::int64_t dataVersion(sqlite::Connection& connection, bool readOnly);
    // Seals image with a fresh stream header under this set's key and puts it in place of the file at path:
    // a new file beside it, synced, renamed over the old one. On failure the old file is untouched.
    void write(const std::string& path, const DatabaseImage& image);
    // How many times write() has succeeded: whatever was in the database before a write is in the file after it.
    std::int64_t writeCount() const { return writes_; }
    // The key of the set's answer journal (answerjournal.h), journalformat::kKeySize bytes derived from the set's
    // key; it changes when another program changes the password, as keyChanges() counts.
    void journalKey(unsigned char* out) const;
    std::int64_t keyChanges() const { return keyChanges_; }
    // Called with the connection right after dataVersion took in another program's version of the file, so that
    // changes committed to the database but not yet sealed into the file (the study answers kept for sealing in
    // a batch) can be made again on top of it instead of being lost. Null for none.
    void setAfterReload(std::function<void(sqlite::Connection&)> reapply) { afterReload_ = std::move(reapply); }

private:
    ProtectedFile();

    std::vector<unsigned char> salt_;
    KeyDerivationCost cost_;
    std::unique_ptr<SecretBytes> key_;
    FileIdentity identity_;
    std::int64_t reloads_ = 0;
    std::int64_t writes_ = 0;
    std::int64_t keyChanges_ = 0;
    std::function<void(sqlite::Connection&)> afterReload_;
};

// One committed write to an open protected set. Made before the transaction starts: it takes the write lock,
// loads the file again if another program replaced it, and remembers the database as it is on disk. After the
// commit, finish() writes the file; when that fails, the database is put back as the file has it, so that a
// card never appears that the file does not hold, and the error is raised. Does nothing for a plain set (null).
class ProtectedWrite
{
public:
    ProtectedWrite(ProtectedFile* file, sqlite::Connection& connection);
    ~ProtectedWrite();
    ProtectedWrite(const ProtectedWrite&) = delete;
    ProtectedWrite& operator=(const ProtectedWrite&) = delete;

    void finish();

private:
    ProtectedFile* file_;
    sqlite::Connection& connection_;
    DatabaseImage before_;
    std::unique_ptr<DirectoryLock> lock_;
};

// The password commands of the karte-protect tool. Each replaces the file in one step (a new file renamed over
// it) and leaves it untouched when it fails; a password that does not open the set raises the invalid-password
// error. New passwords must not be empty nor longer than the prompt accepts.
void protectCardSet(const std::string& path, const std::string& password);
void unprotectCardSet(const std::string& path, const std::string& password);
void changeCardSetPassword(const std::string& path, const std::string& oldPassword, const std::string& newPassword);

} // namespace cardstore
