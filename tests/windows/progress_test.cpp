// The Progress window over the main window: the figures, the known words' share of the New Testament for the
// built-in set and for sets of one's own, the book's coverage, the charts as a screen reader hears them, the main
// window given back however the window closes; and karte-progress, which prints the same figures.
#include "books.h"
#include "clock.h"
#include "commands.h"
#include "newtestament.h"
#include "progressdescription.h"
#include "progressreport.h"
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
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
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
    learning::StudySession session(table, clock, karte::newTestament().text(), false);
    if (!book.empty()) {
        learning::StudySettings settings = session.settings();
        settings.book = book;
        session.changeSettings(settings);
    }
    for (const learning::StudyCard& card : session.cards())
        if (auto found = grades.find(card.greek); found != grades.end())
            session.answer(card.key, found->second, 4000);
}

struct BookSet
{
    std::vector<testsupport::Card> cards;
    std::map<std::string, Grade> answers;
};

// A card for every word of 2 John, each answered Easy; its commonest word, though, left out of the set or
// unanswered when told so.
BookSet secondJohnSet(const nttext::Text& nt, bool commonestInSet = true, bool commonestKnown = true)
{
    BookSet set;
    const std::vector<nttext::LemmaCount>& lemmas = nt.bookLemmas(*nttext::bookIndex("2Jn"));
    for (const nttext::LemmaCount& lemma : lemmas) {
        const bool commonest = &lemma == &lemmas.front();
        if (commonest && !commonestInSet)
            continue;
        set.cards.push_back({ "word", nt.lemma(lemma.lemma), 1 });
        if (!commonest || commonestKnown)
            set.answers.emplace(nt.lemma(lemma.lemma), Grade::Easy);
    }
    return set;
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
        progress->setNewTestament(&karte::newTestament());
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

TEST_F(ProgressTest, BothMarksOfTheBookStudiedAreSaidReachedOrNot)
{
    const nttext::Text* nt = karte::newTestament().text();
    ASSERT_NE(nt, nullptr) << "no companion file";
    // Every word of 2 John but its commonest leaves it short of 90%.
    const int book = *nttext::bookIndex("2Jn");
    ASSERT_GT(nt->bookLemmas(book).front().count * 10, nt->books()[static_cast<std::size_t>(book)].words);
    struct Case
    {
        const char* name;
        bool commonestInSet;
        bool commonestKnown;
        std::string marks;
    };
    const Case cases[] = {
        { "every word known", true, true,
            "You already know 90% of 2 John's words\nYou already know 95% of 2 John's words" },
        { "the commonest word still to learn", true, false,
            "1 more word for 90% of 2 John, in this set\n1 more word for 95% of 2 John, in this set" },
        { "the commonest word not in the set", false, false,
            "1 more word for 90% of 2 John, not in this set\n1 more word for 95% of 2 John, not in this set" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BookSet set = secondJohnSet(*nt, c.commonestInSet, c.commonestKnown);
        const std::string path = dataHome.file(std::string(c.name) + ".sdb");
        testsupport::makeCardSet(path, set.cards);
        form->openCardSet(QString::fromStdString(path));
        answer(form->FrequencyTable, clock, set.answers, "2Jn");
        openProgress();
        EXPECT_TRUE(text(progressUi().BookText).starts_with("2 John: you know ")) << text(progressUi().BookText);
        EXPECT_EQ(text(progressUi().MarksText), c.marks);
        progress->close();
    }
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
            "2 cards known, 1 of them a word of the New Testament, which makes up 0.2% of the words you will read in "
            "it",
            2 },
        { "one lemma on two cards", { { "word", "λόγος", 1 }, { "Word", "Λόγος", 1 } },
            { { "λόγος", Grade::Easy }, { "Λόγος", Grade::Easy } },
            "2 cards known, all of them words of the New Testament (one and the same word), which makes up 0.2% of "
            "the words you will read in it",
            2 },
        { "none known yet", { { "word", "λόγος", 1 } }, {}, "No cards known yet", 0 },
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

TEST_F(ProgressTest, KnownWordsOverTimeDrawEveryDotWholeOnOneGrid)
{
    struct Case
    {
        const char* name;
        std::vector<testsupport::Card> cards; // none: the built-in set
        std::map<std::string, Grade> answers;
    };
    // One day of reviews each: two words that make a fifth of the text, one that makes a quarter of a per cent, a
    // card that is no word (no coverage axis).
    const Case cases[] = {
        { "built-in set", {}, { { "ὁ", Grade::Easy }, { "καί", Grade::Easy } } },
        { "one word", { { "word", "λόγος", 1 } }, { { "λόγος", Grade::Easy } } },
        { "no word", { { "cat", "Katze", 1 } }, { { "Katze", Grade::Easy } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.cards.empty()) {
            const std::string path = dataHome.file(std::string(c.name) + ".sdb");
            testsupport::makeCardSet(path, c.cards);
            form->openCardSet(QString::fromStdString(path));
        }
        answer(form->FrequencyTable, clock, c.answers);
        openProgress();
        QChart* chart = progressUi().HistoryChart->chart();
        QCoreApplication::processEvents(); // lays the chart out
        const QRectF plot = chart->plotArea();
        ASSERT_FALSE(plot.isEmpty());
        for (QAbstractSeries* series : chart->series()) {
            const auto* line = qobject_cast<QLineSeries*>(series);
            ASSERT_NE(line, nullptr);
            const qreal radius = line->markerSize() / 2;
            for (const QPointF& point : line->points()) {
                const QPointF at = chart->mapToPosition(point, series);
                EXPECT_TRUE(plot.contains(QRectF(at - QPointF(radius, radius), at + QPointF(radius, radius))))
                    << series->name().toStdString() << " at " << point.y();
            }
        }
        // The day's date is under its dot: a tick of the time axis there.
        const auto* days = qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0));
        ASSERT_NE(days, nullptr);
        const double dot = qobject_cast<QLineSeries*>(chart->series().front())->at(0).x();
        const double tick = static_cast<double>(days->min().msecsTo(days->max())) / (days->tickCount() - 1);
        const double ticks = (dot - static_cast<double>(days->min().toMSecsSinceEpoch())) / tick;
        EXPECT_NEAR(ticks, std::round(ticks), 1e-6) << days->tickCount() << " ticks";
        // The grid lines of the two value axes are the same lines when both run from 0 in as many steps.
        const QList<QAbstractAxis*> valueAxes = chart->axes(Qt::Vertical);
        for (QAbstractAxis* axis : valueAxes) {
            const auto* values = qobject_cast<QValueAxis*>(axis);
            ASSERT_NE(values, nullptr);
            EXPECT_EQ(values->min(), 0);
            EXPECT_EQ(values->tickCount(), qobject_cast<QValueAxis*>(valueAxes.front())->tickCount());
        }
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

// Runs sql on the set's file; the first column of its last row, when it gives one.
std::int64_t onFile(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::int64_t result = -1;
    const auto keep = [](void* out, int, char** values, char**) {
        *static_cast<std::int64_t*>(out) = values[0] ? std::stoll(values[0]) : -1;
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), keep, &result, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return result;
}

TEST_F(ProgressTest, ALongLogIsCountedBetweenEventsAndItsDaysKeptForTheNextOpening)
{
    // A month of answers, the first of them given again 25,000 times a second apart before it, and one answer of a
    // grade no answer has: more than one turn of the event loop counts.
    for (int daysAgo = 30; daysAgo >= 1; --daysAgo) {
        const learning::ManualClock then(kNoon - daysAgo * learning::kDayMs);
        answer(form->FrequencyTable, then,
            { { "ὁ", daysAgo % 4 == 0 ? Grade::Again : Grade::Good }, { "καί", Grade::Good } });
    }
    const std::string path = builtInSetPath(dataHome);
    const std::string columns = "card, reviewed, grade, duration, state, step, stability, difficulty, due, "
                                "last_review, reps, lapses";
    form->FrequencyTable.close();
    onFile(path,
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 25000) INSERT INTO "
        "karte_study_log ("
            + columns + ") SELECT card, reviewed - i * 1000" + columns.substr(columns.find(", grade"))
            + " FROM karte_study_log, n WHERE id = (SELECT min(id) FROM karte_study_log)");
    onFile(path,
        "UPDATE karte_study_log SET grade = 7 WHERE id = (SELECT max(id) - 10 FROM karte_study_log WHERE "
        "reviewed > 0)");
    form->FrequencyTable.open();
    std::vector<learning::HistoryPoint> whole;
    {
        const learning::StudySet set(form->FrequencyTable, clock, karte::newTestament().text());
        whole = learning::knownHistory(set, karte::newTestament().text(), true);
    }
    const std::string expected
        = learning::knownHistoryDescription(whole, clock) + ". " + learning::coverageHistoryDescription(whole, clock);
    const auto chartAfterTurns = [&](int& turns) {
        for (turns = 1; turns < 100 && accessibleText(progressUi().HistoryChart, QAccessible::Description) != expected;
             ++turns)
            QCoreApplication::processEvents();
        return accessibleText(progressUi().HistoryChart, QAccessible::Description);
    };

    int turns = 0;
    openProgress();
    EXPECT_EQ(chartAfterTurns(turns), expected);
    EXPECT_GT(turns, 1);
    EXPECT_TRUE(progressUi().NoteText->text().contains("1 recorded answer had")) << text(progressUi().NoteText);
    // The days before today are kept, the answer no program writes gone from the log.
    EXPECT_EQ(onFile(path, "SELECT count(*) FROM karte_study_days"), 30);
    EXPECT_EQ(onFile(path, "SELECT count(*) FROM karte_study_log WHERE grade = 7"), 0);
    progress->close();

    openProgress();
    EXPECT_EQ(chartAfterTurns(turns), expected);
    EXPECT_EQ(turns, 1);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// --- karte-progress ----------------------------------------------------------------------------------------------

testsupport::CommandRun runProgressTool(const std::string& arguments)
{
    return testsupport::runCommand(KARTE_PROGRESS_TOOL " " + arguments + " </dev/null");
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
    // Every word of 2 John, known, studied by that book: both its marks reached.
    const nttext::Text* nt = karte::newTestament().text();
    ASSERT_NE(nt, nullptr) << "no companion file";
    const std::string bookPath = dir.file("2john.sdb");
    {
        const BookSet set = secondJohnSet(*nt);
        testsupport::makeCardSet(bookPath, set.cards);
        cardstore::Table table;
        table.setTableName(bookPath);
        table.open();
        answer(table, learning::SystemClock(), set.answers, "2Jn");
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
                "1 card known, a word of the New Testament, which makes up 0.2% of the words you will read in it",
                "Reviews due: 0 today, 0 tomorrow, 1 on ", "Known words: 1 on ",
                "Coverage of the New Testament: 0.2% on " } },
        { bookPath, 0,
            { bookPath, "", "", "", "", "", "2 John: you know 100.0% of its words",
                "You already know 90% of 2 John's words", "You already know 95% of 2 John's words" } },
        { dir.file("missing.sdb"), 1, { "karte-progress: " + dir.file("missing.sdb") + " does not exist" } },
        { path + " " + path, 2, { "usage: karte-progress [SET]" } },
        // The usage asked for is the output, on standard output.
        { "--help 2>/dev/null", 0, { "usage: karte-progress [SET]" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const testsupport::CommandRun run = runProgressTool(c.arguments);
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
