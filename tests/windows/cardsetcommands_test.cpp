// New, Open, NT Frequency, Exit and the window's close: the window state each leaves, the display font written
// into the set being left, failures that leave no set open, and the file dialogs behind New and Open.
#include "errors.h"
#include "failingvfs.h"
#include "filedialogs.h"
#include "qcardunt.h"
#include "table.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QCloseEvent>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <random>

using namespace windowtest;
using karte::FileDialog;

namespace {

// Everything the card set commands set or promise to keep.
struct WindowState
{
    bool buttonAdd = false;
    bool addEditCustomCards = false;
    bool fontButton = false;
    bool tools = false;
    bool font1 = false;
    bool sortMenu = false;
    std::array<bool, 3> sortItemsEnabled {};
    std::array<bool, 3> sortItemsChecked {};
    bool drillBar = false;
    QString listFace;
    bool listSorted = false;
    QStringList listEntries;
    QString listText;
    QString caption;
    bool fontSaveEnabled = false;
    bool drillFlag = false;
    bool greekVisible = false;
    bool englishVisible = false;
    QString greekFace;
    int greekSize = 0;
    QString englishFace;
    int englishSize = 0;
    bool tableActive = false;
    std::string tableName;
    int currentCard = 0;
    QString greekText;

    bool operator==(const WindowState&) const = default;
};

void PrintTo(const WindowState& s, std::ostream* out)
{
    auto flag = [](bool on) { return on ? "1" : "0"; };
    *out << "{add " << flag(s.buttonAdd) << " addEdit " << flag(s.addEditCustomCards) << " font " << flag(s.fontButton)
         << " tools " << flag(s.tools) << " font1 " << flag(s.font1) << " sort " << flag(s.sortMenu) << " items "
         << flag(s.sortItemsEnabled[0]) << flag(s.sortItemsEnabled[1]) << flag(s.sortItemsEnabled[2]) << " checked "
         << flag(s.sortItemsChecked[0]) << flag(s.sortItemsChecked[1]) << flag(s.sortItemsChecked[2]) << " drillBar "
         << flag(s.drillBar) << " listFace " << s.listFace.toStdString() << " sorted " << flag(s.listSorted)
         << " entries [" << s.listEntries.join(',').toStdString() << "] listText '" << s.listText.toStdString()
         << "' caption '" << s.caption.toStdString() << "' fontSave " << flag(s.fontSaveEnabled) << " drillFlag "
         << flag(s.drillFlag) << " greek " << flag(s.greekVisible) << " english " << flag(s.englishVisible)
         << " greekFont " << s.greekFace.toStdString() << "/" << s.greekSize << " englishFont "
         << s.englishFace.toStdString() << "/" << s.englishSize << " table " << flag(s.tableActive) << " '"
         << s.tableName << "' card " << s.currentCard << " '" << s.greekText.toStdString() << "'}";
}

WindowState capture(TForm1& form)
{
    Ui::TForm1& ui = formOf(form);
    WindowState s;
    s.buttonAdd = ui.ButtonAdd->isEnabled();
    s.addEditCustomCards = ui.AddEditCustomCards1->isEnabled();
    s.fontButton = ui.FontButton->isEnabled();
    s.tools = ui.Tools1->menuAction()->isEnabled();
    s.font1 = ui.Font1->isEnabled();
    s.sortMenu = ui.Sort1->menuAction()->isEnabled();
    const std::array<QAction*, 3> items { ui.Alphabetcally1, ui.ShowGreek1, ui.ShowFrequency1 };
    for (std::size_t i = 0; i < items.size(); ++i) {
        s.sortItemsEnabled[i] = items[i]->isEnabled();
        s.sortItemsChecked[i] = items[i]->isChecked();
    }
    s.drillBar = !ui.QCardButtons->isHidden();
    s.listFace = ui.FrequencyComboBox->font().family();
    s.listSorted = ui.FrequencyComboBox->sorted();
    s.listEntries = ui.FrequencyComboBox->entries();
    s.listText = ui.FrequencyComboBox->currentText();
    s.caption = form.windowTitle();
    s.fontSaveEnabled = FontSaveEnabled;
    s.drillFlag = DrillFlag;
    s.greekVisible = !ui.TextGreek->isHidden();
    s.englishVisible = !ui.TextEnglish->isHidden();
    s.greekFace = ui.TextGreek->font().family();
    s.greekSize = ui.TextGreek->font().pointSize();
    s.englishFace = ui.TextEnglish->font().family();
    s.englishSize = ui.TextEnglish->font().pointSize();
    s.tableActive = form.FrequencyTable.active();
    s.tableName = form.FrequencyTable.tableName();
    s.currentCard = s.tableActive ? form.FrequencyTable.sequenceNumber() : -1;
    s.greekText = ui.TextGreek->text();
    return s;
}

void setFont(QWidget* text, const QString& face, int size)
{
    QFont font = text->font();
    font.setFamily(face);
    font.setPointSize(size);
    text->setFont(font);
}

// Turns every state that a command sets to the opposite and gives every state that a command keeps a value of
// its own, so that the state after the command shows which it did.
void perturb(TForm1& form, int round)
{
    Ui::TForm1& ui = formOf(form);
    ui.ButtonAdd->setEnabled(!ui.ButtonAdd->isEnabled());
    ui.AddEditCustomCards1->setEnabled(!ui.AddEditCustomCards1->isEnabled());
    ui.FontButton->setEnabled(!ui.FontButton->isEnabled());
    ui.Tools1->menuAction()->setEnabled(!ui.Tools1->menuAction()->isEnabled());
    ui.Font1->setEnabled(!ui.Font1->isEnabled());
    ui.Sort1->menuAction()->setEnabled(!ui.Sort1->menuAction()->isEnabled());
    for (QAction* item : { ui.Alphabetcally1, ui.ShowGreek1, ui.ShowFrequency1 }) {
        item->setEnabled(!item->isEnabled());
        item->setCheckable(true);
        item->setChecked(true);
    }
    ui.QCardButtons->hide();
    QFont listFont = ui.FrequencyComboBox->font();
    listFont.setFamily(QStringLiteral("Perturbed List Face"));
    ui.FrequencyComboBox->setFont(listFont);
    ui.FrequencyComboBox->setSorted(!ui.FrequencyComboBox->sorted());
    form.setWindowTitle(QStringLiteral("perturbed"));
    FontSaveEnabled = !FontSaveEnabled;
    DrillFlag = !DrillFlag;
    ui.TextGreek->setVisible(round % 2 == 0);
    ui.TextEnglish->setVisible(round % 3 != 0);
    setFont(ui.TextGreek, QStringLiteral("Perturbed Face %1").arg(round), 9 + round);
    setFont(ui.TextEnglish, QStringLiteral("Times New Roman"), 30 + round);
}

struct CardSetFile
{
    std::string path;
    // English texts in the order the open set walks them, and the Greek text of the first.
    QStringList english;
    QString firstGreek;
};

enum class Command { New, OpenFromMenu, OpenFromToolbar, NtFrequency };

const char* commandName(Command command)
{
    switch (command) {
    case Command::New:
        return "New";
    case Command::OpenFromMenu:
        return "Open (menu)";
    case Command::OpenFromToolbar:
        return "Open (toolbar)";
    case Command::NtFrequency:
        return "NT Frequency";
    }
    return "";
}

class CardSetCommandsTest : public MainWindowTest
{
protected:
    CardSetCommandsTest()
    {
        FileDialog::clearScript();
        makeSets();
    }
    ~CardSetCommandsTest() override { FileDialog::clearScript(); }

