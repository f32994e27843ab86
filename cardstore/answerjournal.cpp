#include "answerjournal.h"

#include "errors.h"
#include "filereplace.h"
#include "protectedseal.h"
#include "studyschema.h"

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace cardstore {

namespace jf = journalformat;

static_assert(jf::kKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(jf::kKeySize == crypto_kdf_KEYBYTES);
static_assert(jf::kNonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(jf::kTagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);

namespace {

constexpr std::string_view kMagic { "KARTE-ANSWERS\0\0\1", 16 };
constexpr std::string_view kNameInfix = ".answers-";
// The journal key is the set key's first subkey in this context; the set key itself seals the set.
constexpr char kKeyContext[crypto_kdf_CONTEXTBYTES + 1] = "KarteAns";

[[noreturn]] void ioFailure(const std::string& path, const std::string& detail)
{
    throw DatabaseError::fromStatus(status::kIoError, { detail + ": " + std::strerror(errno), "File: " + path });
}

[[noreturn]] void refuse(const std::string& journal, const std::string& setPath)
{
    throw DatabaseError(status::kCorruptFile,
        "The answers kept beside this card set in " + std::filesystem::path(journal).filename().string()
            + " cannot be read: that file is damaged or belongs to another set. Move it away to study the set (the "
              "answers in it are then lost). File: "
            + setPath);
}

// Removes the journal at path whose lock fd holds, for good (the directory synced), then lets go of the lock.
void removeLocked(const std::string& path, int& fd)
{
    if (fd < 0)
        return;
    ::unlink(path.c_str());
    syncDirectory(directoryOf(path));
    ::close(std::exchange(fd, -1));
}

// The fields of records, in the order of the file.
class Writer
{
public:
    explicit Writer(unsigned char* out)
        : out_(out)
    {
    }
    void number(std::uint64_t value, std::size_t bytes)
    {
        sealing::putLittleEndian(out_, value, bytes);
        out_ += bytes;
    }
    void real(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        number(bits, 8);
    }
    void memory(const CardMemory& memory)
    {
        number(static_cast<std::uint64_t>(memory.state), 1);
        number(static_cast<std::uint32_t>(memory.step), 4);
        real(memory.stability);
        real(memory.difficulty);
        number(static_cast<std::uint64_t>(memory.dueMs), 8);
        number(static_cast<std::uint64_t>(memory.lastReviewMs), 8);
        number(static_cast<std::uint32_t>(memory.reps), 4);
        number(static_cast<std::uint32_t>(memory.lapses), 4);
    }

private:
    unsigned char* out_;
};

class Reader
{
public:
    explicit Reader(const unsigned char* in)
        : in_(in)
    {
    }
    std::uint64_t number(std::size_t bytes)
    {
        std::uint64_t value = sealing::getLittleEndian(in_, bytes);
        in_ += bytes;
        return value;
    }
    std::int64_t whole() { return static_cast<std::int64_t>(number(8)); }
    int small() { return static_cast<int>(static_cast<std::int32_t>(number(4))); }
    double real()
    {
        std::uint64_t bits = number(8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    CardMemory memory(std::int64_t cardKey)
    {
        CardMemory memory;
        memory.cardKey = cardKey;
        memory.state = static_cast<int>(number(1));
        memory.step = small();
        memory.stability = real();
        memory.difficulty = real();
        memory.dueMs = whole();
        memory.lastReviewMs = whole();
        memory.reps = small();
        memory.lapses = small();
        return memory;
    }

private:
    const unsigned char* in_;
};

void encode(const JournalRecord& record, unsigned char* plain)
{
    Writer out(plain);
    out.number(static_cast<std::uint64_t>(record.kind), 1);
    out.number(static_cast<std::uint64_t>(record.answer.cardKey), 8);
    out.number(static_cast<std::uint64_t>(record.answer.reviewedMs), 8);
    out.number(static_cast<std::uint64_t>(record.answer.grade), 1);
    out.number(static_cast<std::uint64_t>(record.answer.durationMs), 8);
    out.memory(record.answer.after);
    out.number(record.restored ? 1 : 0, 1);
    out.memory(record.restored.value_or(CardMemory {}));
}

// The record, or nothing when its fields are not those of an answer or undo the program makes.
std::optional<JournalRecord> decode(const unsigned char* plain)
{
    Reader in(plain);
    JournalRecord record;
    const std::uint64_t kind = in.number(1);
    if (kind != 1 && kind != 2)
        return std::nullopt;
    record.kind = static_cast<JournalRecord::Kind>(kind);
    record.answer.cardKey = in.whole();
    record.answer.reviewedMs = in.whole();
    record.answer.grade = static_cast<int>(in.number(1));
    record.answer.durationMs = in.whole();
    record.answer.after = in.memory(record.answer.cardKey);
    const std::uint64_t restored = in.number(1);
    const CardMemory memory = in.memory(record.answer.cardKey);
    if (restored > 1 || studyschema::entryProblem(record.answer) || studyschema::memoryProblem(record.answer.after))
        return std::nullopt;
    if (restored == 1) {
        if (record.kind != JournalRecord::Kind::Undo || studyschema::memoryProblem(memory))
            return std::nullopt;
        record.restored = memory;
    }
    return record;
}

void additionalData(const unsigned char* header, std::uint64_t index, unsigned char* out)
{
    std::memcpy(out, header, jf::kHeaderSize);
    sealing::putLittleEndian(out + jf::kHeaderSize, index, 8);
}

void sealRecord(const JournalRecord& record, const unsigned char* header, std::uint64_t index, const unsigned char* key,
    unsigned char* out)
{
    unsigned char plain[jf::kPlainSize];
    encode(record, plain);
    unsigned char ad[jf::kHeaderSize + 8];
    additionalData(header, index, ad);
    randombytes_buf(out, jf::kNonceSize);
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        out + jf::kNonceSize, nullptr, plain, sizeof plain, ad, sizeof ad, nullptr, out, key);
    sodium_memzero(plain, sizeof plain);
}

std::optional<JournalRecord> openRecord(
    const unsigned char* in, const unsigned char* header, std::uint64_t index, const unsigned char* key)
{
    unsigned char plain[jf::kPlainSize];
    unsigned char ad[jf::kHeaderSize + 8];
    additionalData(header, index, ad);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            plain, nullptr, nullptr, in + jf::kNonceSize, jf::kPlainSize + jf::kTagSize, ad, sizeof ad, in, key)
        != 0)
        return std::nullopt;
    std::optional<JournalRecord> record = decode(plain);
    sodium_memzero(plain, sizeof plain);
    return record;
}

std::string journalPrefix(const std::string& setPath)
{
    return "." + std::filesystem::path(setPath).filename().string() + std::string(kNameInfix);
}

// The records of the journal open at fd, or nothing when it is damaged or foreign.
std::optional<std::vector<JournalRecord>> readJournal(int fd, const unsigned char* key)
{
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || info.st_size < 0)
        return std::nullopt;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(info.st_size));
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += static_cast<std::size_t>(got);
    }
    std::vector<JournalRecord> records;
    // Shorter than its header: made by a program killed before it wrote its first answer.
    if (bytes.size() < jf::kHeaderSize)
        return records;
    if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        return std::nullopt;
    const std::size_t count = (bytes.size() - jf::kHeaderSize) / jf::kRecordSize;
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<JournalRecord> record
            = openRecord(bytes.data() + jf::kHeaderSize + i * jf::kRecordSize, bytes.data(), i, key);
        if (!record)
            return std::nullopt;
        records.push_back(*record);
    }
    return records;
}

} // namespace

