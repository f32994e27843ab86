// The Progress window over the main window: the figures, the known words' share of the New Testament for the
// built-in set and for sets of one's own, the book's coverage, the charts as a screen reader hears them, the main
// window given back however the window closes; and karte-progress, which prints the same figures.
#include "clock.h"
#include "newtestament.h"
#include "progresstext.h"
#include "studysession.h"
#include "table.h"
#include "text.h"
#include "tform1.h"
#include "tprogressform.h"
#include "ui_tform1.h"
#include "ui_tprogressform.h"
#include "windowtest.h"

#include <QAccessible>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QTest>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

using namespace windowtest;
using learning::Grade;

namespace {

// A Tuesday noon, UTC: 9 December 2025.
constexpr std::int64_t kNoon = 1'765'281'600'000;

// Answers the cards of the set the table has open, by their Greek side, as the Study window would; a book, when
// given, is kept in the set as the Study window's choice is.
void answer(cardstore::Table& table, const learning::Clock& clock, const std::map<std::string, Grade>& grades,
    const std::string& book = "")
{
    learning::StudySession session(table, clock, karte::newTestamentText(), false);
    if (!book.empty()) {
        learning::StudySettings settings = session.settings();
        settings.book = book;
        session.changeSettings(settings);
    }
    for (const learning::StudyCard& card : session.cards())
        if (auto found = grades.find(card.greek); found != grades.end())
            session.answer(card.key, found->second, 4000);
}

std::string accessibleText(QWidget* widget, QAccessible::Text text)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(text).toStdString() : std::string();
}

class ProgressTest : public MainWindowTest
{
protected:
    ProgressTest()
        : clock(kNoon)
    {
        formOn(fourCards());
        progress = std::make_unique<TProgressForm>();
        progress->setClock(&clock);
        form->connectProgressWindow(progress.get());
        form->show();
    }
    ~ProgressTest() override { progress.reset(); }

    Ui::TProgressForm& progressUi() { return formOf(*progress); }
    void openProgress()
    {
        ui().Progress1->trigger();
        ASSERT_TRUE(progress->isVisible());
        // Known words over time follow the figures.
        QCoreApplication::processEvents();
    }
    std::string text(QLabel* label) { return label->isVisible() ? label->text().toStdString() : "(hidden)"; }

    learning::ManualClock clock;
    std::unique_ptr<TProgressForm> progress;
};

