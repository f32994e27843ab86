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

// Counts the derivations asked for and hands out the same key for every password: it fits only files sealed
// while it stands in.
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

struct CostCase
{
    const char* name;
    std::uint64_t opsLimit;
    std::uint64_t memLimit;
    bool refused; // otherwise a key is derived
};

// Up to four times the default's passes, memory and work (their product) is allowed.
const std::vector<CostCase>& costCases()
{
    constexpr std::uint64_t kMiB = 1ull << 20, kGiB = 1ull << 30;
    static const std::vector<CostCase> cases = {
        { "cheapest allowed", 1, 8 * 1024, false },
        { "the default", 3, 256 * kMiB, false },
        { "four times the default's memory", 3, kGiB, false },
        { "four times its passes", 12, 256 * kMiB, false },
        { "four times its work, spread", 6, 512 * kMiB, false },
        { "many passes over little memory", 12, 8 * 1024, false },
        { "no passes", 0, 8 * 1024, true },
        { "a pass over four times the default's", 13, 8 * 1024, true },
        { "every pass there is", ~0ull, 8 * 1024, true },
        { "a byte under the least memory", 1, 8 * 1024 - 1, true },
        { "a byte over four times the default's memory", 1, kGiB + 1, true },
        { "a byte over four times its work", 12, 256 * kMiB + 1, true },
        { "four times its memory with a pass more", 4, kGiB, true },
        { "sixteen passes over a gigabyte", 16, kGiB, true },
        { "all the memory there is", 3, ~0ull, true },
        { "both far out", 1ull << 40, 1ull << 50, true },
    };
    return cases;
}

} // namespace

TEST_F(ProtectedSetTest, CostsOutOfBoundsAreRefusedBeforeAnyKeyIsDerived)
{
    const std::string pristine = testsupport::readBytes(protectedSet("pristine.SDB", "pw"));
    Session::instance().addPassword("pw");
    sealing::setKeyDerivationForFuzzing(countingDerivation);
    for (const CostCase& c : costCases()) {
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

// The program seals only with costs a file may ask for, so every set it makes opens again.
TEST_F(ProtectedSetTest, EverySetTheProgramSealsOpens)
{
    sealing::setKeyDerivationForFuzzing(countingDerivation);
    Session::instance().addPassword("pw");
    for (const CostCase& c : costCases()) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file("sealed.SDB");
        testsupport::makeCardSet(path, kCards);
        try {
            setKeyDerivationCostForNewSets({ c.opsLimit, c.memLimit });
            EXPECT_FALSE(c.refused);
        } catch (const Error& error) {
            EXPECT_TRUE(c.refused) << error.what();
            continue;
        }
        protectCardSet(path, "pw");
        EXPECT_EQ(storedColumn(path).size(), kCards.size());
        std::filesystem::remove(path);
    }
    sealing::setKeyDerivationForFuzzing(nullptr);
}
