// The table password prompt: its layout, the enabling of its buttons, their effect on the session's password
// list, and protected card sets opened through the main window at start-up, by Open and by NT Frequency.
#include "errors.h"
#include "filedialogs.h"
#include "protectedfile.h"
#include "qcardunt.h"
#include "session.h"
#include "tform1.h"
#include "tpassworddialog.h"
#include "ui_tform1.h"
#include "ui_tpassworddialog.h"
#include "windowtest.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

using namespace windowtest;
using cardstore::Session;

namespace {

using Passwords = std::vector<std::string>;

Passwords passwordList()
{
    return Session::instance().passwords();
}

// The cheapest key derivation Argon2id allows: every password a test tries costs a derivation.
constexpr cardstore::KeyDerivationCost kCheapCost { 1, 8 * 1024 };

// What a test does with one prompt while it is up, inside the prompt's own modal loop.
using Answer = std::function<void(TPasswordDialog&)>;

void type(TPasswordDialog& prompt, const QString& text)
{
    QTest::keyClicks(formOf(prompt).Edit, text);
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

Answer typeAndPressEnter(const QString& password)
{
    return [password](TPasswordDialog& prompt) {
        type(prompt, password);
        QTest::keyClick(formOf(prompt).Edit, Qt::Key_Return);
    };
}

Answer clickCancel()
{
    return [](TPasswordDialog& prompt) { click(formOf(prompt).CancelButton); };
}

// The state every prompt opens in, whatever earlier prompts of the run did.
void expectFreshPrompt(TPasswordDialog& prompt)
{
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_TRUE(formOf(prompt).Edit->text().isEmpty());
    EXPECT_EQ(prompt.focusWidget(), formOf(prompt).Edit);
    EXPECT_FALSE(formOf(prompt).AddButton->isEnabled());
    EXPECT_FALSE(formOf(prompt).RemoveButton->isEnabled());
    EXPECT_FALSE(formOf(prompt).OKButton->isEnabled());
    EXPECT_TRUE(formOf(prompt).RemoveAllButton->isEnabled());
    EXPECT_FALSE(prompt.passwordAdded());
}

// Answers the password prompts that the code under test puts up, one scripted answer per prompt, in turn. A
// prompt beyond the script, or one that its answer leaves open, fails the test and is cancelled, so that a test
// never hangs on a modal prompt.
class PromptScript : public QObject
{
public:
    explicit PromptScript(std::vector<Answer> answers = {})
        : answers_(std::move(answers))
    {
        qApp->installEventFilter(this);
    }
    ~PromptScript() override { qApp->removeEventFilter(this); }

    void add(Answer answer) { answers_.push_back(std::move(answer)); }
    int prompts() const { return prompts_; }
    bool finished() const { return prompts_ == static_cast<int>(answers_.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* prompt = qobject_cast<TPasswordDialog*>(watched);
        if (prompt && event->type() == QEvent::Show) {
            const int index = prompts_++;
            QTimer::singleShot(0, prompt, [this, prompt, index] {
                EXPECT_EQ(QApplication::activeModalWidget(), prompt);
                expectFreshPrompt(*prompt);
                if (index >= static_cast<int>(answers_.size())) {
                    ADD_FAILURE() << "an unexpected password prompt, number " << index + 1;
                    prompt->reject();
                    return;
                }
                answers_[index](*prompt);
                if (prompt->isVisible()) {
                    ADD_FAILURE() << "password prompt number " << index + 1 << " is still open after its answer";
                    prompt->reject();
                }
            });
        }
        return false;
    }

private:
    std::vector<Answer> answers_;
    int prompts_ = 0;
};

bool noPromptLeft()
{
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    return std::none_of(
        windows.begin(), windows.end(), [](QWidget* window) { return qobject_cast<TPasswordDialog*>(window); });
}

// A clean password list and a cheap key derivation for every test; the list is the engine's for the whole run,
// so each test leaves it empty again.
class PasswordTest : public MainWindowTest
{
protected:
    PasswordTest()
    {
        cardstore::setKeyDerivationCostForNewSets(kCheapCost);
        Session::instance().removeAllPasswords();
    }
    ~PasswordTest() override
    {
        karte::FileDialog::clearScript();
        form.reset();
        Session::instance().removeAllPasswords();
        cardstore::setKeyDerivationCostForNewSets(cardstore::defaultKeyDerivationCost());
    }

    // Puts three cards where the engine looks for the built-in set and protects them with password.
    std::string protectBuiltInSet(const std::string& password)
    {
        installBuiltInSet(dataHome, threeCards());
        const std::string path = builtInSetPath(dataHome);
        cardstore::protectCardSet(path, password);
        return path;
    }

    std::string protectedUserSet(const std::string& name, const std::string& password,
        const std::vector<testsupport::Card>& cards = { { "grace", "χάρις", 155 }, { "peace", "εἰρήνη", 92 } })
    {
        const std::string path = dataHome.file(name);
        testsupport::makeCardSet(path, cards);
        cardstore::protectCardSet(path, password);
        return path;
    }

    void open(const std::string& path)
    {
        karte::FileDialog::setNextFileName(QString::fromStdString(path));
        ui().Open1->trigger();
    }

    QString insufficientRightsMessage(const std::string& path) const
    {
        return QString::fromStdString(cardstore::statusMessage(cardstore::status::kInsufficientRights))
            + ". File: " + QString::fromStdString(path) + ".";
    }
};

// --- The prompt on its own ---------------------------------------------------------------------------------------

class PromptTest : public PasswordTest
{
protected:
    PromptTest()
    {
        prompt.show();
        prompt.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&prompt));
    }

    TPasswordDialog prompt;
    Ui::TPasswordDialog& controls = formOf(prompt);
};

TEST_F(PromptTest, LayoutIsThatOfTheDesign)
{
    EXPECT_EQ(prompt.objectName(), "PasswordDialog");
    EXPECT_EQ(prompt.windowTitle(), "Enter password");
    EXPECT_EQ(prompt.font().family(), "MS Sans Serif");
    EXPECT_EQ(prompt.font().pointSize(), 8);
    // Laid out at 96 pixels per inch and opened on a screen of 120: a quarter larger, and not resizable.
    EXPECT_EQ(prompt.size(), QSize(341, 165));
    EXPECT_EQ(prompt.minimumSize(), prompt.maximumSize());
    EXPECT_EQ(controls.GroupBox1->title(), "Password");
    EXPECT_EQ(controls.GroupBox1->geometry(), QRect(10, 10, 321, 101));
    EXPECT_EQ(controls.OKButton->geometry(), QRect(136, 123, 94, 31));

    EXPECT_EQ(controls.Edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(controls.Edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, controls.Edit), '*');
    const std::vector<std::pair<QPushButton*, QString>> captions { { controls.AddButton, "&Add" },
        { controls.RemoveButton, "&Remove" }, { controls.RemoveAllButton, "Re&move all" }, { controls.OKButton, "&OK" },
        { controls.CancelButton, "Cancel" } };
    for (const auto& [button, caption] : captions)
        EXPECT_EQ(button->text(), caption) << button->objectName().toStdString();
    EXPECT_TRUE(controls.OKButton->isDefault());

    // The tab order runs through the group box first, then OK and Cancel.
    std::vector<QWidget*> order { controls.Edit };
    for (QWidget* next = controls.Edit->nextInFocusChain(); next != controls.Edit && order.size() < 10;
         next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus)
            order.push_back(next);
    EXPECT_EQ(order,
        (std::vector<QWidget*> { controls.Edit, controls.AddButton, controls.RemoveButton, controls.RemoveAllButton,
            controls.OKButton, controls.CancelButton }));
    expectFreshPrompt(prompt);
}

struct EnablingCase
{
    const char* name;
    bool addFirst; // a password was added with Add before
    QString text; // what the box then holds
    bool add;
    bool remove;
    bool ok;
};

TEST_F(PromptTest, EditChangeEnablesTheButtonsByTextAndByWhatWasAdded)
{
    const std::vector<EnablingCase> cases {
        { "nothing added, box emptied again", false, "", false, false, false },
        { "nothing added, text", false, "x", true, true, true },
        { "added, box empty", true, "", false, false, true },
        { "added, text", true, "x", true, true, true },
    };
    for (const EnablingCase& row : cases) {
        SCOPED_TRACE(row.name);
        TPasswordDialog fresh;
        fresh.show();
        if (row.addFirst) {
            QTest::keyClicks(formOf(fresh).Edit, "first");
            click(formOf(fresh).AddButton);
        }
        // Type something and take it away again, so that the enabling has run on the text the row names.
        QTest::keyClicks(formOf(fresh).Edit, "y");
        QTest::keyClick(formOf(fresh).Edit, Qt::Key_Backspace);
        QTest::keyClicks(formOf(fresh).Edit, row.text);
        EXPECT_EQ(formOf(fresh).AddButton->isEnabled(), row.add);
        EXPECT_EQ(formOf(fresh).RemoveButton->isEnabled(), row.remove);
        EXPECT_EQ(formOf(fresh).OKButton->isEnabled(), row.ok);
        EXPECT_TRUE(formOf(fresh).RemoveAllButton->isEnabled());
        Session::instance().removeAllPasswords();
    }
}

TEST_F(PromptTest, AddPutsTheTextIntoTheListAndClearsTheBox)
{
    Session::instance().addPassword("old");
    type(prompt, "new one");
    click(controls.AddButton);

    EXPECT_EQ(passwordList(), (Passwords { "old", "new one" }));
    EXPECT_TRUE(controls.Edit->text().isEmpty());
    EXPECT_EQ(prompt.focusWidget(), controls.Edit);
    EXPECT_TRUE(prompt.passwordAdded());
    EXPECT_FALSE(controls.AddButton->isEnabled());
    EXPECT_FALSE(controls.RemoveButton->isEnabled());
    EXPECT_TRUE(controls.OKButton->isEnabled());
}

struct RemoveCase
{
    const char* name;
    Passwords before;
    QString text;
    Passwords after;
};

TEST_F(PromptTest, RemoveTakesTheTextOutOfTheListIfItIsThereAndClearsTheBox)
{
    const std::vector<RemoveCase> cases {
        { "listed", { "a", "b", "c" }, "b", { "a", "c" } },
        { "not listed", { "a" }, "zz", { "a" } },
        { "differs in case only", { "Secret" }, "secret", { "Secret" } },
    };
    for (const RemoveCase& row : cases) {
        SCOPED_TRACE(row.name);
        Session::instance().removeAllPasswords();
        for (const std::string& password : row.before)
            Session::instance().addPassword(password);
        type(prompt, row.text);
        click(controls.RemoveButton);
        EXPECT_EQ(passwordList(), row.after);
        EXPECT_TRUE(controls.Edit->text().isEmpty());
        EXPECT_EQ(prompt.focusWidget(), controls.Edit);
        EXPECT_FALSE(controls.RemoveButton->isEnabled());
        EXPECT_FALSE(controls.OKButton->isEnabled());
        EXPECT_FALSE(prompt.passwordAdded());
    }
}

TEST_F(PromptTest, RemoveAllEmptiesTheListAndKeepsTheTextAndTheButtonStates)
{
    type(prompt, "kept");
    click(controls.AddButton);
    Session::instance().addPassword("from before");
    type(prompt, "still typed");
    const bool add = controls.AddButton->isEnabled(), remove = controls.RemoveButton->isEnabled(),
               ok = controls.OKButton->isEnabled();

    click(controls.RemoveAllButton);

    EXPECT_TRUE(passwordList().empty());
    EXPECT_EQ(controls.Edit->text(), "still typed");
    EXPECT_EQ(prompt.focusWidget(), controls.Edit);
    EXPECT_EQ(controls.AddButton->isEnabled(), add);
    EXPECT_EQ(controls.RemoveButton->isEnabled(), remove);
    EXPECT_EQ(controls.OKButton->isEnabled(), ok);
    EXPECT_TRUE(ok);
}

TEST_F(PromptTest, OKAddsANonEmptyTextAndClosesWithOK)
{
    type(prompt, "typed");
    click(controls.OKButton);
    EXPECT_EQ(prompt.result(), QDialog::Accepted);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(passwordList(), (Passwords { "typed" }));
}

struct EngineTextCase
{
    const char* name;
    QString text;
    std::string expected;
};

TEST(PasswordForEngine, CutsTo255CharactersCountedAsCodePoints)
{
    const QString doubleStruck = QString::fromUtf8("\xF0\x9D\x94\xB8"); // U+1D538, two UTF-16 units
    const std::vector<EngineTextCase> cases {
        { "empty", "", "" },
        { "short", "Pass wort", "Pass wort" },
        { "exactly 255", QString(255, 'x'), std::string(255, 'x') },
        { "256 cut", QString(256, 'x'), std::string(255, 'x') },
        { "Greek letters, two bytes each", QString(300, QChar(0x03B1)), QString(255, QChar(0x03B1)).toStdString() },
        { "a character outside the basic plane as the 255th is kept whole", QString(254, 'a') + doubleStruck + "bcd",
            std::string(254, 'a') + "\xF0\x9D\x94\xB8" },
        { "and counts as one", doubleStruck + QString(300, 'b'), "\xF0\x9D\x94\xB8" + std::string(254, 'b') },
    };
    for (const EngineTextCase& row : cases)
        EXPECT_EQ(karte::passwordForEngine(row.text), row.expected) << row.name;
}

TEST_F(PromptTest, APastedOverlongPasswordIsAddedAndRemovedCutTo255Characters)
{
    const QString longText = QString(200, QChar(0x03C9)) + QString(100, 'z');
    const std::string expected = QString(200, QChar(0x03C9)).toStdString() + std::string(55, 'z');
    controls.Edit->insert(longText);
    click(controls.AddButton);
    EXPECT_EQ(passwordList(), (Passwords { expected }));
    controls.Edit->insert(longText);
    click(controls.RemoveButton);
    EXPECT_TRUE(passwordList().empty());
}

// --- The request -------------------------------------------------------------------------------------------------

TEST_F(PasswordTest, AddTwiceThenOKWithAnEmptyBoxListsBothAndReturnsTrue)
{
    PromptScript script({ [](TPasswordDialog& prompt) {
        type(prompt, "alpha");
        click(formOf(prompt).AddButton);
        type(prompt, "beta");
        click(formOf(prompt).AddButton);
        EXPECT_TRUE(formOf(prompt).Edit->text().isEmpty());
        EXPECT_TRUE(formOf(prompt).OKButton->isEnabled());
        click(formOf(prompt).OKButton);
    } });

    EXPECT_TRUE(karte::requestPassword());
    EXPECT_EQ(script.prompts(), 1);
    EXPECT_EQ(passwordList(), (Passwords { "alpha", "beta" }));
    EXPECT_TRUE(noPromptLeft());
}

struct RequestCase
{
    const char* name;
    Answer answer;
    bool result;
    Passwords after;
};

TEST_F(PasswordTest, TheRequestIsTrueOnlyWhenThePromptClosesWithOK)
{
    const std::vector<RequestCase> cases {
        { "Enter with a password", typeAndPressEnter("pw"), true, { "before", "pw" } },
        { "Cancel button", clickCancel(), false, { "before" } },
        { "Esc", [](TPasswordDialog& p) { QTest::keyClick(formOf(p).Edit, Qt::Key_Escape); }, false, { "before" } },
        { "the close box", [](TPasswordDialog& p) { p.close(); }, false, { "before" } },
        { "Cancel after Add keeps what was added",
            [](TPasswordDialog& p) {
                type(p, "added");
                click(formOf(p).AddButton);
                click(formOf(p).CancelButton);
            },
            false, { "before", "added" } },
        { "Cancel after Remove all keeps the list empty",
            [](TPasswordDialog& p) {
                click(formOf(p).RemoveAllButton);
                click(formOf(p).CancelButton);
            },
            false, {} },
        { "Enter with an empty box does nothing",
            [](TPasswordDialog& p) {
                QTest::keyClick(formOf(p).Edit, Qt::Key_Return);
                EXPECT_TRUE(p.isVisible());
                click(formOf(p).CancelButton);
            },
            false, { "before" } },
    };
    for (const RequestCase& row : cases) {
        SCOPED_TRACE(row.name);
        Session::instance().removeAllPasswords();
        Session::instance().addPassword("before");
        PromptScript script({ row.answer });
        EXPECT_EQ(karte::requestPassword(), row.result);
        EXPECT_EQ(script.prompts(), 1);
        EXPECT_EQ(passwordList(), row.after);
        EXPECT_TRUE(noPromptLeft());
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// --- Protected card sets through the main window -----------------------------------------------------------------

TEST_F(PasswordTest, AProtectedBuiltInSetAsksForItsPasswordAtStartUp)
{
    const std::string path = protectBuiltInSet("Logos 1:1");
    const std::string sealed = testsupport::readBytes(path);
    PromptScript script({ typeAndPressEnter("Logos 1:1") });

    TForm1& form1 = createForm();

    // The window's own open asked once; FormCreate's reopening found the password in the list.
    EXPECT_EQ(script.prompts(), 1);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.windowTitle(), "NT Frequency");
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "the", "and", "God" }));
    EXPECT_EQ(ui().TextGreek->text(), "ὁ");
    EXPECT_TRUE(DrillFlag);
    EXPECT_EQ(passwordList(), (Passwords { "Logos 1:1" }));
    // Nothing was written: the font save of start-up writes nothing, and the set stays sealed as it was.
    EXPECT_EQ(testsupport::readBytes(path), sealed);
    EXPECT_TRUE(noPromptLeft());
}

