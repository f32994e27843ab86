// karte-text as a script runs it, on the companion file the build made.
#include "commands.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

testsupport::CommandRun runTool(const std::string& arguments)
{
    return testsupport::runCommand(std::string(KARTE_TEXT_TOOL) + " " + arguments);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

// Whichever way the word is given, the lemma comes out whole: its forms are as many as it says, and their counts
// add up to the lemma's.
TEST(TextLookupTool, PrintsALemmaWhicheverWayItIsNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        { "λόγος", "λόγος, -ου, ὁ" }, { "Λόγος", "λόγος, -ου, ὁ" }, // another case
        { "λόγὸς", "λόγος, -ου, ὁ" }, // a grave
        { "λόγῳ", "λόγος, -ου, ὁ" }, // a form of the text
        { "ἰσότης", "ἰσότης, -ητος, ἡ" }, // a lemma outside the built-in set
    };
    for (const auto& [word, lexicalForm] : cases) {
        const testsupport::CommandRun run = runTool(word);
        ASSERT_EQ(run.exitCode, 0) << word << ": " << run.output;
        const std::vector<std::string> printed = lines(run.output);
        ASSERT_GE(printed.size(), 6u) << run.output;
        EXPECT_EQ(printed[1], std::string("lexical form: ") + lexicalForm) << word;
        EXPECT_TRUE(printed[2].starts_with("gloss: ") && printed[2].size() > 8) << printed[2];
        std::smatch count, forms;
        ASSERT_TRUE(std::regex_match(printed[3], count, std::regex(R"(count: (\d+) \(rank \d+ of 5461\))")))
            << printed[3];
        ASSERT_TRUE(std::regex_match(printed[5], forms, std::regex(R"(forms: (\d+))"))) << printed[5];
        ASSERT_EQ(printed.size(), 6 + std::stoul(forms[1])) << run.output;
        long sum = 0;
        for (std::size_t i = 6; i < printed.size(); ++i) {
            std::smatch times;
            for (std::string rest = printed[i]; std::regex_search(rest, times, std::regex(R"(, (\d+)×)"));
                 rest = times.suffix())
                sum += std::stol(times[1]);
        }
        EXPECT_EQ(sum, std::stol(count[1])) << run.output;
    }
}

TEST(TextLookupTool, ListsEveryLemmaAndRefusesWhatIsNoWord)
{
    const testsupport::CommandRun all = runTool("--all");
    EXPECT_EQ(all.exitCode, 0);
    const std::vector<std::string> printed = lines(all.output);
    ASSERT_EQ(printed.size(), 5461u);
    EXPECT_EQ(printed[0], "ὁ\tὁ\tthe\t19769");
    for (const std::string& line : printed)
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;

    const testsupport::CommandRun unknown = runTool("λόγος qqq");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.output.find("lexical form: λόγος, -ου, ὁ"), std::string::npos) << unknown.output;
    EXPECT_NE(unknown.output.find("qqq is neither a lemma nor a form of the text"), std::string::npos)
        << unknown.output;
    EXPECT_EQ(runTool("").exitCode, 2);
    EXPECT_EQ(runTool("--all λόγος").exitCode, 2);
}

// A form of the text that belongs to more than one lemma gives each of them, the one it most often stands for
// first; a lemma gives itself alone, though a form of another lemma be spelled as it is.
TEST(TextLookupTool, AFormGivesEveryLemmaItBelongsTo)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        { "ἤρχοντο", { "ἔρχομαι", "ἄρχω" } },
        { "δόξῃ", { "δόξα", "δοκέω" } },
        { "πόλιν", { "πόλις", "Πόλις" } },
        { "πόλις", { "πόλις" } },
    };
    for (const auto& [word, expected] : cases) {
        const testsupport::CommandRun run = runTool(word);
        EXPECT_EQ(run.exitCode, 0) << word << ": " << run.output;
        std::vector<std::string> lemmas;
        for (const std::string& line : lines(run.output))
            if (line.starts_with("lemma: "))
                lemmas.push_back(line.substr(7));
        EXPECT_EQ(lemmas, expected) << word;
    }
}
