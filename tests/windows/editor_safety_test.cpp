// What the editor writes survives the program being killed: a child process adds, changes and deletes cards
// through the editor's boxes and navigator bar and is killed with SIGKILL, right after a post or at random
// moments; the set must then open and hold only complete cards, every one the child saw posted among them.
#include "editor_typing.h"
#include "tdatasource.h"
#include "tdbedit.h"
#include "tdbnavigator.h"
#include "windowtest.h"

#include <sqlite3.h>

#include <QWidget>

#include <csignal>
#include <cstdio>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using editortest::typeText;

namespace {

enum class Work {
    PostOne, // adds one card, reports it, then waits to be killed
    DeleteFirst, // deletes the first card, reports it, then waits
    PostForever, // adds and changes cards without end, reporting each post
};

std::string english(long number)
{
    return "card " + std::to_string(number);
}

std::string greek(long number)
{
    return "κάρτα " + std::to_string(number);
}

// The child's side: the editor's controls over the set, driven by keys and button actions as the user would. It
// never returns; each line it writes on report is a post or delete that has returned.
[[noreturn]] void work(const std::string& path, Work what, long firstNumber, int report)
{
    auto say = [report](const std::string& line) {
        const std::string text = line + "\n";
        if (::write(report, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            _exit(4);
    };
    try {
        karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
            if (request.title == "Confirm")
                return QMessageBox::Ok;
            say("error " + request.text.toStdString());
            _exit(3);
        });
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        TDataSource source;
        source.setDataSet(&table);
        QWidget window;
        auto* language = new TDBEdit(&window);
        auto* englishBox = new TDBEdit(&window);
        auto* frequency = new TDBEdit(&window);
        language->setDataField("Language");
        englishBox->setDataField("English");
        frequency->setDataField("Frequency");
        auto* nav = new TDBNavigator(&window);
        for (TDBEdit* box : { language, englishBox, frequency })
            box->setDataSource(&source);
        nav->setDataSource(&source);

        auto typeCard = [&](long number) {
            for (TDBEdit* box : { language, englishBox, frequency })
                box->selectAll();
            typeText(language, QString::fromStdString(greek(number)));
            typeText(englishBox, QString::fromStdString(english(number)));
            typeText(frequency, QString::number(number));
        };

        switch (what) {
        case Work::PostOne:
            nav->BtnClick(TDBNavigator::Insert);
            typeCard(firstNumber);
            nav->BtnClick(TDBNavigator::Post);
            say("posted " + std::to_string(firstNumber));
            break;
        case Work::DeleteFirst:
            nav->BtnClick(TDBNavigator::First);
            say("deleting " + table.fieldText("English"));
            nav->BtnClick(TDBNavigator::Delete);
            say("deleted");
            break;
        case Work::PostForever:
            for (long number = firstNumber;; ++number) {
                // Every third post changes a card already there, the others add one.
                if (number % 3 == 0 && table.recordCount() > 0) {
                    nav->BtnClick(TDBNavigator::First);
                    const std::string old = table.fieldText("English");
                    typeCard(number);
                    nav->BtnClick(TDBNavigator::Post);
                    say("changed " + old + " " + std::to_string(number));
                } else {
                    nav->BtnClick(TDBNavigator::Insert);
                    typeCard(number);
                    nav->BtnClick(TDBNavigator::Post);
                    say("added " + std::to_string(number));
                }
            }
        }
        for (;;)
            ::pause();
    } catch (const std::exception& error) {
        say(std::string("error ") + error.what());
        _exit(2);
    }
}

// The parent's side of one child.
class Child
{
public:
    Child(const std::string& path, Work what, long firstNumber)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            ::close(fds[0]);
            work(path, what, firstNumber, fds[1]);
        }
        ::close(fds[1]);
        fd_ = fds[0];
    }

    ~Child()
    {
        kill();
        ::close(fd_);
    }

    // The next line the child wrote; empty when it wrote nothing for a long while or ended. The wait only keeps
    // a hung child from hanging the test.
    std::string readLine()
    {
        std::string line;
        for (;;) {
            if (std::size_t end = buffer_.find('\n'); end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd wanted { fd_, POLLIN, 0 };
            if (::poll(&wanted, 1, 60000) <= 0)
                return {};
            char chunk[4096];
            ssize_t got = ::read(fd_, chunk, sizeof chunk);
            if (got <= 0)
                return {};
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    // Lines the child wrote up to its death.
    std::vector<std::string> kill()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = 0;
        }
        std::vector<std::string> rest;
        for (std::string line = readLine(); !line.empty(); line = readLine())
            rest.push_back(line);
        return rest;
    }

private:
    pid_t pid_ = 0;
    int fd_ = -1;
    std::string buffer_;
};

