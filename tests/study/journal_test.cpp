// The answers to a protected set not yet sealed are kept in an encrypted journal beside it: a program killed between
// two seals loses none of them, no plain text reaches the disk, and a journal that cannot be read with the set's
// key is refused and left alone.
#include "answerjournal.h"
#include "protectedtest.h"
#include "studytest.h"

using namespace cardstore;
using namespace protectedtest;
using namespace studytest;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNoon = 1'765'281'600'000;

class JournalTest : public ProtectedSetTest
{
protected:
    void SetUp() override
    {
        ProtectedSetTest::SetUp();
        Session::instance().addPassword("pw");
        path = protectedSet("a.SDB", "pw");
        openTable(table, path);
        keys = keysOf(table);
    }

    // What a program killed now leaves on disk: the directory's files as they are, copied into a directory of
    // their own, where nothing holds the journal's lock any more.
    std::string killedCopy()
    {
        const std::string copy = elsewhere.file("a.SDB");
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.is_regular_file())
                fs::copy_file(entry.path(), elsewhere.file(entry.path().filename().string()),
                    fs::copy_options::overwrite_existing);
        return copy;
    }

    std::string journalIn(const std::string& setPath)
    {
        const std::vector<std::string> journals = AnswerJournal::beside(setPath);
        EXPECT_EQ(journals.size(), 1u);
        return journals.empty() ? std::string() : journals.front();
    }

    std::string path;
    Table table;
    std::vector<std::int64_t> keys;
    testsupport::TempDir elsewhere { false };
};

} // namespace

TEST_F(JournalTest, AnswersWaitingToBeSealedOutliveAKilledProgram)
{
    StudyStore& study = table.study();
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(study.recordAnswer(answer(keys[static_cast<std::size_t>(i) % keys.size()], kNoon + i)));
    study.undoAnswer(ids.back(), keys[1], answer(keys[1], kNoon + 1).after);
    ASSERT_TRUE(study.hasUnsealedAnswers());
    const std::string copy = killedCopy();

    for (const auto& entry : fs::directory_iterator(elsewhere.path())) {
        const std::string bytes = testsupport::readBytes(entry.path().string());
        for (const char* plain : { "SQLite format 3", "karte_study", "unmistakable", "λόγος" })
            EXPECT_FALSE(contains(bytes, plain)) << entry.path() << " holds " << plain;
    }
    // A new password would leave the journal unreadable: the password tool waits for the answers to be sealed.
    const std::string sealedBefore = testsupport::readBytes(copy);
    EXPECT_NE(
        messageOf([&] { changeCardSetPassword(copy, "pw", "new"); }).find("still kept beside it"), std::string::npos);
    EXPECT_EQ(testsupport::readBytes(copy), sealedBefore);

    using Log = std::vector<std::pair<std::int64_t, std::int64_t>>;
    const Log expected { { keys[0], kNoon }, { keys[1], kNoon + 1 }, { keys[2], kNoon + 2 }, { keys[0], kNoon + 3 } };
    EXPECT_EQ(storedLog(copy), expected);
    // Taken in by that opening and sealed when it closed: the journal is gone and the set holds the answers.
    EXPECT_EQ(directoryEntries(elsewhere.path()), (std::set<std::string> { "a.SDB" }));
    EXPECT_EQ(storedLog(copy), expected);
    EXPECT_EQ(storedMemories(copy).at(keys[1]), 1.0);
}

// Killed after sealing its answers but before removing its journal: the journal adds nothing twice.
TEST_F(JournalTest, AJournalWhoseAnswersWereSealedAddsNothing)
{
    for (int i = 0; i < 3; ++i)
        table.study().recordAnswer(answer(keys[static_cast<std::size_t>(i)], kNoon + i));
    const std::string journal = journalIn(path);
    const std::string kept = testsupport::readBytes(journal);
    table.study().seal();
    EXPECT_TRUE(AnswerJournal::beside(path).empty());
    testsupport::writeBytes(journal, kept);
    table.close();
    EXPECT_EQ(storedLog(path).size(), 3u);
    EXPECT_TRUE(AnswerJournal::beside(path).empty());
}

TEST_F(JournalTest, AJournalThatCannotBeReadIsRefusedAndLeftAlone)
{
    for (int i = 0; i < 3; ++i)
        table.study().recordAnswer(answer(keys[static_cast<std::size_t>(i)], kNoon + i));
    const std::string copy = killedCopy();
    const std::string journal = journalIn(copy);
    const std::string sound = testsupport::readBytes(journal);

    // Another set's journal, under another password.
    Session::instance().addPassword("other");
    const std::string otherSet = protectedSet("b.SDB", "other");
    std::string foreign;
    {
        Table other;
        openTable(other, otherSet);
        other.study().recordAnswer(answer(keysOf(other)[0], kNoon));
        foreign = testsupport::readBytes(journalIn(otherSet));
    }
    struct Damage
    {
        const char* name;
        std::string bytes;
        std::size_t answersLeft; // none: refused
    };
    std::string flipped = sound;
    flipped[journalformat::kHeaderSize + 40] ^= 1;
    std::string header = sound;
    header.replace(0, 5, "HELLO");
    const std::vector<Damage> damages = {
        { "a byte flipped in a record", flipped, 0 },
        { "another set's journal", foreign, 0 },
        { "a header of another format", header, 0 },
        { "the last record cut short by the kill", sound.substr(0, sound.size() - 10), 2 },
        { "killed while making it", sound.substr(0, 20), 0 },
    };
    const std::string setBytes = testsupport::readBytes(copy);
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        testsupport::writeBytes(copy, setBytes);
        testsupport::writeBytes(journal, damage.bytes);
        const bool refused = damage.answersLeft == 0 && damage.bytes.size() > journalformat::kHeaderSize;
        Table opened;
        openTable(opened, copy);
        EXPECT_EQ(column(opened).size(), 3u) << "the set still drills";
        if (refused) {
            const DatabaseError error = errorOf([&] { opened.study(); });
            EXPECT_EQ(error.code(), status::kCorruptFile);
            EXPECT_NE(std::string(error.what()).find(fs::path(journal).filename().string() + " cannot be read"),
                std::string::npos)
                << error.what();
            opened.close();
            EXPECT_EQ(testsupport::readBytes(journal), damage.bytes);
            EXPECT_EQ(testsupport::readBytes(copy), setBytes);
        } else {
            EXPECT_EQ(opened.study().lastReviews(10).size(), damage.answersLeft);
            opened.close();
            EXPECT_FALSE(fs::exists(journal));
        }
    }
}

// Another program gave the set a new password while this one had it open: the answers that follow are kept under
// the new key, which the next opening has.
TEST_F(JournalTest, AnswersAfterAnotherProgramChangedThePasswordAreKeptUnderTheNewOne)
{
    table.study();
    changeCardSetPassword(path, "pw", "new");
    Session::instance().removeAllPasswords();
    Session::instance().addPassword("new");
    table.study().recordAnswer(answer(keys[0], kNoon));
    const std::string copy = killedCopy();
    EXPECT_EQ(storedLog(copy).size(), 1u);
}