StaleJournal::StaleJournal(std::string path, int fd, std::vector<JournalRecord> records)
    : path_(std::move(path))
    , fd_(fd)
    , records_(std::move(records))
{
}

StaleJournal::~StaleJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

StaleJournal::StaleJournal(StaleJournal&& other) noexcept
    : path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
    , records_(std::move(other.records_))
{
}

void StaleJournal::remove()
{
    removeLocked(path_, fd_);
}

AnswerJournal::AnswerJournal(std::string setPath)
    : setPath_(std::move(setPath))
{
}

AnswerJournal::~AnswerJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void AnswerJournal::deriveKey(const unsigned char* setKey, unsigned char* journalKey)
{
    crypto_kdf_derive_from_key(journalKey, jf::kKeySize, 1, kKeyContext, setKey);
}

void AnswerJournal::rewrite(const std::vector<JournalRecord>& records, const unsigned char* journalKey)
{
    // Under the directory lock, as the program taking in stale journals looks: it never sees one half made.
    DirectoryLock lock(setPath_);
    std::string path = directoryOf(setPath_) + "/" + journalPrefix(setPath_) + "XXXXXX";
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        ioFailure(setPath_, "Cannot create a file beside it for the answers");
    ::flock(fd, LOCK_EX | LOCK_NB);
    unsigned char header[jf::kHeaderSize];
    std::memcpy(header, kMagic.data(), kMagic.size());
    randombytes_buf(header + kMagic.size(), jf::kHeaderSize - kMagic.size());
    std::vector<unsigned char> bytes(jf::kHeaderSize + records.size() * jf::kRecordSize);
    std::memcpy(bytes.data(), header, jf::kHeaderSize);
    for (std::size_t i = 0; i < records.size(); ++i)
        sealRecord(records[i], header, i, journalKey, bytes.data() + jf::kHeaderSize + i * jf::kRecordSize);
    if (!writeAllAt(fd, bytes.data(), bytes.size(), 0) || ::fdatasync(fd) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        ::close(fd);
        errno = error;
        ioFailure(setPath_, "Cannot keep the answer beside it");
    }
    syncDirectory(directoryOf(path));
    if (fd_ >= 0)
        remove();
    path_ = std::move(path);
    fd_ = fd;
    std::memcpy(header_, header, jf::kHeaderSize);
    records_ = records.size();
}