TEST_F(PasswordTest, WrongPasswordsBringThePromptBackEmptyUntilTheRightOne)
{
    protectBuiltInSet("right");
    PromptScript script({ typeAndPressEnter("wrong"), typeAndPressEnter("Right"), typeAndPressEnter("right") });

    TForm1& form1 = createForm();

    EXPECT_EQ(script.prompts(), 3);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.FrequencyTable.recordCount(), 3);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(passwordList(), (Passwords { "wrong", "Right", "right" }));
}

TEST_F(PasswordTest, CancelAtStartUpFailsTheMainWindowWithTheInsufficientRightsError)
{
    // The main window's own open is part of building it, so the error ends start-up (the program shows it in
    // the "Application Error" box).
    const std::string path = protectBuiltInSet("secret");
    const std::string sealed = testsupport::readBytes(path);
    PromptScript script({ typeAndPressEnter("guess"), clickCancel() });

    try {
        createForm();
        ADD_FAILURE() << "the main window was built without the password";
    } catch (const cardstore::DatabaseError& error) {
        EXPECT_EQ(error.code(), 0x2902);
        EXPECT_EQ(QString::fromUtf8(error.what()) + ".", insufficientRightsMessage(path));
    }
    EXPECT_EQ(script.prompts(), 2);
    EXPECT_EQ(testsupport::readBytes(path), sealed);
    EXPECT_TRUE(noPromptLeft());
}