    // A set that stores a font and one that does not.
    void makeSets()
    {
        setA = { dataHome.file("gospel.SDB"), { "beginning", "light", "word" }, QStringLiteral("ἀρχή") };
        testsupport::makeCardSet(
            setA.path, { { "word", "λόγος", 330 }, { "beginning", "ἀρχή", 55 }, { "light", "φῶς", 73 } });
        storeFont(setA.path, "Gentium Plus", "20");
        setB = { dataHome.file("virtues.SDB"), { "faith", "love" }, QStringLiteral("πίστις") };
        testsupport::makeCardSet(setB.path, { { "love", "ἀγάπη", 116 }, { "faith", "πίστις", 243 } });
    }

    TForm1& formOnThreeCards()
    {
        installBuiltInSet(dataHome, threeCards());
        TForm1& form1 = createForm();
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        return form1;
    }

    CardSetFile builtIn() const { return { builtInSetPath(dataHome), { "the", "and", "God" }, QStringLiteral("ὁ") }; }

    static void storeFont(const std::string& path, const std::string& face, const std::string& size)
    {
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        table.first();
        table.edit();
        table.setFieldText("FontName", face);
        table.setFieldText("FontSize", size);
        table.post();
    }

    // Runs a command as the user does, the dialog answered with name.
    void run(Command command, const QString& name = {})
    {
        if (command != Command::NtFrequency)
            FileDialog::setNextFileName(name);
        switch (command) {
        case Command::New:
            ui().New1->trigger();
            break;
        case Command::OpenFromMenu:
            ui().Open1->trigger();
            break;
        case Command::OpenFromToolbar:
            ui().FrequencyCards->click();
            break;
        case Command::NtFrequency:
            ui().Frequency1->trigger();
            break;
        }
        EXPECT_EQ(FileDialog::scriptedAnswersLeft(), 0);
    }

