#include "protectedfile.h"

#include "answerjournal.h"
#include "cardfile.h"
#include "errors.h"
#include "protectedseal.h"
#include "session.h"
#include "sqlitedb.h"

#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace cardstore {

namespace pf = protectedformat;

namespace {

KeyDerivationCost newSetCost = sealing::kDefaultKeyDerivationCost;

void checkNewPassword(const std::string& password)
{
    if (password.empty())
        throw DatabaseError::fromStatus(status::kInvalidPassword, { "The password is empty" });
    auto characters = static_cast<std::size_t>(std::count_if(
        password.begin(), password.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
    if (characters > pf::kMaxPasswordLength)
        throw DatabaseError::fromStatus(status::kInvalidPassword,
            { "The password is longer than " + std::to_string(pf::kMaxPasswordLength) + " characters" });
}

// image sealed under a new random salt and the key password gives at the cost for new sets.
std::vector<unsigned char> sealWithNewPassword(const DatabaseImage& image, const std::string& password)
{
    unsigned char salt[crypto_pwhash_SALTBYTES];
    randombytes_buf(salt, sizeof salt);
    KeyDerivationCost cost = newSetCost;
    auto key = sealing::deriveKey(password, salt, cost);
    return sealing::seal(image, key->data(), salt, cost);
}

// A new password or none would leave the answers kept beside the set unreadable: they go into it first.
void refuseWhileAnswersWait(const std::string& path)
{
    const std::vector<std::string> journals = AnswerJournal::beside(path);
    if (!journals.empty())
        throw Error("Answers given to this card set are still kept beside it, in "
            + std::filesystem::path(journals.front()).filename().string()
            + ": close its Study window, or open the set in the program, so that they are sealed into it, then try "
              "again. File: "
            + path);
}

DatabaseImage unsealWithPassword(const sealing::Sealed& sealed, const std::string& password, const std::string& path)
{
    DatabaseImage image;
    auto key = sealing::deriveKey(password, sealed.salt(), sealed.cost);
    if (!sealing::unseal(sealed, key->data(), image, path))
        throw DatabaseError::fromStatus(status::kInvalidPassword, { "File: " + path });
    return image;
}

sealing::Sealed readProtectedSet(const std::string& path)
{
    if (!isProtectedCardSet(path)) {
        // Missing, unreadable or no card set at all: the usual error for that.
        CardFile::open(path, true);
        throw Error("The card set is not protected. File: " + path);
    }
    return sealing::readSealed(path);
}

} // namespace

KeyDerivationCost defaultKeyDerivationCost()
{
    return sealing::kDefaultKeyDerivationCost;
}

KeyDerivationCost keyDerivationCostForNewSets()
{
    return newSetCost;
}

void setKeyDerivationCostForNewSets(KeyDerivationCost cost)
{
    if (!sealing::costIsUsable(cost))
        throw Error("The key derivation cost is out of range");
    newSetCost = cost;
}

bool hasProtectedMagic(std::string_view bytes)
{
    return bytes.size() >= 16 && bytes.starts_with(pf::kMagic);
}

bool isProtectedCardSet(const std::string& path)
{
    char start[16] = {};
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t got = ::read(fd, start, sizeof start);
    ::close(fd);
    return got > 0 && hasProtectedMagic(std::string_view(start, static_cast<std::size_t>(got)));
}

DatabaseImage::~DatabaseImage()
{
    if (data_) {
        sodium_memzero(data_, size_);
        sqlite3_free(data_);
    }
}

DatabaseImage::DatabaseImage(DatabaseImage&& other) noexcept
    : data_(std::exchange(other.data_, nullptr))
    , size_(std::exchange(other.size_, 0))
{
}

DatabaseImage& DatabaseImage::operator=(DatabaseImage&& other) noexcept
{
    if (this != &other) {
        DatabaseImage old(std::move(*this));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

DatabaseImage DatabaseImage::of(const sqlite::Connection& connection)
{
    sqlite3_int64 size = 0;
    unsigned char* data = sqlite3_serialize(connection.handle(), "main", &size, 0);
    if (!data)
        throw DatabaseError::fromStatus(
            status::kIoError, { "Not enough memory to write the card set", "File: " + connection.path() });
    return DatabaseImage(data, static_cast<std::size_t>(size));
}

unsigned char* DatabaseImage::release()
{
    size_ = 0;
    return std::exchange(data_, nullptr);
}

ProtectedFile::ProtectedFile() = default;

ProtectedFile::~ProtectedFile() = default;

std::unique_ptr<ProtectedFile> ProtectedFile::open(
    const std::string& path, const std::vector<std::string>& passwords, DatabaseImage& image)
{
    sealing::initialise();
    sealing::Sealed sealed = sealing::readSealed(path);
    std::unique_ptr<ProtectedFile> file(new ProtectedFile);
    file->key_ = sealing::findKey(sealed, passwords, image, path);
    if (!file->key_)
        throw DatabaseError::fromStatus(status::kInsufficientRights, { "File: " + path });
    file->salt_.assign(sealed.salt(), sealed.salt() + crypto_pwhash_SALTBYTES);
    file->cost_ = sealed.cost;
    file->identity_ = sealed.identity;
    return file;
}

bool ProtectedFile::replacedOnDisk(const std::string& path) const
{
    return !(fileIdentity(path) == identity_);
}

DatabaseImage ProtectedFile::reload(const std::string& path, const std::vector<std::string>& passwords)
{
    sealing::Sealed sealed = sealing::readSealed(path);
    DatabaseImage image;
    bool sameKey = std::equal(salt_.begin(), salt_.end(), sealed.salt()) && sealed.cost.opsLimit == cost_.opsLimit
        && sealed.cost.memLimit == cost_.memLimit;
    if (!sameKey || !sealing::unseal(sealed, key_->data(), image, path)) {
        // The password was changed meanwhile.
        auto key = sealing::findKey(sealed, passwords, image, path);
        if (!key)
            throw DatabaseError::fromStatus(status::kInsufficientRights, { "File: " + path });
        key_ = std::move(key);
        salt_.assign(sealed.salt(), sealed.salt() + crypto_pwhash_SALTBYTES);
        cost_ = sealed.cost;
        ++keyChanges_;
    }
    identity_ = sealed.identity;
    ++reloads_;
    return image;
}

std::int64_t ProtectedFile::dataVersion(sqlite::Connection& connection, bool readOnly)
{
    if (replacedOnDisk(connection.path())) {
        DatabaseImage current = reload(connection.path(), Session::instance().passwords());
        std::size_t size = current.size();
        connection.replaceImage(current.release(), static_cast<std::int64_t>(size), readOnly);
        if (afterReload_)
            afterReload_(connection);
    }
    return reloads_;
}

void ProtectedFile::journalKey(unsigned char* out) const
{
    AnswerJournal::deriveKey(key_->data(), out);
}

void ProtectedFile::write(const std::string& path, const DatabaseImage& image)
{
    std::vector<unsigned char> bytes = sealing::seal(image, key_->data(), salt_.data(), cost_);
    identity_ = replaceFile(path, bytes.data(), bytes.size(), fileMode(path), ModeTiming::BeforeRename);
    ++writes_;
}

ProtectedWrite::ProtectedWrite(ProtectedFile* file, sqlite::Connection& connection)
    : file_(file)
    , connection_(connection)
{
    if (!file_)
        return;
    lock_ = std::make_unique<DirectoryLock>(connection_.path());
    lock_->removeStaleTemporaries(connection_.path());
    // Another instance wrote the set since we read it: the change goes onto its cards, not onto older ones.
    file_->dataVersion(connection_, false);
    before_ = DatabaseImage::of(connection_);
}

ProtectedWrite::~ProtectedWrite() = default;

void ProtectedWrite::finish()
{
    if (!file_)
        return;
    try {
        file_->write(connection_.path(), DatabaseImage::of(connection_));
    } catch (const Error&) {
        // The file keeps the old cards, so the database must too, or the next write would carry this one along.
        std::size_t size = before_.size();
        connection_.replaceImage(before_.release(), static_cast<std::int64_t>(size), false);
        throw;
    }
}

void protectCardSet(const std::string& path, const std::string& password)
{
    sealing::initialise();
    checkNewPassword(password);
    if (isProtectedCardSet(path))
        throw Error("The card set is already protected. File: " + path);
    DirectoryLock lock(path);
    lock.removeStaleTemporaries(path);
    CardFile::open(path, true);
    DatabaseImage image;
    {
        sqlite::Connection plain(path, true, false);
        image = DatabaseImage::of(plain);
    }
    std::vector<unsigned char> bytes = sealWithNewPassword(image, password);
    replaceFile(path, bytes.data(), bytes.size(), fileMode(path), ModeTiming::BeforeRename);
}

void unprotectCardSet(const std::string& path, const std::string& password)
{
    sealing::initialise();
    DirectoryLock lock(path);
    lock.removeStaleTemporaries(path);
    sealing::Sealed sealed = readProtectedSet(path);
    refuseWhileAnswersWait(path);
    DatabaseImage image = unsealWithPassword(sealed, password, path);
    // The plain file is checked like any card set before it takes the protected one's place. Until then it holds
    // the cards in plain text beside a set that is still protected, so it is its owner's alone until renamed.
    replaceFile(path, image.data(), image.size(), fileMode(path), ModeTiming::AfterRename,
        [](const std::string& temporary) { CardFile::open(temporary, true); });
}

void changeCardSetPassword(const std::string& path, const std::string& oldPassword, const std::string& newPassword)
{
    sealing::initialise();
    checkNewPassword(newPassword);
    DirectoryLock lock(path);
    lock.removeStaleTemporaries(path);
    sealing::Sealed sealed = readProtectedSet(path);
    refuseWhileAnswersWait(path);
    DatabaseImage image = unsealWithPassword(sealed, oldPassword, path);
    std::vector<unsigned char> bytes = sealWithNewPassword(image, newPassword);
    replaceFile(path, bytes.data(), bytes.size(), fileMode(path), ModeTiming::BeforeRename);
}

} // namespace cardstore