void AnswerJournal::append(const JournalRecord& record, const unsigned char* journalKey)
{
    if (fd_ < 0) {
        rewrite({ record }, journalKey);
        return;
    }
    unsigned char bytes[jf::kRecordSize];
    sealRecord(record, header_, records_, journalKey, bytes);
    const auto end = static_cast<off_t>(jf::kHeaderSize + records_ * jf::kRecordSize);
    if (!writeAllAt(fd_, bytes, sizeof bytes, end) || ::fdatasync(fd_) != 0) {
        const int error = errno;
        // What was written of the record is cut off again, so that the next one follows the last whole one.
        while (::ftruncate(fd_, end) != 0 && errno == EINTR) { }
        errno = error;
        ioFailure(setPath_, "Cannot keep the answer beside it");
    }
    ++records_;
}

void AnswerJournal::remove()
{
    removeLocked(path_, fd_);
    records_ = 0;
}

std::vector<std::string> AnswerJournal::beside(const std::string& setPath)
{
    std::vector<std::string> found;
    const std::string prefix = journalPrefix(setPath);
    DIR* directory = ::opendir(directoryOf(setPath).c_str());
    if (!directory)
        return found;
    while (const dirent* entry = ::readdir(directory)) {
        std::string_view name = entry->d_name;
        if (name.starts_with(prefix) && name.size() == prefix.size() + 6)
            found.push_back(directoryOf(setPath) + "/" + std::string(name));
    }
    ::closedir(directory);
    return found;
}

std::vector<StaleJournal> AnswerJournal::takeStale(const std::string& setPath, const unsigned char* journalKey)
{
    std::vector<StaleJournal> stale;
    const std::vector<std::string> paths = beside(setPath);
    if (paths.empty())
        return stale;
    DirectoryLock lock(setPath);
    for (const std::string& path : paths) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat info
        {
        };
        // The lock of a live program's journal is held: that program still has its answers.
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()
            || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        std::optional<std::vector<JournalRecord>> records = readJournal(fd, journalKey);
        if (!records) {
            ::close(fd);
            refuse(path, setPath);
        }
        stale.emplace_back(path, fd, std::move(*records));
    }
    return stale;
}

} // namespace cardstore