    // The state the design gives after command from state before, with target the set the command opens.
    static WindowState expectedAfter(Command command, const WindowState& before, int cardsInSetLeft,
        const CardSetFile& target, const std::optional<StoredFont>& targetFont)
    {
        WindowState s = before;
        s.fontButton = true;
        s.tools = true;
        s.drillBar = true;
        s.listFace = "TimesNewRoman";
        s.tableActive = true;
        s.tableName = command == Command::NtFrequency ? "cardsfrq.db" : target.path;
        if (command == Command::NtFrequency) {
            s.buttonAdd = false;
            s.addEditCustomCards = false;
            s.sortMenu = true;
            s.sortItemsEnabled = { true, true, true };
            s.caption = "NT Frequency";
            s.fontSaveEnabled = true;
        } else {
            s.buttonAdd = true;
            s.addEditCustomCards = true;
            s.sortMenu = false;
            s.sortItemsChecked = { false, false, false };
            s.caption = QString::fromStdString(target.path);
        }
        if (command == Command::New) {
            s.listEntries = {};
            s.listText = "";
            s.fontSaveEnabled = false;
            s.currentCard = 0;
            s.greekText = "";
            return s;
        }
        if (command != Command::NtFrequency && before.tableActive && cardsInSetLeft == 0)
            s.fontSaveEnabled = false;
        s.listEntries = target.english;
        if (s.listSorted)
            std::sort(s.listEntries.begin(), s.listEntries.end(),
                [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        s.listText = s.listEntries.value(0);
        s.currentCard = 1;
        s.greekText = target.firstGreek;
        if (targetFont && !targetFont->name.empty()) {
            s.greekFace = QString::fromStdString(targetFont->name);
            s.greekSize = std::stoi(targetFont->size);
            s.englishSize = s.greekSize;
        }
        return s;
    }

    CardSetFile setA;
    CardSetFile setB;
};

// Each row is a run of commands from start-up; before each command every control is put into a state that
// shows whether the command sets it or keeps it.
TEST_F(CardSetCommandsTest, EachCommandLeavesTheWindowInTheStateOfItsKindOfSet)
{
    using C = Command;
    const std::vector<std::vector<Command>> runs {
        { C::New, C::New },
        { C::New, C::OpenFromMenu },
        { C::New, C::NtFrequency },
        { C::OpenFromMenu, C::New },
        { C::OpenFromToolbar, C::OpenFromMenu },
        { C::OpenFromMenu, C::NtFrequency },
        { C::NtFrequency, C::New },
        { C::NtFrequency, C::OpenFromToolbar },
        { C::NtFrequency, C::NtFrequency },
        { C::New, C::OpenFromMenu, C::NtFrequency, C::OpenFromToolbar },
        { C::OpenFromMenu, C::New, C::OpenFromMenu, C::New, C::NtFrequency },
    };
    int runNumber = 0;
    for (const std::vector<Command>& commands : runs) {
        ++runNumber;
        form.reset();
        resetProgramState();
        TForm1& form1 = formOnThreeCards();
        int round = 0;
        std::string trace;
        for (Command command : commands) {
            ++round;
            trace += std::string(round > 1 ? ", " : "") + commandName(command);
            SCOPED_TRACE("run " + std::to_string(runNumber) + ": " + trace);
            perturb(form1, round);
            const WindowState before = capture(form1);
            const int cardsInSetLeft = form1.FrequencyTable.active() ? form1.FrequencyTable.recordCount() : 0;
            const std::string nameBefore = CardSetFileName.toStdString();

            CardSetFile target;
            if (command == C::New)
                target = { dataHome.file("new" + std::to_string(runNumber) + "-" + std::to_string(round) + ".SDB"), {},
                    {} };
            else if (command == C::NtFrequency)
                target = builtIn();
            else
                target = round % 2 ? setA : setB;
            run(command, QString::fromStdString(target.path));

            EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
            EXPECT_EQ(CardSetFileName.toStdString(), command == C::NtFrequency ? nameBefore : target.path);
            const WindowState after = capture(form1);
            EXPECT_EQ(after, expectedAfter(command, before, cardsInSetLeft, target, storedFont(target.path)));
        }
    }
}

TEST_F(CardSetCommandsTest, NtFrequencyLeavesTheUserSetNameAlone)
{
    formOnThreeCards();
    run(Command::OpenFromMenu, QString::fromStdString(setA.path));
    run(Command::NtFrequency);
    EXPECT_EQ(CardSetFileName.toStdString(), setA.path);
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "the", "and", "God" }));
}

