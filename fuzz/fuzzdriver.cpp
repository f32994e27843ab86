#include "fuzzdriver.h"

#include "protectedfile.h"
#include "protectedseal.h"
#include "session.h"
#include "studystore.h"
#include "table.h"

#include <sodium.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace fuzzdriver {

namespace pf = cardstore::protectedformat;

namespace {

// Every field of the current record, in every form the controls read it.
void readRecord(cardstore::Table& table)
{
    for (int i = 0; i < table.fieldCount(); ++i) {
        std::string text = table.fieldText(i);
        if (table.fieldIsNull(i) != text.empty()
            && table.fieldDefs()[static_cast<std::size_t>(i)].type == cardstore::FieldType::Text)
            throw std::logic_error("a text field's null flag disagrees with its text");
    }
    table.sequenceNumber();
    table.physicalRecordNumber();
}

void walkActiveOrder(cardstore::Table& table)
{
    int count = table.recordCount();
    int seen = 0;
    for (table.first(); !table.eof(); table.next()) {
        readRecord(table);
        if (++seen > count)
            throw std::logic_error("the walk forward passed the record count");
    }
    seen = 0;
    for (table.last(); !table.bof(); table.prior()) {
        readRecord(table);
        if (++seen > count)
            throw std::logic_error("the walk backward passed the record count");
    }
    table.first();
    table.moveBy(count / 2 + 1);
    table.moveBy(-count);
    table.moveBy(1 << 30);
    table.moveBy(-(1 << 30));
}

// Searches the active index for the key of its middle record, then for a key of the first field's shape.
void searchKeys(cardstore::Table& table, const cardstore::IndexDef& index)
{
    std::vector<std::string> names = index.fieldNames();
    std::vector<std::string> texts;
    table.first();
    table.moveBy(table.recordCount() / 2);
    for (const std::string& name : names)
        texts.push_back(table.eof() ? std::string() : table.fieldText(name));
    table.setKey();
    for (std::size_t i = 0; i < names.size(); ++i)
        table.setFieldText(names[i], texts[i]);
    bool found = table.gotoKey();
    if (!table.eof() && found)
        readRecord(table);
    table.editKey();
    table.setFieldText(names.front(), "1");
    table.gotoKey();
    table.cancel();
}

// A memory the study store hands out must be one an answer can leave: it leaves the rest out.
void checkMemory(const cardstore::CardMemory& memory)
{
    if (memory.state < 0 || memory.state > 3 || !std::isfinite(memory.stability) || memory.stability < 0
        || !(memory.difficulty >= 1 && memory.difficulty <= 10) || memory.reps < 0 || memory.lapses < 0)
        throw std::logic_error("the study store handed out a memory no answer can leave");
}

// Reads the study progress as the study window does: every memory, the log in time order, the last answers and a
// setting. Only reading: opening the store writes nothing.
void readStudyProgress(cardstore::Table& table)
{
    cardstore::StudyStore& study = table.study();
    for (const cardstore::CardMemory& memory : study.loadMemories())
        checkMemory(memory);
    std::int64_t previous = INT64_MIN;
    study.visitReviews([&](const cardstore::ReviewEntry& entry) {
        if (entry.reviewedMs < previous || entry.grade < 1 || entry.grade > 4)
            throw std::logic_error("the review log is out of time order or holds an unknown grade");
        previous = entry.reviewedMs;
        checkMemory(entry.after);
    });
    study.lastReviews(10);
    study.setting(cardstore::studysetting::kBook);
}

} // namespace

void openAndWalk(const std::string& path)
{
    cardstore::Table table;
    table.onPasswordRequired = [] { return false; };
    table.setTableName(path);
    table.open();
    walkActiveOrder(table);
    std::vector<cardstore::IndexDef> indexes = table.indexDefs();
    for (const cardstore::IndexDef& index : indexes) {
        table.setIndexName(index.name);
        walkActiveOrder(table);
        searchKeys(table, index);
    }
    table.setIndexName("");
    table.refresh();
    walkActiveOrder(table);
    readStudyProgress(table);
    table.close();
}

