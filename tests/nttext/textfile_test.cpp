// The companion file's reader on damaged, foreign and inconsistent files, and where the program finds it.
#include "location.h"
#include "session.h"
#include "tempdir.h"
#include "texterrors.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nttext;

namespace {

void expectRefused(const std::string& bytes, const std::string& what)
{
    try {
        decodeTextFile(bytes, "nttext.dat");
        ADD_FAILURE() << what << " was accepted";
    } catch (const TextFileError& error) {
        EXPECT_NE(std::string(error.what()).find("nttext.dat"), std::string::npos) << what << ": " << error.what();
    }
}

TextData tinyText()
{
    TextData data;
    for (const BookName& book : bookNames())
        data.books.push_back({ std::string(book.code), std::string(book.name), 1 });
    data.lemmas.push_back({ "λόγος", 2, {} });
    data.verses.push_back({ 0, 1, 1, "ὁ λόγος ἦν" });
    data.studies.push_back({ 0, { { 0, { 1 } } }, { { "λόγος", 2, { { "N-", "----NSM-", 2 } } } } });
    data.forms.push_back({ "λόγοσ", { 0 } });
    data.parses.push_back({ "N-", "----NSM-" });
    data.words.push_back({ "word", "λόγος, -ου, ὁ", { { "λόγος", 2, { { "N-", "----NSM-", 2 } } } } });
    return data;
}

} // namespace

TEST(TextFile, RefusesForeignTruncatedAndDamagedFiles)
{
    std::string real = testsupport::readBytes(KARTE_TEXT_FILE);
    ASSERT_GT(real.size(), 1000u);
    expectRefused("", "an empty file");
    expectRefused("KARTE-NT", "the magic alone");
    expectRefused("SQLite format 3" + std::string(100, '\0'), "a foreign file");
    for (std::size_t cut : { std::size_t(23), std::size_t(24), std::size_t(25), real.size() / 2, real.size() - 1 })
        expectRefused(real.substr(0, cut), "the file cut at " + std::to_string(cut));
    for (std::size_t at :
        { std::size_t(8), std::size_t(12), std::size_t(16), std::size_t(20), real.size() / 3, real.size() - 5 }) {
        std::string flipped = real;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        expectRefused(flipped, "a byte changed at " + std::to_string(at));
    }
    expectRefused(real + "x", "a byte added");
}

TEST(TextFile, RefusesContentsThatPointNowhere)
{
    EXPECT_NO_THROW(decodeTextFile(encodeTextFile(tinyText()), "nttext.dat"));
    std::vector<std::pair<const char*, std::function<void(TextData&)>>> cases = {
        { "26 books", [](TextData& d) { d.books.pop_back(); } },
        { "a study of no lemma", [](TextData& d) { d.studies[0].lemma = 1; } },
        { "an example of no verse", [](TextData& d) { d.studies[0].examples[0].verse = 1; } },
        { "a word past the verse", [](TextData& d) { d.studies[0].examples[0].positions = { 3 }; } },
        { "a form of no lemma",
            [](TextData& d) {
                d.forms[0].lemmas = { 0, 7 };
            } },
        { "words of a lemma too few", [](TextData& d) { d.words.clear(); } },
        { "words of a lemma too many", [](TextData& d) { d.words.push_back(d.words[0]); } },
    };
    for (auto& [what, damage] : cases) {
        TextData data = tinyText();
        damage(data);
        expectRefused(encodeTextFile(data), what);
    }
}

TEST(TextFile, IsFoundWhereThePristineSetIs)
{
    testsupport::TempDir dir;
    cardstore::Session::instance().setPristineDirectories({ dir.path() + "/none", dir.path() });
    EXPECT_THROW(
        {
            try {
                findTextFile();
            } catch (const TextFileError& error) {
                EXPECT_NE(std::string(error.what()).find(dir.path() + "/none"), std::string::npos);
                throw;
            }
        },
        TextFileError);
    writeTextFile(dir.file(kTextFileName), tinyText());
    EXPECT_EQ(findTextFile(), dir.file(kTextFileName));
    EXPECT_EQ(readTextFile(findTextFile()).lemmas[0].lemma, "λόγος");
    cardstore::Session::instance().setPristineDirectories({});
    EXPECT_EQ(findTextFile(), std::string(KARTE_TEXT_FILE)); // beside the test, in the build tree
}