TEST_F(CardSetCommandsTest, CancelledDialogsChangeNothingAndWriteNoFont)
{
    const std::vector<std::pair<const char*, std::function<void(Ui::TForm1&)>>> cancels {
        { "New", [](Ui::TForm1& ui) { ui.New1->trigger(); } },
        { "Open from the menu", [](Ui::TForm1& ui) { ui.Open1->trigger(); } },
        { "Open from the toolbar", [](Ui::TForm1& ui) { ui.FrequencyCards->click(); } },
    };
    for (const auto& [name, cancel] : cancels) {
        SCOPED_TRACE(name);
        for (bool onUserSet : { false, true }) {
            SCOPED_TRACE(onUserSet ? "on a user set" : "on the built-in set");
            form.reset();
            resetProgramState();
            TForm1& form1 = formOnThreeCards();
            if (onUserSet)
                run(Command::OpenFromMenu, QString::fromStdString(setB.path));
            form1.FrequencyTable.last();
            perturb(form1, 1);
            const std::string openSet = onUserSet ? setB.path : builtInSetPath(dataHome);
            const std::string bytesBefore = testsupport::readBytes(openSet);
            const WindowState before = capture(form1);
            const QString nameBefore = CardSetFileName;

            FileDialog::setNextCancel();
            cancel(ui());

            EXPECT_EQ(FileDialog::scriptedAnswersLeft(), 0);
            EXPECT_EQ(capture(form1), before);
            EXPECT_EQ(CardSetFileName, nameBefore);
            EXPECT_EQ(testsupport::readBytes(openSet), bytesBefore);
            EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        }
    }
}

