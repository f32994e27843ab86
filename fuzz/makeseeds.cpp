// Writes the starting corpora of the fuzz targets: small card sets made by the engine itself, shaped as the
// tests make them, and protected sets sealed by the engine's own code.
#include "cardsets.h"
#include "errors.h"
#include "fuzzdriver.h"
#include "protectedfile.h"
#include "studystore.h"
#include "table.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int run(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: karte-fuzz-seeds OPEN_WALK_CORPUS PROTECTED_CORPUS\n";
        return 2;
    }
    fs::path openWalk = argv[1], protectedCorpus = argv[2];
    fs::create_directories(openWalk);
    fs::create_directories(protectedCorpus);
    fs::path work = fs::temp_directory_path() / "karte-fuzz-seeds";
    fs::remove_all(work);
    fs::create_directories(work);

    using testsupport::Card;
    const std::vector<Card> five = { { "word", "λόγος", 330 }, { "and", "καί", 8973 }, { "God", "θεός", 1317 },
        { "love", "ἀγάπη", 116 }, { "spirit", "πνεῦμα", 379 } };
    const std::vector<Card> odd
        = { { "x", "ξ", std::nullopt }, { "Same", "α", 1 }, { "same ", "β", -2.5 }, { "Σίγμα ς", "ΣΊΓΜΑ", 1e300 } };
    std::vector<std::pair<std::string, fs::path>> plain;
    auto make = [&](const std::string& name, auto builder, const std::vector<Card>& cards) {
        fs::path path = work / name;
        builder(path.string(), cards);
        plain.emplace_back(name, path);
    };
    make("user-empty.db", testsupport::makeCardSet, {});
    make("user-five.db", testsupport::makeCardSet, five);
    make("user-odd.db", testsupport::makeCardSet, odd);
    make("builtin-like-five.db", testsupport::makeBuiltInLikeSet, five);
    // A set with study progress, so that mutations reach the study tables and their checks.
    make("user-studied.db", testsupport::makeCardSet, five);
    {
        cardstore::Table table;
        table.setTableName((work / "user-studied.db").string());
        table.open();
        std::int64_t time = 1'700'000'000'000;
        for (int grade = 1; grade <= 4; ++grade) {
            table.next();
            cardstore::ReviewEntry answer { 0, table.recordKey(), time += 60'000, grade, 4000,
                { 0, 2, 0, 2.5 * grade, 11.0 - 2 * grade, time + 86'400'000, time, grade, grade == 1 ? 1 : 0 } };
            table.study().recordAnswer(answer);
        }
        table.study().setSetting(cardstore::studysetting::kBook, "John");
    }

    for (const auto& [name, path] : plain) {
        writeFile(openWalk / name, readFile(path));
        writeFile(protectedCorpus / ("sealed-" + name), fuzzdriver::sealedInputFor(readFile(path)));
    }

    // A set protected by the engine's own command, once with the real (cheapest) Argon2id for the open target,
    // once under the fuzz target's stand-in key so that the protected target can decrypt it.
    cardstore::setKeyDerivationCostForNewSets({ 1, 8 * 1024 });
    fs::path guarded = work / "protected.db";
    fs::copy_file(work / "user-five.db", guarded);
    cardstore::protectCardSet(guarded.string(), "secret");
    writeFile(openWalk / "protected.db", readFile(guarded));

    fuzzdriver::useCheapKeys();
    fs::path cheap = work / "protected-cheap.db";
    fs::copy_file(work / "user-five.db", cheap);
    cardstore::protectCardSet(cheap.string(), fuzzdriver::kPassword);
    std::string sealed = readFile(cheap);
    writeFile(protectedCorpus / "raw-protected.db", std::string(1, '\0') + sealed);
    writeFile(protectedCorpus / "checksummed-protected.db", std::string(1, '\1') + sealed);
    fuzzdriver::restoreKeys();

    fs::remove_all(work);
    return 0;
}

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-fuzz-seeds: " << error.what() << "\n";
        return 1;
    }
}