std::string integrityCheck(const std::string& path)
{
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0] ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    } else {
        result = sqlite3_errmsg(db);
    }
    sqlite3_close(db);
    return result;
}

// The cards of the set by number, each checked to be complete: its three fields written by the same post.
std::map<long, testsupport::Card> completeCards(const std::string& path)
{
    // A writable open first, as the program makes, rolls back what a killed write left half done.
    {
        cardstore::Table table;
        table.setTableName(path);
        table.open();
    }
    std::map<long, testsupport::Card> cards;
    for (const testsupport::Card& card : editortest::readCards(path)) {
        const long number = card.frequency ? static_cast<long>(*card.frequency) : -1;
        EXPECT_EQ(card.english, english(number)) << card.language;
        EXPECT_EQ(card.language, greek(number)) << card.english;
        EXPECT_TRUE(cards.emplace(number, card).second) << "twice: " << number;
    }
    return cards;
}

class EditorSafetyTest : public ::testing::Test
{
protected:
    testsupport::TempDir dir;
    std::string path = dir.file("mine.db");
};

TEST_F(EditorSafetyTest, ACardIsInTheFileOnceItsPostHasReturned)
{
    testsupport::makeCardSet(path, { { english(1), greek(1), 1 } });
    {
        Child child(path, Work::PostOne, 2);
        EXPECT_EQ(child.readLine(), "posted 2");
    }
    EXPECT_EQ(integrityCheck(path), "ok");
    const auto cards = completeCards(path);
    EXPECT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards.count(2), 1u);
}

TEST_F(EditorSafetyTest, ACardIsGoneFromTheFileOnceItsDeleteHasReturned)
{
    testsupport::makeCardSet(path, { { english(1), greek(1), 1 }, { english(2), greek(2), 2 } });
    {
        Child child(path, Work::DeleteFirst, 0);
        EXPECT_EQ(child.readLine(), "deleting card 1");
        EXPECT_EQ(child.readLine(), "deleted");
    }
    EXPECT_EQ(integrityCheck(path), "ok");
    const auto cards = completeCards(path);
    EXPECT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards.count(2), 1u);
}

TEST_F(EditorSafetyTest, AKillAtAnyMomentLeavesOnlyWholeCardsAndEveryOneSeenPosted)
{
    testsupport::makeCardSet(path, {});
    std::mt19937 random(20240611);
    std::set<long> expected; // the cards as the child's returned posts left them
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::string> lines;
        {
            Child child(path, Work::PostForever, (round + 1) * 100000L);
            const int postsFirst = std::uniform_int_distribution<int>(1, 25)(random);
            for (int i = 0; i < postsFirst; ++i) {
                const std::string line = child.readLine();
                ASSERT_FALSE(line.empty() || line.starts_with("error")) << line;
                lines.push_back(line);
            }
            // Somewhere in the next posts, very likely in the middle of one.
            ::usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
            for (const std::string& line : child.kill())
                lines.push_back(line);
        }
        for (const std::string& line : lines) {
            ASSERT_FALSE(line.starts_with("error")) << line;
            long number = 0;
            char old[64] = {};
            if (std::sscanf(line.c_str(), "added %ld", &number) == 1) {
                expected.insert(number);
            } else if (std::sscanf(line.c_str(), "changed card %63s %ld", old, &number) == 2) {
                expected.erase(std::stol(old));
                expected.insert(number);
            }
        }
        ASSERT_EQ(integrityCheck(path), "ok");
        const auto cards = completeCards(path);
        // Every returned post is there; besides them at most the one post the kill interrupted went in, whole.
        std::set<long> found;
        for (const auto& [number, card] : cards)
            found.insert(number);
        std::set<long> missing;
        std::set_difference(
            expected.begin(), expected.end(), found.begin(), found.end(), std::inserter(missing, missing.end()));
        std::set<long> extra;
        std::set_difference(
            found.begin(), found.end(), expected.begin(), expected.end(), std::inserter(extra, extra.end()));
        EXPECT_LE(extra.size(), 1u);
        EXPECT_LE(missing.size(), 1u);
        // A card missing is one that the interrupted post was changing: its new number went in in its place.
        if (missing.size() == 1u) {
            EXPECT_EQ(extra.size(), 1u);
        }
        // What the file holds now is what the next round starts from.
        expected = found;
    }
}

} // namespace
