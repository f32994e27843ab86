// Study progress in a protected set stays encrypted with the cards, and its answers are sealed into the file in
// batches instead of one whole-set write each.
#include "protectedtest.h"
#include "studytest.h"

using namespace cardstore;
using namespace protectedtest;
using namespace studytest;

TEST_F(ProtectedSetTest, AnswersAreSealedInBatches)
{
    const std::string path = protectedSet("a.SDB", "pw");
    Session::instance().addPassword("pw");
    Table table;
    openTable(table, path);
    const std::vector<std::int64_t> keys = keysOf(table);
    StudyStore& study = table.study();
    std::int64_t now = 0;
    study.setClock([&] { return now; });

    // Each step: what is done, whether answers wait afterwards, and how many answers the file then holds.
    struct Step
    {
        const char* name;
        std::function<void()> action;
        bool waiting;
        std::size_t sealed;
    };
    // Each answer's id, and the memory its card had before it, to take it back with.
    struct Given
    {
        std::int64_t id;
        std::int64_t card;
        std::optional<CardMemory> before;
    };
    std::vector<Given> given;
    std::map<std::int64_t, CardMemory> latest;
    auto answers = [&](int count) {
        return [&, count] {
            for (int i = 0; i < count; ++i) {
                const ReviewEntry entry = answer(keys[static_cast<std::size_t>(i) % keys.size()], ++now);
                const auto before = latest.find(entry.cardKey);
                given.push_back({ study.recordAnswer(entry), entry.cardKey,
                    before == latest.end() ? std::nullopt : std::optional<CardMemory>(before->second) });
                latest[entry.cardKey] = entry.after;
            }
        };
    };
    auto takeBackLast = [&] {
        study.undoAnswer(given.back().id, given.back().card, given.back().before);
        given.pop_back();
    };
    const std::vector<Step> steps = {
        { "19 answers", answers(19), true, 0 },
        { "the 20th", answers(1), true, 0 },
        { "the window's next look", [&] { study.sealIfDue(); }, false, 20 },
        { "one more", answers(1), true, 20 },
        { "29.9 seconds later", [&] { now += 29'900, study.sealIfDue(); }, true, 20 },
        { "30 seconds after it", [&] { now += 100, study.sealIfDue(); }, false, 21 },
        { "two more", answers(2), true, 21 },
        { "one taken back before it was sealed", takeBackLast, true, 21 },
        { "sealed on demand", [&] { study.seal(); }, false, 22 },
        { "one taken back after", takeBackLast, false, 21 },
        { "one more", answers(1), true, 21 },
        { "a card edited", [&] { table.first(), table.edit(), table.setFieldText("Language", "καί."), table.post(); },
            false, 22 },
        { "a setting", [&] { answers(1)(), study.setSetting(studysetting::kBook, "Acts"); }, false, 23 },
        { "one more", answers(1), true, 23 },
        { "the table closed", [&] { table.close(); }, false, 24 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::string before = testsupport::readBytes(path);
        step.action();
        if (table.active()) {
            EXPECT_EQ(study.hasUnsealedAnswers(), step.waiting);
        }
        EXPECT_EQ(storedLog(path).size(), step.sealed);
        if (step.waiting) {
            EXPECT_EQ(testsupport::readBytes(path), before) << "the file is written only to seal";
        }
    }
    EXPECT_FALSE(contains(testsupport::readBytes(path), "karte_study_log")) << "the progress is encrypted too";
}

// Another program (here a second table) replaces the set while answers wait: they go onto its version, as card
// writes do, and the refresh sees that version's cards.
TEST_F(ProtectedSetTest, WaitingAnswersGoOntoAnotherProgramsVersion)
{
    const std::string path = protectedSet("a.SDB", "pw");
    Session::instance().addPassword("pw");
    Table first, second;
    openTable(first, path);
    openTable(second, path);
    const std::vector<std::int64_t> keys = keysOf(first);
    for (int i = 0; i < 3; ++i)
        first.study().recordAnswer(answer(keys[0], 1000 + i));

    second.study().recordAnswer(answer(keys[1], 2000));
    second.insert();
    second.setFieldText("English", "second");
    second.setFieldText("Language", "δεύτερος");
    second.post();
    second.close();

    first.refresh();
    EXPECT_TRUE(first.study().hasUnsealedAnswers());
    EXPECT_EQ(first.recordCount(), 4);
    EXPECT_EQ(first.study().loadMemories().size(), 2u);
    first.close();
    using Log = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(storedLog(path), (Log { { keys[0], 1000 }, { keys[0], 1001 }, { keys[0], 1002 }, { keys[1], 2000 } }));
}