TEST_F(ProgressTest, FiguresSentenceAndChartsOfTheBuiltInSet)
{
    answer(form->FrequencyTable, clock, { { "ὁ", Grade::Easy }, { "καί", Grade::Easy }, { "λόγος", Grade::Good } });
    openProgress();
    EXPECT_FALSE(form->isEnabled());
    Ui::TProgressForm& p = progressUi();
    EXPECT_EQ(text(p.SetText), "NT Frequency");
    const std::vector<std::pair<QLabel*, std::string>> counts {
        { p.NewCount, "New: 1" },
        { p.LearningCount, "Learning: 1" },
        { p.KnownCount, "Known: 2" },
        { p.DueCount, "Due today: 1" },
    };
    for (const auto& [label, name] : counts)
        EXPECT_EQ(accessibleText(label, QAccessible::Name), name);
    // (19,769 + 8,973) of 137,554 running words.
    EXPECT_EQ(text(p.KnownWordsText), "You know 2 words, 20.9% of the words you will read in the New Testament");
    EXPECT_EQ(text(p.BookText), "(hidden)");

    EXPECT_EQ(QAccessible::queryAccessibleInterface(p.DueChart)->role(), QAccessible::Chart);
    EXPECT_EQ(accessibleText(p.DueChart, QAccessible::Name), "Reviews due per day");
    EXPECT_EQ(accessibleText(p.DueChart, QAccessible::Description),
        "Reviews due: 1 today, 0 tomorrow, 2 on 17 December; 3 in the next 30 days");
    const auto* bars = qobject_cast<QBarSeries*>(p.DueChart->chart()->series().value(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->barSets().value(0)->at(0), 1);
    EXPECT_EQ(accessibleText(p.HistoryChart, QAccessible::Name), "Known words over time");
    EXPECT_EQ(accessibleText(p.HistoryChart, QAccessible::Description),
        "Known words: 2 on 9 December. Coverage of the New Testament: 20.9% on 9 December");

    // A week on, ὁ is answered again: the history gains a day.
    progress->close();
    clock.advanceMs(7 * learning::kDayMs);
    answer(form->FrequencyTable, clock, { { "ὁ", Grade::Good } });
    openProgress();
    EXPECT_EQ(accessibleText(p.HistoryChart, QAccessible::Description),
        "Known words: 2 on 9 December, 2 on 16 December. Coverage of the New Testament: 20.9% on 9 December, 20.9% "
        "on 16 December");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(ProgressTest, TheBookStudiedHasItsCoverageAndWhatTheSetLacks)
{
    const nttext::Text* nt = karte::newTestamentText();
    ASSERT_NE(nt, nullptr) << "no companion file";
    answer(form->FrequencyTable, clock, { { "ὁ", Grade::Easy }, { "καί", Grade::Easy } }, "1Jn");
    openProgress();
    const auto firstJohn = static_cast<std::size_t>(
        std::find_if(nt->books().begin(), nt->books().end(), [](const auto& b) { return b.code == "1Jn"; })
        - nt->books().begin());
    std::int64_t known = 0;
    for (const char* greek : { "ὁ", "καί" })
        known += nt->bookCounts(*nt->lemmaOfCard(greek))[firstJohn];
    const double share = static_cast<double>(known) / nt->books()[firstJohn].words;
    // Four cards cannot take 1 John to 90%: the sentence stops at what is known.
    EXPECT_EQ(text(progressUi().BookText), "1 John: you know " + learning::percentText(share) + " of its words");
    const QStringList outside = progressUi().OutsideText->text().split('\n');
    ASSERT_EQ(outside.size(), 2);
    EXPECT_TRUE(outside[0].startsWith("90% needs ")) << outside[0].toStdString();
    EXPECT_TRUE(outside[1].startsWith("95% needs ")) << outside[1].toStdString();
}

TEST_F(ProgressTest, ASetOfOnesOwnCountsTheTextsOccurrencesOfItsLemmas)
{
    struct Case
    {
        const char* name;
        std::vector<testsupport::Card> cards;
        std::map<std::string, Grade> answers;
        std::string sentence;
        int historyLines; // known words, and coverage with the sentence; none before any review
    };
    // λόγος occurs 330 times; the set's own frequencies do not count.
    const Case cases[] = {
        { "lemmas", { { "word", "λόγος", 90000 }, { "love", "ἀγάπη", 1 }, { "not Greek", "xyz", 1 } },
            { { "λόγος", Grade::Easy }, { "xyz", Grade::Easy } },
            "You know 1 word, 0.2% of the words you will read in the New Testament", 2 },
        { "one lemma on two cards", { { "word", "λόγος", 1 }, { "Word", "Λόγος", 1 } },
            { { "λόγος", Grade::Easy }, { "Λόγος", Grade::Easy } },
            "You know 1 word, 0.2% of the words you will read in the New Testament", 2 },
        { "none known yet", { { "word", "λόγος", 1 } }, {},
            "You know 0 words, 0.0% of the words you will read in the New Testament", 0 },
        { "no lemmas", { { "cat", "Katze", 1 } }, { { "Katze", Grade::Easy } }, "(hidden)", 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dataHome.file(std::string(c.name) + ".sdb");
        testsupport::makeCardSet(path, c.cards);
        form->openCardSet(QString::fromStdString(path));
        answer(form->FrequencyTable, clock, c.answers);
        openProgress();
        EXPECT_EQ(text(progressUi().KnownWordsText), c.sentence);
        EXPECT_EQ(progressUi().HistoryChart->chart()->series().size(), c.historyLines);
        progress->close();
    }
}

TEST_F(ProgressTest, WhateverClosesTheWindowGivesTheMainWindowBack)
{
    struct Case
    {
        const char* name;
        std::function<void(TProgressForm&)> close;
    };
    const Case cases[] = {
        { "Esc", [](TProgressForm& window) { QTest::keyClick(&window, Qt::Key_Escape); } },
        { "Close button", [this](TProgressForm&) { progressUi().CloseButton->click(); } },
        { "the window manager", [](TProgressForm& window) { window.close(); } },
        { "hidden", [](TProgressForm& window) { window.hide(); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openProgress();
        progress->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(progress.get()));
        EXPECT_FALSE(form->isEnabled());
        c.close(*progress);
        EXPECT_FALSE(progress->isVisible());
        EXPECT_TRUE(form->isEnabled());
    }
}

// --- karte-progress ----------------------------------------------------------------------------------------------

struct ToolRun
{
    int exitCode = -1;
    std::string output;
};

ToolRun runProgressTool(const std::string& arguments)
{
    const std::string command = KARTE_PROGRESS_TOOL " " + arguments + " 2>&1 </dev/null";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, got);
    const int status = pipe ? ::pclose(pipe) : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ProgressTool, PrintsTheFiguresOfASetAndFailsClearly)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("words.sdb");
    testsupport::makeCardSet(path, { { "word", "λόγος", 1 }, { "love", "ἀγάπη", 1 }, { "cat", "Katze", 1 } });
    {
        // Answered now, as the tool reckons by the computer's clock: an Easy card is known for days.
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        const learning::SystemClock clock;
        answer(table, clock, { { "λόγος", Grade::Easy } });
    }
    struct Case
    {
        std::string arguments;
        int exitCode;
        std::vector<std::string> lines; // the output's first lines, each as far as given
    };
    const Case cases[] = {
        { path, 0,
            { path, "3 cards: 2 new, 0 learning, 1 known, 0 due today",
                "You know 1 word, 0.2% of the words you will read in the New Testament",
                "Reviews due: 0 today, 0 tomorrow, 1 on ", "Known words: 1 on ",
                "Coverage of the New Testament: 0.2% on " } },
        { dir.file("missing.sdb"), 1, { "karte-progress: Table does not exist. File: " + dir.file("missing.sdb") } },
        { path + " " + path, 2, { "usage: karte-progress [SET]" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = runProgressTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        const QStringList lines = QString::fromStdString(run.output).split('\n');
        ASSERT_GE(lines.size(), static_cast<qsizetype>(c.lines.size())) << run.output;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_TRUE(lines[static_cast<qsizetype>(i)].startsWith(QString::fromStdString(c.lines[i]))) << run.output;
    }
}

} // namespace

// Tab goes through the figures and sentences shown, then the charts and Close, and a screen reader reads the window
// as a window and the panel of figures as a part of it.
TEST_F(ProgressTest, TabReachesEveryFigureAndSentenceShown)
{
    openProgress();
    QApplication::setActiveWindow(progress.get());
    Ui::TProgressForm& p = progressUi();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(progress.get())->role(), QAccessible::Window);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(p.FiguresPanel)->role(), QAccessible::Grouping);
    p.SetText->setFocus(Qt::TabFocusReason);
    QStringList reached;
    for (int step = 0; step < 12 && !reached.contains(QApplication::focusWidget()->objectName()); ++step) {
        reached.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(reached,
        QStringList({ "SetText", "NewCount", "LearningCount", "KnownCount", "DueCount", "KnownWordsText", "DueChart",
            "HistoryChart", "CloseButton" }));
}