TEST_F(CardSetCommandsTest, NewThenOpenWritesNoFontIntoTheOpenedSetUntilACardIsPosted)
{
    TForm1& form1 = formOnThreeCards();
    run(Command::New, QString::fromStdString(dataHome.file("fresh.SDB")));
    run(Command::OpenFromMenu, QString::fromStdString(setB.path));
    EXPECT_FALSE(FontSaveEnabled);
    const std::string bytesBefore = testsupport::readBytes(setB.path);

    setFont(ui().TextGreek, "Gentium Plus", 22);
    run(Command::NtFrequency);
    EXPECT_EQ(testsupport::readBytes(setB.path), bytesBefore);
    EXPECT_EQ(storedFont(setB.path).name, "");

    // A card posted in the opened set turns saving on, and the next switch writes the font.
    run(Command::OpenFromToolbar, QString::fromStdString(setB.path));
    run(Command::New, QString::fromStdString(dataHome.file("fresh2.SDB")));
    run(Command::OpenFromMenu, QString::fromStdString(setB.path));
    form1.FrequencyTable.insert();
    form1.FrequencyTable.setFieldText("English", "hope");
    form1.FrequencyTable.setFieldText("Language", "ἐλπίς");
    form1.FrequencyTable.post();
    setFont(ui().TextGreek, "Gentium Plus", 23);
    run(Command::NtFrequency);
    EXPECT_EQ(storedFont(setB.path).name, "Gentium Plus");
    EXPECT_EQ(storedFont(setB.path).size, "23");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// The font on the card texts goes into the set being left at every switch and at the close, and comes back
// from the set being opened.
TEST_F(CardSetCommandsTest, TheFontIsWrittenIntoTheSetBeingLeftAndReadFromTheSetOpened)
{
    const std::vector<std::pair<const char*, std::function<void(TForm1&)>>> closings {
        { "Exit", [](TForm1& form1) { formOf(form1).Exit1->trigger(); } },
        { "the close box", [](TForm1& form1) { form1.close(); } },
    };
    for (const auto& [name, closeWindow] : closings) {
        SCOPED_TRACE(name);
        form.reset();
        resetProgramState();
        makeSets();
        installBuiltInSet(dataHome, threeCards());
        TForm1& form1 = createForm();
        form1.show();

        setFont(ui().TextGreek, "Cardo", 18);
        run(Command::OpenFromMenu, QString::fromStdString(setA.path));
        EXPECT_EQ(storedFont(builtInSetPath(dataHome)).name, "Cardo");
        EXPECT_EQ(storedFont(builtInSetPath(dataHome)).size, "18");
        EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
        EXPECT_EQ(ui().TextGreek->font().pointSize(), 20);
        EXPECT_EQ(ui().TextEnglish->font().pointSize(), 20);

        setFont(ui().TextGreek, "Galatia SIL", 24);
        run(Command::OpenFromToolbar, QString::fromStdString(setB.path));
        EXPECT_EQ(storedFont(setA.path).name, "Galatia SIL");
        EXPECT_EQ(storedFont(setA.path).size, "24");
        // The set opened stores no font: the card texts keep theirs.
        EXPECT_EQ(ui().TextGreek->font().family(), "Galatia SIL");

        setFont(ui().TextGreek, "SBL Greek", 14);
        run(Command::NtFrequency);
        EXPECT_EQ(storedFont(setB.path).name, "SBL Greek");
        EXPECT_EQ(storedFont(setB.path).size, "14");
        // The built-in set gives back the font it took on the first switch.
        EXPECT_EQ(ui().TextGreek->font().family(), "Cardo");
        EXPECT_EQ(ui().TextGreek->font().pointSize(), 18);

        setFont(ui().TextGreek, "Porson", 30);
        const std::string setABytes = testsupport::readBytes(setA.path);
        closeWindow(form1);
        EXPECT_TRUE(form1.isHidden());
        EXPECT_EQ(storedFont(builtInSetPath(dataHome)).name, "Porson");
        EXPECT_EQ(storedFont(builtInSetPath(dataHome)).size, "30");
        EXPECT_EQ(testsupport::readBytes(setA.path), setABytes);
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    }
}

TEST_F(CardSetCommandsTest, TheCaptionAfterNewOrOpenIsTheFullPath)
{
    formOnThreeCards();
    FileDialog::setNextFileName(QString::fromStdString(setA.path));
    ui().Open1->trigger();
    // The folder of the set just opened is where the next dialog starts: a bare name lands there, with the
    // card set extension added.
    FileDialog::setNextFileName("another");
    ui().New1->trigger();
    EXPECT_EQ(form->windowTitle().toStdString(), dataHome.file("another.SDB"));
    EXPECT_EQ(CardSetFileName.toStdString(), dataHome.file("another.SDB"));
    EXPECT_TRUE(std::filesystem::exists(dataHome.file("another.SDB")));
}

struct BrokenFile
{
    const char* name;
    const char* fileName;
    std::function<void(const std::string& path)> make;
};

std::vector<BrokenFile> brokenFiles()
{
    return {
        { "random bytes", "random.SDB",
            [](const std::string& path) {
                std::mt19937 random(7);
                std::string bytes(4096, '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random());
                testsupport::writeBytes(path, bytes);
            } },
        { "an empty file", "empty.SDB", [](const std::string& path) { testsupport::writeBytes(path, ""); } },
        { "a truncated card set", "truncated.SDB",
            [](const std::string& path) {
                std::vector<testsupport::Card> cards;
                for (int i = 0; i < 300; ++i)
                    cards.push_back({ "word " + std::to_string(i), "λόγος", i });
                testsupport::makeCardSet(path, cards);
                const std::string bytes = testsupport::readBytes(path);
                testsupport::writeBytes(path, bytes.substr(0, bytes.size() / 2));
            } },
        { "a text file", "notes.SDB",
            [](const std::string& path) { testsupport::writeBytes(path, "English,Greek\nword,λόγος\n"); } },
        { "a file that may not be read", "secret.SDB",
            [](const std::string& path) {
                testsupport::makeCardSet(path, { { "word", "λόγος", 330 } });
                ::chmod(path.c_str(), 0);
            } },
    };
}

// A set that cannot be opened leaves the table closed under its name and the rest of the window as it was;
// the file is not touched, and Open and NT Frequency still work afterwards.
TEST_F(CardSetCommandsTest, OpeningABrokenFileShowsTheErrorAndLeavesTheTableClosed)
{
    for (const BrokenFile& broken : brokenFiles()) {
        for (Command recovery : { Command::OpenFromMenu, Command::NtFrequency }) {
            SCOPED_TRACE(std::string(broken.name) + ", then " + commandName(recovery));
            form.reset();
            resetProgramState();
            messages.clear();
            TForm1& form1 = formOnThreeCards();
            const std::string path = dataHome.file(broken.fileName);
            std::filesystem::remove(path);
            broken.make(path);
            // The bytes are read before the file loses its read permission and after it gets it back.
            ::chmod(path.c_str(), 0644);
            const std::string bytesBefore = testsupport::readBytes(path);
            if (std::string(broken.fileName) == "secret.SDB")
                ::chmod(path.c_str(), 0);
            setFont(ui().TextGreek, "Cardo", 19);
            WindowState expected = capture(form1);

            run(Command::OpenFromMenu, QString::fromStdString(path));

            ASSERT_EQ(messages.requests().size(), 1u);
            EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
            EXPECT_TRUE(messages.texts()[0].contains(QString::fromStdString(path)))
                << messages.texts()[0].toStdString();
            EXPECT_EQ(CardSetFileName.toStdString(), path);
            // The built-in set took the font before the switch was tried.
            EXPECT_EQ(storedFont(builtInSetPath(dataHome)).name, "Cardo");
            expected.tableActive = false;
            expected.tableName = path;
            expected.currentCard = -1;
            expected.greekText = "";
            EXPECT_EQ(capture(form1), expected);
            ::chmod(path.c_str(), 0644);
            EXPECT_TRUE(testsupport::readBytes(path) == bytesBefore);
            EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
            EXPECT_FALSE(std::filesystem::exists(path + "-wal"));

            // Without a set nothing can take the font, and saying so at every switch would trap the user.
            messages.clear();
            run(recovery, QString::fromStdString(setA.path));
            EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
            EXPECT_TRUE(form1.FrequencyTable.active());
            EXPECT_EQ(form1.FrequencyTable.recordCount(), 3);
            EXPECT_EQ(ui().TextGreek->text(), recovery == Command::NtFrequency ? "ὁ" : "ἀρχή");
        }
    }
}

TEST_F(CardSetCommandsTest, OperationsOnTheClosedTableReportTheEngineError)
{
    TForm1& form1 = formOnThreeCards();
    testsupport::writeBytes(dataHome.file("bad.SDB"), "not a card set");
    run(Command::OpenFromMenu, QString::fromStdString(dataHome.file("bad.SDB")));
    messages.clear();
    ui().SpeedButton2->click();
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "Cannot perform this operation on a closed dataset.");
    EXPECT_FALSE(form1.FrequencyTable.active());
}

TEST_F(CardSetCommandsTest, NewOnAPathThatCannotBeWrittenLeavesTheOldSetWhole)
{
    const std::vector<std::pair<const char*, std::string>> paths {
        { "a missing folder", "missing/folder/new.SDB" },
        { "a file in place of a folder", "gospel.SDB/new.SDB" },
    };
    for (const auto& [name, relative] : paths) {
        SCOPED_TRACE(name);
        form.reset();
        resetProgramState();
        messages.clear();
        TForm1& form1 = formOnThreeCards();
        run(Command::OpenFromMenu, QString::fromStdString(setA.path));
        FontSaveEnabled = true;
        setFont(ui().TextGreek, "Cardo", 21);
        WindowState expected = capture(form1);
        const std::string path = dataHome.file(relative);

        run(Command::New, QString::fromStdString(path));

        ASSERT_EQ(messages.requests().size(), 1u);
        EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(CardSetFileName.toStdString(), path);
        expected.tableActive = false;
        expected.tableName = path;
        expected.currentCard = -1;
        expected.greekText = "";
        EXPECT_EQ(capture(form1), expected);
        EXPECT_FALSE(std::filesystem::exists(path));

        // The old set holds its cards and the font it was given on leaving.
        cardstore::Table old;
        old.setTableName(setA.path);
        old.open();
        EXPECT_EQ(old.recordCount(), 3);
        EXPECT_EQ(storedFont(setA.path).name, "Cardo");
        EXPECT_EQ(storedFont(setA.path).size, "21");

        messages.clear();
        run(Command::OpenFromToolbar, QString::fromStdString(setA.path));
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(ui().FrequencyComboBox->entries(), setA.english);
    }
}

// A set that cannot take the font: switching stops before the table is touched, and closing goes ahead.
TEST_F(CardSetCommandsTest, AFontSaveThatFailsStopsASwitchButNotTheClose)
{
    for (Command command : { Command::New, Command::OpenFromMenu, Command::NtFrequency }) {
        SCOPED_TRACE(commandName(command));
        form.reset();
        resetProgramState();
        messages.clear();
        testsupport::FailingVfs disk(0);
        TForm1& form1 = formOnThreeCards();
        run(Command::OpenFromMenu, QString::fromStdString(setA.path));
        setFont(ui().TextGreek, "Cardo", 21);
        const std::string bytesBefore = testsupport::readBytes(setA.path);
        WindowState expected = capture(form1);
        const std::string newPath = dataHome.file("never.SDB");

        // The next write, the font's, fails, and so does every later one.
        disk.failAt(1);
        run(command, QString::fromStdString(command == Command::New ? newPath : setB.path));

        ASSERT_EQ(messages.requests().size(), 1u);
        EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(testsupport::readBytes(setA.path), bytesBefore);
        EXPECT_FALSE(std::filesystem::exists(newPath));
        // New has taken the new name before the save; NT Frequency has made its first five steps.
        EXPECT_EQ(CardSetFileName.toStdString(), command == Command::New ? newPath : setA.path);
        if (command == Command::NtFrequency) {
            expected.buttonAdd = false;
            expected.addEditCustomCards = false;
            expected.sortMenu = true;
        }
        EXPECT_EQ(capture(form1), expected);

        messages.clear();
        form1.show();
        ui().Exit1->trigger();
        ASSERT_EQ(messages.requests().size(), 1u);
        EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(form1.isHidden());
        EXPECT_EQ(testsupport::readBytes(setA.path), bytesBefore);
    }
}

TEST_F(CardSetCommandsTest, TheCloseEventStaysAcceptedWhateverTheFontSave)
{
    TForm1& form1 = formOnThreeCards();
    form1.show();
    QCloseEvent action;
    form1.FormClose(&form1, action);
    EXPECT_TRUE(action.isAccepted());
    // The handler alone does not close the window; it only saves.
    EXPECT_TRUE(form1.isVisible());
}

// Two copies of the program on one set: a card posted in one shows in the other at its next ">", and a card
// posted there afterwards does not wipe out the first.
TEST_F(CardSetCommandsTest, TwoWindowsOnOneSetSeeEachOthersCards)
{
    TForm1& first = formOnThreeCards();
    TForm1 second;
    run(Command::OpenFromMenu, QString::fromStdString(setB.path));
    FileDialog::setNextFileName(QString::fromStdString(setB.path));
    formOf(second).Open1->trigger();
    ASSERT_EQ(second.FrequencyTable.recordCount(), 2);

    first.FrequencyTable.insert();
    first.FrequencyTable.setFieldText("English", "grace");
    first.FrequencyTable.setFieldText("Language", "χάρις");
    first.FrequencyTable.post();

    // On "faith", the Greek side shown: ">" reveals it and reads the set again.
    DrillFlag = true;
    formOf(second).SpeedButton2->click();
    EXPECT_EQ(second.FrequencyTable.recordCount(), 3);
    formOf(second).SpeedButton2->click();
    EXPECT_EQ(formOf(second).TextEnglish->text(), "grace");

    second.FrequencyTable.insert();
    second.FrequencyTable.setFieldText("English", "peace");
    second.FrequencyTable.setFieldText("Language", "εἰρήνη");
    second.FrequencyTable.post();
    first.FrequencyTable.refresh();
    EXPECT_EQ(first.FrequencyTable.recordCount(), 4);

    cardstore::Table reader;
    reader.setTableName(setB.path);
    reader.open();
    QStringList english;
    for (reader.first(); !reader.eof(); reader.next())
        english.append(QString::fromStdString(reader.fieldText("English")));
    EXPECT_EQ(english, QStringList({ "faith", "grace", "love", "peace" }));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// The dialogs behind New and Open: each answer is what the user types into the name box.
struct DialogCase
{
    const char* name;
    bool save;
    std::vector<std::optional<std::string>> typed; // nullopt: the user cancels
    QMessageBox::StandardButton overwriteAnswer;
    bool confirmed;
    std::string chosen; // relative to the test folder
    int questions;
};

TEST_F(CardSetCommandsTest, FileDialogsCompleteCheckAndConfirmWhatTheUserTyped)
{
    testsupport::writeBytes(dataHome.file("old.SDB"), "x");
    testsupport::writeBytes(dataHome.file("notes.txt"), "x");
    std::filesystem::create_directory(dataHome.file("folder.SDB"));
    const std::string dir = dataHome.path() + "/";
    const QMessageBox::StandardButton yes = QMessageBox::Yes, no = QMessageBox::No;
    const std::vector<DialogCase> cases {
        { "save under a new name", true, { dir + "fresh" }, yes, true, "fresh.SDB", 0 },
        { "save under a new name with its extension", true, { dir + "fresh.SDB" }, yes, true, "fresh.SDB", 0 },
        { "save keeps another extension", true, { dir + "fresh.txt" }, yes, true, "fresh.txt", 0 },
        { "save over an old set, replacing it", true, { dir + "old" }, yes, true, "old.SDB", 1 },
        { "save over an old set, refused, then cancelled", true, { dir + "old", std::nullopt }, no, false, "", 1 },
        { "save over an old set, refused, then a new name", true, { dir + "old.SDB", dir + "other" }, no, true,
            "other.SDB", 1 },
        { "save onto a folder is refused", true, { dir + "folder.SDB" }, yes, false, "", 0 },
        { "save with an empty name is refused", true, { "" }, yes, false, "", 0 },
        { "save cleans the path", true, { dir + "sub/../fresh" }, yes, true, "fresh.SDB", 0 },
        { "open an existing set", false, { dir + "old" }, yes, true, "old.SDB", 0 },
        { "open with its extension", false, { dir + "old.SDB" }, yes, true, "old.SDB", 0 },
        { "open a missing set is refused", false, { dir + "missing" }, yes, false, "", 0 },
        { "open a missing set, then an existing one", false, { dir + "missing", dir + "old" }, yes, true, "old.SDB",
            0 },
        { "open a folder is refused", false, { dir + "folder.SDB" }, yes, false, "", 0 },
        { "open another extension that exists", false, { dir + "notes.txt" }, yes, true, "notes.txt", 0 },
        { "cancel", false, { std::nullopt }, yes, false, "", 0 },
        { "a bare name lands in the folder last used", false, { dir + "old", "old" }, yes, true, "old.SDB", 0 },
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        FileDialog::clearScript();
        for (const std::optional<std::string>& typed : c.typed) {
            if (typed)
                FileDialog::setNextFileName(QString::fromStdString(*typed));
            else
                FileDialog::setNextCancel();
        }
        int questions = 0;
        karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
            ++questions;
            EXPECT_EQ(request.title, "Save");
            EXPECT_EQ(request.icon, QMessageBox::Warning);
            EXPECT_EQ(request.text.section('\n', 1), "Do you want to replace it?");
            EXPECT_TRUE(request.text.startsWith("old.SDB already exists."));
            return c.overwriteAnswer;
        });
        FileDialog dialog(c.save ? TForm1::saveDialogOptions() : TForm1::openDialogOptions());
        // The last case confirms twice, as two runs of the same dialog.
        bool confirmed = dialog.execute();
        if (std::string(c.name).starts_with("a bare name"))
            confirmed = dialog.execute();
        karte::MessageBoxes::setResponder({});
        EXPECT_EQ(confirmed, c.confirmed);
        EXPECT_EQ(questions, c.questions);
        if (c.confirmed) {
            EXPECT_EQ(dialog.fileName().toStdString(), dir + c.chosen);
        }
        EXPECT_EQ(FileDialog::scriptedAnswersLeft(), 0);
    }
    // The dialog replaces nothing itself: the old set is still there as it was.
    EXPECT_EQ(testsupport::readBytes(dataHome.file("old.SDB")), "x");
}

TEST_F(CardSetCommandsTest, DialogFiltersAreGivenToThePlatformDialogInItsForm)
{
    const std::vector<std::pair<QString, QString>> cases {
        { TForm1::openDialogOptions().filter, "Card Set *.SDB (*.SDB)" },
        { TForm1::saveDialogOptions().filter, "Card Set  *.SDB (*.SDB)" },
        { "Card sets|*.SDB;*.DB|Every file|*.*", "Card sets (*.SDB *.DB);;Every file (*.*)" },
        { "", "" },
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(FileDialog::nameFilters(filter), expected) << filter.toStdString();
}

} // namespace
