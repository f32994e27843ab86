// The font chooser: where it opens, what activation shows, and how the face and size boxes change the card
// texts as the user types.
#include "checkedint.h"
#include "placement.h"
#include "qcardunt.h"
#include "tfontform.h"
#include "tform1.h"
#include "ui_tfontform.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QAbstractItemView>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>

#include <climits>
#include <functional>

using namespace windowtest;

namespace {

class FontChooserTest : public MainWindowTest
{
protected:
    FontChooserTest()
    {
        installBuiltInSet(dataHome, threeCards());
        createForm();
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        chooser = std::make_unique<TFontForm>();
        FontForm = chooser.get();
        form->connectSideWindows(nullptr, nullptr, chooser.get());
    }
    ~FontChooserTest() override
    {
        FontForm = nullptr;
        chooser.reset();
    }

    Ui::TFontForm& box() { return formOf(*chooser); }

    void setGreekFont(const QString& face, int size)
    {
        QFont font = ui().TextGreek->font();
        font.setFamily(face);
        font.setPointSize(size);
        ui().TextGreek->setFont(font);
    }

    // Opens the chooser as the user does and waits until it is the active window, which fills its boxes.
    void openChooser()
    {
        form->show();
        ui().FontButton->click();
        ASSERT_TRUE(QTest::qWaitForWindowActive(chooser.get()));
    }

    // Replaces the whole text of a box by typing text into it, key by key.
    static void typeOver(QComboBox* combo, const QString& text)
    {
        combo->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
        else
            QTest::keyClicks(combo->lineEdit(), text);
    }