TEST_F(PasswordTest, OpenAsksForThePasswordAndASecondSetWithTheSamePasswordOpensWithoutAPrompt)
{
    const std::string first = protectedUserSet("first.SDB", "shared");
    const std::string second = protectedUserSet("second.SDB", "shared", { { "love", "ἀγάπη", 116 } });
    TForm1& form1 = createForm();
    PromptScript script({ typeAndPressEnter("shared") });

    open(first);
    EXPECT_EQ(script.prompts(), 1);
    EXPECT_EQ(form1.windowTitle(), QString::fromStdString(first));
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "grace", "peace" }));

    open(second);
    EXPECT_EQ(script.prompts(), 1);
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.windowTitle(), QString::fromStdString(second));
    EXPECT_EQ(ui().TextGreek->text(), "ἀγάπη");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(PasswordTest, CancelAtOpenShowsTheInsufficientRightsErrorAndTheProgramGoesOn)
{
    const std::string path = protectedUserSet("locked.SDB", "key");
    const std::string sealed = testsupport::readBytes(path);
    TForm1& form1 = createForm();
    PromptScript script({ typeAndPressEnter("no"), typeAndPressEnter("nor this"), clickCancel() });

    open(path);

    EXPECT_EQ(script.prompts(), 3);
    ASSERT_EQ(messages.texts(), QStringList { insufficientRightsMessage(path) });
    EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(form1.FrequencyTable.active());
    EXPECT_EQ(testsupport::readBytes(path), sealed);

    // The program goes on: the built-in set opens again, and the set opens once its password is given.
    messages.clear();
    ui().Frequency1->trigger();
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.windowTitle(), "NT Frequency");
    script.add(typeAndPressEnter("key"));
    open(path);
    EXPECT_EQ(script.prompts(), 4);
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "grace", "peace" }));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(PasswordTest, NTFrequencyAsksAgainAfterThePasswordsWereRemoved)
{
    protectBuiltInSet("built in");
    const std::string own = protectedUserSet("own.SDB", "own");
    PromptScript script({ typeAndPressEnter("built in") });
    TForm1& form1 = createForm();
    ASSERT_EQ(script.prompts(), 1);

    // At the next prompt the user empties the list before giving the new set's password.
    script.add([](TPasswordDialog& prompt) {
        click(formOf(prompt).RemoveAllButton);
        type(prompt, "own");
        click(formOf(prompt).OKButton);
    });
    open(own);
    EXPECT_EQ(script.prompts(), 2);
    EXPECT_EQ(passwordList(), (Passwords { "own" }));

    script.add(clickCancel());
    ui().Frequency1->trigger();
    EXPECT_EQ(script.prompts(), 3);
    EXPECT_EQ(messages.texts(), QStringList { insufficientRightsMessage(builtInSetPath(dataHome)) });
    EXPECT_FALSE(form1.FrequencyTable.active());

    messages.clear();
    script.add(typeAndPressEnter("built in"));
    ui().Frequency1->trigger();
    EXPECT_EQ(script.prompts(), 4);
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.windowTitle(), "NT Frequency");
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "the", "and", "God" }));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

