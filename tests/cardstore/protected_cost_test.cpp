// The key derivation cost a protected file names is the file's to choose only within bounds: outside them the
// file is refused as damaged before a key is derived, so that a hostile header cannot make the program spend
// minutes and gigabytes on every password it tries.
#include "protectedseal.h"
#include "protectedtest.h"

#include <cstring>

using namespace cardstore;
using namespace protectedtest;
namespace pf = cardstore::protectedformat;

namespace {

int derivations = 0;

// Counts the derivations asked for and hands out a key that fits no file.
std::unique_ptr<SecretBytes> countingDerivation(const std::string&, const unsigned char*, KeyDerivationCost)
{
    ++derivations;
    auto key = std::make_unique<SecretBytes>(crypto_secretstream_xchacha20poly1305_KEYBYTES);
    std::memset(key->data(), 0x5a, crypto_secretstream_xchacha20poly1305_KEYBYTES);
    return key;
}

void putNumber(std::string& bytes, std::size_t offset, std::uint64_t value)
{
    for (std::size_t i = 0; i < 8; ++i)
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

} // namespace

TEST_F(ProtectedSetTest, CostsOutOfBoundsAreRefusedBeforeAnyKeyIsDerived)
{
    const std::string pristine = testsupport::readBytes(protectedSet("pristine.SDB", "pw"));
    constexpr std::uint64_t kGiB = 1ull << 30;
    struct Case
    {
        const char* name;
        std::uint64_t opsLimit;
        std::uint64_t memLimit;
        bool refused; // otherwise a key is derived, which fits nothing here
    };
    const std::vector<Case> cases = {
        { "cheapest allowed", 1, 8 * 1024, false },
        { "dearest allowed", 16, kGiB, false },
        { "no passes", 0, 8 * 1024, true },
        { "one pass too many", 17, 8 * 1024, true },
        { "every pass there is", ~0ull, 8 * 1024, true },
        { "a byte under the least memory", 1, 8 * 1024 - 1, true },
        { "a byte over the most memory", 1, kGiB + 1, true },
        { "all the memory there is", 3, ~0ull, true },
        { "both far out", 1ull << 40, 1ull << 50, true },
    };
    Session::instance().addPassword("pw");
    sealing::setKeyDerivationForFuzzing(countingDerivation);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = pristine;
        putNumber(bytes, pf::kOpsLimitOffset, c.opsLimit);
        putNumber(bytes, pf::kMemLimitOffset, c.memLimit);
        refreshChecksum(bytes);
        std::string path = dir.file("hostile.SDB");
        testsupport::writeBytes(path, bytes);
        derivations = 0;
        Table table;
        int prompts = 0;
        table.onPasswordRequired = [&] { return ++prompts, false; };
        DatabaseError error = errorOf([&] { openTable(table, path); });
        if (c.refused) {
            EXPECT_EQ(error.code(), status::kCorruptFile) << error.what();
            EXPECT_TRUE(contains(error.what(), "key derivation cost out of bounds")) << error.what();
            EXPECT_EQ(derivations, 0);
            EXPECT_EQ(prompts, 0);
        } else {
            EXPECT_EQ(error.code(), status::kInsufficientRights) << error.what();
            EXPECT_EQ(derivations, 1);
        }
        EXPECT_EQ(testsupport::readBytes(path), bytes);
    }
    sealing::setKeyDerivationForFuzzing(nullptr);
}