    std::unique_ptr<TFontForm> chooser;
};

// Esc closes the chooser from either box; with a box's list open, Esc closes the list first.
TEST_F(FontChooserTest, EscClosesTheChooser)
{
    for (int which = 0; which < 2; ++which) {
        openChooser();
        QComboBox* combo
            = which == 0 ? static_cast<QComboBox*>(box().FontName) : static_cast<QComboBox*>(box().FontSize);
        combo->setFocus();
        combo->showPopup();
        QTest::keyClick(combo->view(), Qt::Key_Escape);
        EXPECT_FALSE(combo->view()->isVisible());
        EXPECT_TRUE(chooser->isVisible());
        // The offscreen platform leaves no window active when a popup closes; a desktop gives the chooser back.
        QApplication::setActiveWindow(chooser.get());
        QTest::keyClick(combo->lineEdit(), Qt::Key_Escape);
        EXPECT_FALSE(chooser->isVisible()) << combo->objectName().toStdString();
    }
}

TEST_F(FontChooserTest, IsASmallTopmostWindowWithTwoBoxesAndAnEmptyStatusBar)
{
    EXPECT_EQ(chooser->windowTitle(), "Fonts");
    EXPECT_TRUE(chooser->isHidden());
    EXPECT_TRUE(chooser->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(chooser->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(chooser->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(chooser->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(chooser->minimumSize(), QSize(258, 66));
    EXPECT_EQ(chooser->maximumSize(), QSize(258, 66));
    EXPECT_EQ(chooser->font().family(), "MS Sans Serif");
    EXPECT_EQ(chooser->font().pointSize(), 8);

    struct Box
    {
        SortedComboBox* combo;
        QRect bounds;
        QColor colour;
        bool sorted;
        QString text;
    };
    for (const Box& b : { Box { box().FontName, { 0, 0, 188, 28 }, QColor(128, 0, 0), true, "FontName" },
             Box { box().FontSize, { 187, 0, 70, 28 }, QColor(0, 128, 128), false, "FontSize" } }) {
        SCOPED_TRACE(b.combo->objectName().toStdString());
        EXPECT_EQ(b.combo->geometry(), b.bounds);
        EXPECT_TRUE(b.combo->isEditable());
        EXPECT_EQ(b.combo->sorted(), b.sorted);
        EXPECT_EQ(b.combo->font().family(), "MS Sans Serif");
        EXPECT_EQ(b.combo->font().pointSize(), 11);
        EXPECT_EQ(b.combo->palette().color(QPalette::Active, QPalette::Text), b.colour);
        EXPECT_EQ(b.combo->itemHeight(), 20);
        EXPECT_EQ(b.combo->maxVisibleItems(), 8);
        EXPECT_EQ(b.combo->currentText(), b.text);
    }
    QStringList sizes;
    for (int size = 5; size <= 99; ++size)
        sizes.append(QString::number(size));
    EXPECT_EQ(box().FontSize->entries(), sizes);
    EXPECT_EQ(box().FontName->count(), 0);

    EXPECT_EQ(box().StatusBar1->geometry(), QRect(0, 43, 258, 23));
    EXPECT_FALSE(box().StatusBar1->isSizeGripEnabled());
    EXPECT_TRUE(box().StatusBar1->currentMessage().isEmpty());
}

struct Placement
{
    int mainLeft;
    int mainWidth;
    int chooserWidth;
    std::optional<int> left; // nullopt: the arithmetic overflows
};

TEST(Placement, CentresOnASpanWithHalvesTruncatedAndOverflowChecked)
{
    const std::vector<Placement> cases {
        { 100, 786, 266, 360 },
        { 100, 785, 266, 359 },
        { -5, 11, 0, 0 },
        { -5, 11, 7, -3 },
        { 0, 786, 267, 260 },
        { -300, 786, 266, -40 },
        { INT_MAX - 1, 2, 0, INT_MAX },
        { INT_MAX, 2, 0, std::nullopt },
        { INT_MIN, 0, 4, std::nullopt },
        { INT_MIN, 0, -4, INT_MIN + 2 },
        { INT_MAX - 5, 100, 0, std::nullopt },
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(
            std::to_string(c.mainLeft) + ", " + std::to_string(c.mainWidth) + ", " + std::to_string(c.chooserWidth));
        if (c.left)
            EXPECT_EQ(karte::centredStart(c.mainLeft, c.mainWidth, c.chooserWidth), *c.left);
        else
            EXPECT_THROW(karte::centredStart(c.mainLeft, c.mainWidth, c.chooserWidth), karte::IntOverflow);
    }
}

TEST_F(FontChooserTest, OpensCentredOnTheMainWindowAndLevelWithItsTop)
{
    const std::vector<std::pair<const char*, std::function<void()>>> openers {
        { "the font button", [this] { ui().FontButton->click(); } },
        { "Tools > Font", [this] { ui().Font1->trigger(); } },
    };
    for (const auto& [name, open] : openers) {
        SCOPED_TRACE(name);
        chooser->hide();
        form->show();
        form->move(100, 50);
        chooser->move(5, 5);
        const QRect main = form->frameGeometry();
        ASSERT_EQ(main.left(), 100);

        open();

        EXPECT_TRUE(chooser->isVisible());
        EXPECT_EQ(chooser->frameGeometry().left(), 100 + main.width() / 2 - chooser->frameGeometry().width() / 2);
        EXPECT_EQ(chooser->frameGeometry().top(), main.top());
        EXPECT_TRUE(form->isEnabled());

        // Opening it again while it is open puts it back in its place.
        chooser->move(7, 9);
        open();
        EXPECT_EQ(chooser->frameGeometry().left(), 100 + main.width() / 2 - chooser->frameGeometry().width() / 2);
        EXPECT_EQ(chooser->frameGeometry().top(), main.top());
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(FontChooserTest, ActivationShowsTheGreekFontAndRebuildsTheFaceList)
{
    setGreekFont("Gentium Plus", 21);
    openChooser();

    EXPECT_EQ(box().FontName->currentText(), "Gentium Plus");
    EXPECT_EQ(box().FontSize->currentText(), "21");
    QStringList faces = TFontForm::installedFaces();
    ASSERT_FALSE(faces.isEmpty());
    std::sort(faces.begin(), faces.end(),
        [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(box().FontName->entries(), faces);
    // Showing the font changes no font.
    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 21);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 16);

    // Half-typed text is dropped when the user comes back from the main window.
    typeOver(box().FontName, "Car");
    box().FontSize->lineEdit()->selectAll();
    QTest::keyClick(box().FontSize->lineEdit(), Qt::Key_Backspace);
    messages.clear();
    setGreekFont("Cardo", 12);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    chooser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser.get()));
    EXPECT_EQ(box().FontName->currentText(), "Cardo");
    EXPECT_EQ(box().FontSize->currentText(), "12");
    EXPECT_EQ(box().FontName->count(), faces.size());
}

TEST_F(FontChooserTest, TheFaceIsAppliedAsTypedToTheGreekTextAlone)
{
    openChooser();
    const QString englishFace = ui().TextEnglish->font().family();

    struct Step
    {
        const char* name;
        std::function<void()> type;
        QString face;
        QString boxText;
    };
    const QString tooLong = "Abcdefghijklmnopqrstuvwxyz Abcdefghijkl";
    const std::vector<Step> steps {
        { "a face typed key by key", [&] { typeOver(box().FontName, "Cardo"); }, "Cardo", "Cardo" },
        { "one key deleted", [&] { QTest::keyClick(box().FontName->lineEdit(), Qt::Key_Backspace); }, "Card", "Card" },
        { "a face nobody has", [&] { typeOver(box().FontName, "No Such Face"); }, "No Such Face", "No Such Face" },
        { "the box emptied", [&] { typeOver(box().FontName, ""); }, "No Such Face", "" },
        { "a face longer than a font can name", [&] { typeOver(box().FontName, tooLong); }, tooLong.left(31), tooLong },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.type();
        EXPECT_EQ(ui().TextGreek->font().family(), step.face);
        EXPECT_EQ(box().FontName->currentText(), step.boxText);
        EXPECT_EQ(ui().TextEnglish->font().family(), englishFace);
    }

    // A face chosen from the list with the keyboard.
    typeOver(box().FontName, "");
    box().FontName->setCurrentIndex(0);
    QTest::keyClick(box().FontName, Qt::Key_Down);
    EXPECT_EQ(ui().TextGreek->font().family(), box().FontName->itemText(1));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

struct SizeTyping
{
    const char* name;
    QString typed; // typed over the whole box text, key by key; empty: the box cleared
    std::vector<int> sizes; // the size after each key
    QStringList messages;
};

TEST_F(FontChooserTest, TheSizeBoxReadsWholeNumbersAsTheyAreTyped)
{
    const QString invalid = "'%1' is not a valid integer value.";
    const std::vector<SizeTyping> cases {
        { "24 digit by digit", "24", { 2, 24 }, {} },
        { "the box cleared", "", { 16 }, { invalid.arg("") } },
        { "hexadecimal", "$1A", { 16, 1, 26 }, { invalid.arg("$") } },
        { "leading blank", " 12", { 16, 1, 12 }, { invalid.arg(" ") } },
        { "trailing blank", "12 ", { 1, 12, 12 }, { invalid.arg("12 ") } },
        { "a sign", "+7", { 16, 7 }, { invalid.arg("+") } },
        { "a size above the list", "150", { 1, 15, 150 }, {} },
        { "letters", "x", { 16 }, { invalid.arg("x") } },
    };
    for (const SizeTyping& c : cases) {
        SCOPED_TRACE(c.name);
        setGreekFont("Greek Parse", 16);
        QFont english = ui().TextEnglish->font();
        english.setPointSize(16);
        ui().TextEnglish->setFont(english);
        openChooser();
        messages.clear();

        std::vector<int> sizes;
        QLineEdit* edit = box().FontSize->lineEdit();
        if (c.typed.isEmpty()) {
            typeOver(box().FontSize, "");
            sizes.push_back(ui().TextGreek->font().pointSize());
        } else {
            edit->selectAll();
            for (QChar key : c.typed) {
                QTest::keyClicks(edit, QString(key));
                sizes.push_back(ui().TextGreek->font().pointSize());
                EXPECT_EQ(ui().TextEnglish->font().pointSize(), sizes.back());
            }
        }
        EXPECT_EQ(sizes, c.sizes);
        EXPECT_EQ(messages.texts(), c.messages);
        EXPECT_EQ(box().FontSize->currentText(), c.typed);
        chooser->hide();
    }
}

// The error box of an emptied size box takes the activation while it is up; when it goes, the user types on
// into the empty box and is not handed back the old size.
TEST_F(FontChooserTest, TypingGoesOnInTheEmptiedSizeBoxAfterTheErrorBox)
{
    openChooser();
    QStringList shown;
    karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
        shown.append(request.text);
        QMessageBox box(QMessageBox::Critical, request.title, request.text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
        box.accept();
        return QMessageBox::Ok;
    });

    typeOver(box().FontSize, "");
    // The window system hands the activation back to the chooser.
    chooser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser.get()));
    EXPECT_EQ(shown, QStringList({ "'' is not a valid integer value." }));
    EXPECT_EQ(box().FontSize->currentText(), "");
    QTest::keyClicks(box().FontSize->lineEdit(), "2");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 2);
    QTest::keyClicks(box().FontSize->lineEdit(), "4");
    EXPECT_EQ(box().FontSize->currentText(), "24");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 24);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 24);