struct DamageCase
{
    const char* name;
    std::function<void(std::string&)> damage;
    const char* detail;
};

TEST_F(PasswordTest, DamagedProtectedSetsAreRefusedWithAClearErrorAndLeftAsTheyAre)
{
    namespace pf = cardstore::protectedformat;
    auto flip = [](std::size_t offset) {
        return [offset](std::string& bytes) { bytes[std::min(offset, bytes.size() - 1)] ^= 0x01; };
    };
    auto cutTo = [](std::size_t size) { return [size](std::string& bytes) { bytes.resize(size); }; };
    auto cutBy = [](std::size_t count) { return [count](std::string& bytes) { bytes.resize(bytes.size() - count); }; };
    const std::vector<DamageCase> cases {
        { "a salt byte flipped", flip(pf::kSaltOffset + 3), "does not match its checksum" },
        { "a checksum byte flipped", flip(pf::kChecksumOffset), "does not match its checksum" },
        { "a byte of the contents flipped", flip(pf::kHeaderSize + 40), "does not match its checksum" },
        { "the last byte flipped", flip(std::string::npos), "does not match its checksum" },
        { "the version changed", [](std::string& bytes) { bytes[pf::kMagic.size()] = 2; }, "version 2" },
        { "cut inside the header", cutTo(60), "ends early" },
        { "cut after the header", cutTo(pf::kHeaderSize), "ends early" },
        { "the last byte cut", cutBy(1), "does not match its checksum" },
        { "the final chunk's overhead cut", cutBy(pf::kChunkOverhead), "does not match its checksum" },
    };
    const std::string path = protectedUserSet("damaged.SDB", "pw");
    const std::string sealed = testsupport::readBytes(path);
    TForm1& form1 = createForm();
    // With the right password in the list as well as without one, damage is reported as damage, and never
    // as a question for the password.
    for (bool passwordListed : { false, true }) {
        Session::instance().removeAllPasswords();
        if (passwordListed)
            Session::instance().addPassword("pw");
        for (const DamageCase& row : cases) {
            SCOPED_TRACE(std::string(row.name) + (passwordListed ? ", password listed" : ", no password"));
            std::string bytes = sealed;
            row.damage(bytes);
            testsupport::writeBytes(path, bytes);
            messages.clear();
            PromptScript script;

            open(path);

            EXPECT_EQ(script.prompts(), 0);
            ASSERT_EQ(messages.requests().size(), 1u);
            const QString text = messages.texts().front();
            EXPECT_TRUE(text.startsWith("The card set file is damaged. ")) << text.toStdString();
            EXPECT_TRUE(text.contains(row.detail)) << text.toStdString();
            EXPECT_TRUE(text.endsWith("File: " + QString::fromStdString(path) + ".")) << text.toStdString();
            EXPECT_FALSE(form1.FrequencyTable.active());
            EXPECT_EQ(testsupport::readBytes(path), bytes);
        }
    }
    // The undamaged file still opens.
    testsupport::writeBytes(path, sealed);
    open(path);
    EXPECT_TRUE(form1.FrequencyTable.active());
}

} // namespace
