// Damaged and tampered protected card sets: each is refused with a clear error and left byte for byte as it was,
// by the table and by the password commands alike.
#include "protectedtest.h"

#include <cstring>

using namespace cardstore;
using namespace protectedtest;
namespace pf = cardstore::protectedformat;

namespace {

// Big enough that the sealed image spans several chunks, so damage can fall behind the first one.
std::vector<Card> manyCards()
{
    std::vector<Card> cards;
    for (int i = 0; i < 1500; ++i)
        cards.push_back({ "word number " + std::to_string(100000 + i) + " with a gloss long enough to fill pages",
            "λέξις " + std::to_string(i), static_cast<double>(i) });
    return cards;
}

struct Damage
{
    std::string name;
    std::function<void(std::string& bytes)> apply;
    int expectedCode;
};

std::function<void(std::string&)> flipAt(std::function<std::size_t(const std::string&)> position)
{
    return [position](std::string& bytes) { bytes[position(bytes)] ^= 0x20; };
}

std::function<void(std::string&)> cutTo(std::function<std::size_t(const std::string&)> length)
{
    return [length](std::string& bytes) { bytes.resize(length(bytes)); };
}

std::size_t fixed(std::size_t n)
{
    return n;
}

// Checks that every way of reading the damaged file refuses it with the expected code and leaves it alone.
void expectRefused(const std::string& path, int expectedCode, const std::string& password)
{
    std::string before = testsupport::readBytes(path);
    std::set<std::string> entries = directoryEntries(std::filesystem::path(path).parent_path().string());
    Table table;
    int prompts = 0;
    table.onPasswordRequired = [&] { return ++prompts, false; };
    DatabaseError error = errorOf([&] { openTable(table, path); });
    EXPECT_EQ(error.code(), expectedCode) << error.what();
    EXPECT_FALSE(table.active());
    if (expectedCode == status::kCorruptFile) {
        EXPECT_TRUE(contains(error.what(), "damaged")) << error.what();
        EXPECT_EQ(prompts, 0) << "damage must not look like a wrong password";
    }
    // The commands see a password that no longer fits where the table sees a missing one.
    int commandCode = expectedCode == status::kInsufficientRights ? status::kInvalidPassword : expectedCode;
    EXPECT_EQ(errorOf([&] { unprotectCardSet(path, password); }).code(), commandCode);
    EXPECT_EQ(errorOf([&] { changeCardSetPassword(path, password, "new"); }).code(), commandCode);
    EXPECT_EQ(testsupport::readBytes(path), before);
    EXPECT_EQ(directoryEntries(std::filesystem::path(path).parent_path().string()), entries);
}

} // namespace

// Accidental damage anywhere: the checksum reports it before any key is derived.
TEST_F(ProtectedSetTest, DamagedFileIsRefusedAndLeftAlone)
{
    std::string pristine = testsupport::readBytes(protectedSet("pristine.SDB", "pw", manyCards()));
    ASSERT_GT(pristine.size(), pf::kHeaderSize + 2 * (pf::kChunkSize + pf::kChunkOverhead));
    const std::size_t secondChunk = pf::kHeaderSize + pf::kChunkSize + pf::kChunkOverhead;
    const std::vector<Damage> cases = {
        { "magic", flipAt([](auto&) { return fixed(3); }), status::kNotACardSet },
        { "version", flipAt([](auto&) { return fixed(15); }), status::kCorruptFile },
        { "operations limit", flipAt([](auto&) { return pf::kOpsLimitOffset; }), status::kCorruptFile },
        { "memory limit", flipAt([](auto&) { return pf::kMemLimitOffset + 2; }), status::kCorruptFile },
        { "memory limit, high byte", flipAt([](auto&) { return pf::kMemLimitOffset + 7; }), status::kCorruptFile },
        { "chunk size", flipAt([](auto&) { return pf::kChunkSizeOffset + 1; }), status::kCorruptFile },
        { "salt", flipAt([](auto&) { return pf::kSaltOffset + 5; }), status::kCorruptFile },
        { "stream header", flipAt([](auto&) { return pf::kStreamHeaderOffset + 9; }), status::kCorruptFile },
        { "checksum", flipAt([](auto&) { return pf::kChecksumOffset + 31; }), status::kCorruptFile },
        { "first chunk", flipAt([](auto&) { return pf::kHeaderSize + 100; }), status::kCorruptFile },
        { "second chunk", flipAt([=](auto&) { return secondChunk + 5; }), status::kCorruptFile },
        { "middle", flipAt([](auto& b) { return b.size() / 2; }), status::kCorruptFile },
        { "last byte", flipAt([](auto& b) { return b.size() - 1; }), status::kCorruptFile },
        { "cut to the magic", cutTo([](auto&) { return fixed(16); }), status::kCorruptFile },
        { "cut in the header", cutTo([](auto&) { return fixed(60); }), status::kCorruptFile },
        { "cut after the header", cutTo([](auto&) { return pf::kHeaderSize; }), status::kCorruptFile },
        { "cut at a chunk's end", cutTo([=](auto&) { return secondChunk; }), status::kCorruptFile },
        { "cut in half", cutTo([](auto& b) { return b.size() / 2; }), status::kCorruptFile },
        { "last byte cut", cutTo([](auto& b) { return b.size() - 1; }), status::kCorruptFile },
        { "cut before the magic ends", cutTo([](auto&) { return fixed(10); }), status::kNotACardSet },
        { "a byte appended", [](std::string& b) { b.push_back('\0'); }, status::kCorruptFile },
    };
    Session::instance().addPassword("pw");
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        std::string bytes = pristine;
        damage.apply(bytes);
        std::string path = dir.file("damaged.SDB");
        testsupport::writeBytes(path, bytes);
        expectRefused(path, damage.expectedCode, "pw");
    }
}

