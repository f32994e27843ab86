#include "windowtest.h"

#include "announcement.h"
#include "qcardunt.h"
#include "session.h"
#include "table.h"
#include "tform1.h"
#include "ui_tform1.h"

#include <QAccessible>
#include <QCoreApplication>

#include <filesystem>
#include <utility>

namespace windowtest {

MessageRecorder::MessageRecorder()
{
    karte::MessageBoxes::setResponder([this](const karte::MessageRequest& request) {
        requests_.push_back(request);
        return request.defaultButton != QMessageBox::NoButton ? request.defaultButton : QMessageBox::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    karte::MessageBoxes::setResponder({});
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const karte::MessageRequest& request : requests_)
        result.append(request.text);
    return result;
}

AnnouncementRecorder::AnnouncementRecorder()
{
    karte::setAnnouncementListener([this](QWidget* object) {
        // Said as a screen reader reads a notification that appears: by its role and name.
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(object);
        if (shown && shown->role() == QAccessible::Notification)
            texts_.append(shown->text(QAccessible::Name));
    });
}

AnnouncementRecorder::~AnnouncementRecorder()
{
    karte::setAnnouncementListener({});
}

QStringList AnnouncementRecorder::take()
{
    // An announcement goes out a turn or two of the event loop after it is made.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    return std::exchange(texts_, {});
}

void resetProgramState()
{
    DrillFlag = false;
    FontSaveEnabled = false;
    CardSetFileName.clear();
    Form1 = nullptr;
}

std::string builtInSetPath(const testsupport::TempDir& dataHome)
{
    return dataHome.path() + "/karte32/" + cardstore::Session::kBuiltInTable;
}

void installBuiltInSet(const testsupport::TempDir& dataHome, const std::vector<testsupport::Card>& cards)
{
    std::filesystem::create_directories(dataHome.path() + "/karte32");
    testsupport::makeBuiltInLikeSet(builtInSetPath(dataHome), cards);
}

StoredFont storedFont(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.setReadOnly(true);
    table.open();
    table.first();
    return { table.fieldText("FontName"), table.fieldText("FontSize") };
}

MainWindowTest::MainWindowTest()
{
    resetProgramState();
}

MainWindowTest::~MainWindowTest()
{
    form.reset();
    resetProgramState();
}

TForm1& MainWindowTest::createForm()
{
    form = std::make_unique<TForm1>();
    Form1 = form.get();
    return *form;
}

TForm1& MainWindowTest::formOn(const std::vector<testsupport::Card>& cards)
{
    installBuiltInSet(dataHome, cards);
    TForm1& form1 = createForm();
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    return form1;
}

Ui::TForm1& MainWindowTest::ui()
{
    return formOf(*form);
}

const std::vector<testsupport::Card>& threeCards()
{
    static const std::vector<testsupport::Card> cards {
        { "the", "ὁ", 19769 },
        { "and", "καί", 8973 },
        { "God", "θεός", 1317 },
    };
    return cards;
}

const std::vector<testsupport::Card>& fourCards()
{
    static const std::vector<testsupport::Card> cards {
        { "the", "ὁ", 19769 },
        { "and, even, also", "καί", 8973 },
        { "word, message", "λόγος", 330 },
        { "love", "ἀγάπη", 116 },
    };
    return cards;
}

} // namespace windowtest