namespace {

std::unique_ptr<cardstore::SecretBytes> cheapKey(
    const std::string& password, const unsigned char*, cardstore::KeyDerivationCost)
{
    auto key = std::make_unique<cardstore::SecretBytes>(crypto_secretstream_xchacha20poly1305_KEYBYTES);
    crypto_generichash(key->data(), crypto_secretstream_xchacha20poly1305_KEYBYTES,
        reinterpret_cast<const unsigned char*>(password.data()), password.size(), nullptr, 0);
    return key;
}

std::uint64_t readNumber(const std::uint8_t* data, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    return value;
}

void putNumber(unsigned char* out, std::uint64_t value, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

void refreshChecksum(std::string& file)
{
    if (file.size() < pf::kHeaderSize)
        return;
    auto* bytes = reinterpret_cast<unsigned char*>(file.data());
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    crypto_generichash_update(&state, bytes, pf::kChecksumOffset);
    crypto_generichash_update(&state, bytes + pf::kHeaderSize, file.size() - pf::kHeaderSize);
    crypto_generichash_final(&state, bytes + pf::kChecksumOffset, crypto_generichash_BYTES);
}

// Mode 2: after the mode byte, the header's operations limit (8 bytes), memory limit (8) and chunk size (4), a
// flags byte, the number of a chunk and a tag to give it, then the plain image.
constexpr std::size_t kSealedPrefix = 1 + 8 + 8 + 4 + 1 + 2;
constexpr unsigned kFlagOwnTag = 1; // the chosen chunk gets the chosen tag instead of the usual one
constexpr unsigned kFlagNoAdditionalData = 2; // the header is not authenticated with the first chunk
constexpr unsigned kFlagDropLastByte = 4;
constexpr unsigned kFlagExtraChunk = 8; // one more sealed chunk after the final one

std::string sealInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kSealedPrefix)
        return std::string(reinterpret_cast<const char*>(data), size);
    std::uint64_t opsLimit = readNumber(data + 1, 8);
    std::uint64_t memLimit = readNumber(data + 9, 8);
    std::uint64_t chunkField = readNumber(data + 17, 4);
    unsigned flags = data[21];
    std::size_t taggedChunk = data[22];
    unsigned char tag = data[23];
    std::string image(reinterpret_cast<const char*>(data + kSealedPrefix), size - kSealedPrefix);
    // A chunk size the reader refuses still needs some size to seal the body with.
    std::size_t chunkSize = chunkField >= 1 && chunkField <= (16u << 20) ? chunkField : 4096;

    std::string file(pf::kHeaderSize, '\0');
    auto* header = reinterpret_cast<unsigned char*>(file.data());
    std::memcpy(header, pf::kMagic.data(), pf::kMagic.size());
    header[pf::kMagic.size()] = pf::kVersion;
    putNumber(header + pf::kOpsLimitOffset, opsLimit, 8);
    putNumber(header + pf::kMemLimitOffset, memLimit, 8);
    putNumber(header + pf::kChunkSizeOffset, chunkField, 4);
    auto key = cheapKey(kPassword, nullptr, {});
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header + pf::kStreamHeaderOffset, key->data());
    std::string additional = file.substr(0, pf::kChecksumOffset);
    std::size_t chunks = std::max<std::size_t>(1, (image.size() + chunkSize - 1) / chunkSize);
    std::size_t total = chunks + ((flags & kFlagExtraChunk) ? 1 : 0);
    for (std::size_t i = 0; i < total; ++i) {
        std::string plain = i < chunks ? image.substr(i * chunkSize, chunkSize) : std::string("extra");
        unsigned char chunkTag = i + 1 == chunks ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                 : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
        if ((flags & kFlagOwnTag) && i == taggedChunk)
            chunkTag = tag;
        bool withHeader = i == 0 && !(flags & kFlagNoAdditionalData);
        std::string sealed(plain.size() + pf::kChunkOverhead, '\0');
        crypto_secretstream_xchacha20poly1305_push(&state, reinterpret_cast<unsigned char*>(sealed.data()), nullptr,
            reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
            withHeader ? reinterpret_cast<const unsigned char*>(additional.data()) : nullptr,
            withHeader ? additional.size() : 0, chunkTag);
        file += sealed;
    }
    sodium_memzero(&state, sizeof state);
    if ((flags & kFlagDropLastByte) && file.size() > pf::kHeaderSize)
        file.pop_back();
    refreshChecksum(file);
    return file;
}

} // namespace

void useCheapKeys()
{
    cardstore::sealing::initialise();
    cardstore::sealing::setKeyDerivationForFuzzing(cheapKey);
    cardstore::Session::instance().removeAllPasswords();
    cardstore::Session::instance().addPassword(kPassword);
}

void restoreKeys()
{
    cardstore::sealing::setKeyDerivationForFuzzing(nullptr);
    cardstore::Session::instance().removePassword(kPassword);
}

std::string protectedFileFromInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    switch (data[0] % 3) {
    case 0:
        return std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    case 1: {
        std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
        refreshChecksum(file);
        return file;
    }
    default:
        return sealInput(data, size);
    }
}

std::string sealedInputFor(const std::string& image)
{
    std::string input(kSealedPrefix, '\0');
    auto* prefix = reinterpret_cast<unsigned char*>(input.data());
    prefix[0] = 2;
    putNumber(prefix + 1, crypto_pwhash_argon2id_OPSLIMIT_MIN, 8);
    putNumber(prefix + 9, crypto_pwhash_argon2id_MEMLIMIT_MIN, 8);
    putNumber(prefix + 17, 4096, 4);
    return input + image;
}

} // namespace fuzzdriver