// Changes made by someone who put a fresh checksum on them: the authentication still catches every one. Where it
// fails on the first chunk nothing can tell the change from a wrong password, so the set asks for one.
TEST_F(ProtectedSetTest, TamperedFileIsRefusedDespiteAFreshChecksum)
{
    std::string pristine = testsupport::readBytes(protectedSet("pristine.SDB", "pw", manyCards()));
    const std::size_t sealedChunk = pf::kChunkSize + pf::kChunkOverhead;
    const std::size_t secondChunk = pf::kHeaderSize + sealedChunk;
    const std::size_t bodySize = pristine.size() - pf::kHeaderSize;
    const std::size_t lastChunk = pf::kHeaderSize + (bodySize / sealedChunk) * sealedChunk;
    ASSERT_LT(lastChunk, pristine.size());
    const std::vector<Damage> cases = {
        // 1 pass becomes 5, still within bounds, so a key is derived and fits nothing.
        { "operations limit", [](std::string& b) { b[pf::kOpsLimitOffset] ^= 0x04; }, status::kInsufficientRights },
        { "memory limit", flipAt([](auto&) { return pf::kMemLimitOffset + 2; }), status::kInsufficientRights },
        // Costs no machine should spend on a wrong guess are refused before any key is derived.
        { "operations limit out of bounds", flipAt([](auto&) { return pf::kOpsLimitOffset + 1; }),
            status::kCorruptFile },
        { "memory limit out of bounds", flipAt([](auto&) { return pf::kMemLimitOffset + 7; }), status::kCorruptFile },
        { "chunk size out of bounds", flipAt([](auto&) { return pf::kChunkSizeOffset + 3; }), status::kCorruptFile },
        { "unknown version", flipAt([](auto&) { return fixed(15); }), status::kCorruptFile },
        { "salt", flipAt([](auto&) { return pf::kSaltOffset; }), status::kInsufficientRights },
        { "stream header", flipAt([](auto&) { return pf::kStreamHeaderOffset; }), status::kInsufficientRights },
        { "first chunk", flipAt([](auto&) { return pf::kHeaderSize + 7; }), status::kInsufficientRights },
        { "second chunk", flipAt([=](auto&) { return secondChunk + 7; }), status::kCorruptFile },
        { "tag of the second chunk", flipAt([=](auto&) { return secondChunk; }), status::kCorruptFile },
        { "last byte", flipAt([](auto& b) { return b.size() - 1; }), status::kCorruptFile },
        { "cut at a chunk's end", cutTo([=](auto&) { return lastChunk; }), status::kCorruptFile },
        { "cut in the last chunk", cutTo([](auto& b) { return b.size() - 100; }), status::kCorruptFile },
        { "a byte appended", [](std::string& b) { b.push_back('\0'); }, status::kCorruptFile },
        { "a chunk appended", [=](std::string& b) { b += b.substr(secondChunk, sealedChunk); }, status::kCorruptFile },
        { "chunks swapped",
            [=](std::string& b) {
                std::string first = b.substr(pf::kHeaderSize, sealedChunk);
                b.replace(pf::kHeaderSize, sealedChunk, b.substr(secondChunk, sealedChunk));
                b.replace(secondChunk, sealedChunk, first);
            },
            status::kInsufficientRights },
    };
    Session::instance().addPassword("pw");
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        std::string bytes = pristine;
        damage.apply(bytes);
        refreshChecksum(bytes);
        std::string path = dir.file("tampered.SDB");
        testsupport::writeBytes(path, bytes);
        expectRefused(path, damage.expectedCode, "pw");
    }
}