    // Coming back from the main window still shows the Greek text's font afresh.
    setGreekFont("Cardo", 30);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    chooser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser.get()));
    EXPECT_EQ(box().FontName->currentText(), "Cardo");
    EXPECT_EQ(box().FontSize->currentText(), "30");
}

TEST_F(FontChooserTest, ASizeChosenFromTheListAppliesToBothTexts)
{
    openChooser();
    box().FontSize->setCurrentIndex(10);
    QTest::keyClick(box().FontSize, Qt::Key_Down);
    EXPECT_EQ(box().FontSize->currentText(), "16");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 16);
    QTest::keyClick(box().FontSize, Qt::Key_Down);
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 17);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 17);
}

// Sizes are taken without a range check, but the card texts are never given one that cannot be drawn.
TEST_F(FontChooserTest, SizesThatCannotBeDrawnAreDrawnAtTheNearestThatCan)
{
    const std::vector<std::pair<QString, int>> cases {
        { "0", 1 },
        { "-5", 1 },
        { "1", 1 },
        { "99", 99 },
        { "1638", 1638 },
        { "100000", 1638 },
        { "$7FFFFFFF", 1638 },
        { "-2147483648", 1 },
    };
    openChooser();
    for (const auto& [typed, drawn] : cases) {
        SCOPED_TRACE(typed.toStdString());
        box().FontSize->setEditText(typed);
        chooser->FontSizeChange(box().FontSize);
        EXPECT_EQ(ui().TextGreek->font().pointSize(), drawn);
        EXPECT_EQ(ui().TextEnglish->font().pointSize(), drawn);
        ui().TextEnglish->show();
        // Drawing the card at that size comes back.
        EXPECT_FALSE(form->grab().isNull());
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// A copy of a font file whose OS/2 table names another vendor, which the font database takes for the foundry.
QByteArray withVendor(QByteArray font, const char vendor[4])
{
    const auto at = [&font](qsizetype offset, int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | quint8(font.at(offset + i));
        return value;
    };
    for (quint32 table = 0; table < at(4, 2); ++table) {
        const qsizetype record = 12 + 16 * qsizetype(table);
        if (font.mid(record, 4) == "OS/2")
            std::copy(vendor, vendor + 4, font.begin() + at(record + 8, 4) + 58);
    }
    return font;
}

TEST(FontFamilies, OneEntryForEachFamilyNameWhateverTheFoundries)
{
    QFile dejaVu(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    ASSERT_TRUE(dejaVu.open(QIODevice::ReadOnly)) << "fonts-dejavu-core is not installed";
    const QByteArray font = dejaVu.readAll();
    for (const char* vendor : { "URW ", "UKWN" })
        ASSERT_GE(QFontDatabase::addApplicationFontFromData(withVendor(font, vendor)), 0);
    const QStringList families = QFontDatabase::families();
    ASSERT_TRUE(families.contains(QStringLiteral("DejaVu Sans [URW ]"))) << families.join(", ").toStdString();

    const QStringList names = karte::familyNames(families);
    EXPECT_EQ(names.count(QStringLiteral("DejaVu Sans")), 1);
    EXPECT_TRUE(names.filter(QStringLiteral("[")).isEmpty()) << names.join(", ").toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("Gentium Plus")));
    EXPECT_EQ(karte::familyNames({ "A [x]", "A [y]", "B", "C [z]" }), QStringList({ "A", "B", "C" }));
}

} // namespace