// The final chunk of another file with the same key, spliced in: it authenticates as a chunk of its own stream
// only, so the splice is caught.
TEST_F(ProtectedSetTest, ChunksOfAnotherWriteDoNotFit)
{
    std::string path = protectedSet("a.SDB", "pw", manyCards());
    Session::instance().addPassword("pw");
    std::string older = testsupport::readBytes(path);
    {
        Table table;
        openTable(table, path);
        table.first();
        table.deleteRecord();
    }
    std::string newer = testsupport::readBytes(path);
    ASSERT_EQ(older.substr(pf::kSaltOffset, 16), newer.substr(pf::kSaltOffset, 16));
    std::size_t secondChunk = pf::kHeaderSize + pf::kChunkSize + pf::kChunkOverhead;
    std::string spliced = newer.substr(0, secondChunk) + older.substr(secondChunk);
    refreshChecksum(spliced);
    testsupport::writeBytes(path, spliced);
    expectRefused(path, status::kCorruptFile, "pw");
}

namespace {

// A protected file written independently of the engine, after the layout its header documents, with the chunk
// tags chosen by the test. Proves the layout is what the reader reads, and lets a test make files a correct
// writer never would.
std::string sealByHand(const std::string& image, const std::string& password, std::size_t chunkSize,
    const std::vector<unsigned char>& tags, bool headerAsAdditionalData = true)
{
    std::string file(pf::kHeaderSize, '\0');
    auto* header = reinterpret_cast<unsigned char*>(file.data());
    std::memcpy(header, "KARTE-PROTECTED\x01", 16);
    header[pf::kOpsLimitOffset] = static_cast<unsigned char>(kCheapCost.opsLimit);
    header[pf::kMemLimitOffset + 1] = static_cast<unsigned char>(kCheapCost.memLimit >> 8);
    header[pf::kChunkSizeOffset] = static_cast<unsigned char>(chunkSize);
    header[pf::kChunkSizeOffset + 1] = static_cast<unsigned char>(chunkSize >> 8);
    randombytes_buf(header + pf::kSaltOffset, crypto_pwhash_SALTBYTES);
    unsigned char key[crypto_secretstream_xchacha20poly1305_KEYBYTES];
    EXPECT_EQ(crypto_pwhash(key, sizeof key, password.data(), password.size(), header + pf::kSaltOffset,
                  kCheapCost.opsLimit, kCheapCost.memLimit, crypto_pwhash_ALG_ARGON2ID13),
        0);
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header + pf::kStreamHeaderOffset, key);
    std::string headerBytes = file.substr(0, pf::kChecksumOffset);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        std::string plain = image.substr(i * chunkSize, i + 1 == tags.size() ? std::string::npos : chunkSize);
        std::string sealed(plain.size() + pf::kChunkOverhead, '\0');
        bool withHeader = i == 0 && headerAsAdditionalData;
        crypto_secretstream_xchacha20poly1305_push(&state, reinterpret_cast<unsigned char*>(sealed.data()), nullptr,
            reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
            withHeader ? reinterpret_cast<const unsigned char*>(headerBytes.data()) : nullptr,
            withHeader ? headerBytes.size() : 0, tags[i]);
        file += sealed;
    }
    refreshChecksum(file);
    return file;
}

} // namespace

TEST_F(ProtectedSetTest, OnlyTheLastChunkMayEndTheStream)
{
    std::string plainPath = dir.file("plain.SDB");
    testsupport::makeCardSet(plainPath, kCards);
    std::string image = testsupport::readBytes(plainPath);
    const std::size_t chunkSize = 4096;
    ASSERT_EQ(image.size() % chunkSize, 0u);
    const std::size_t chunks = image.size() / chunkSize;
    ASSERT_GE(chunks, 3u);
    const unsigned char message = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    const unsigned char final = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    auto tags = [&](unsigned char middle, unsigned char last) {
        std::vector<unsigned char> result(chunks - 1, middle);
        result.push_back(last);
        return result;
    };

    struct Case
    {
        const char* name;
        std::vector<unsigned char> tags;
        bool headerAsAdditionalData;
        int expectedCode; // 0: opens
    };
    std::vector<unsigned char> finalEarly = tags(message, final);
    finalEarly[1] = final;
    std::vector<unsigned char> pushInside = tags(message, final);
    pushInside[1] = crypto_secretstream_xchacha20poly1305_TAG_PUSH;
    const std::vector<Case> cases = {
        { "as the engine writes it", tags(message, final), true, 0 },
        { "no final tag", tags(message, message), true, status::kCorruptFile },
        { "final tag before the end", finalEarly, true, status::kCorruptFile },
        { "a tag the format does not use", pushInside, true, status::kCorruptFile },
        { "header not authenticated", tags(message, final), false, status::kInsufficientRights },
    };
    Session::instance().addPassword("pw");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file("by-hand.SDB");
        testsupport::writeBytes(path, sealByHand(image, "pw", chunkSize, c.tags, c.headerAsAdditionalData));
        if (c.expectedCode == 0) {
            EXPECT_EQ(storedColumn(path), (std::vector<std::string> { "and", "unmistakable", "word" }));
        } else {
            expectRefused(path, c.expectedCode, "pw");
        }
    }
}
