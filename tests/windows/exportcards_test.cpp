// Tools > Export Cards over the main window: the file written as CSV or TSV by its extension, an edit in progress
// posted first, a file replaced only when the user says so, and a cancel that leaves the file as it was.
#include "filedialogs.h"
#include "table.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"
#include "workprogress.h"

#include <filesystem>

using namespace windowtest;
using karte::FileDialog;

namespace {

class ExportCardsTest : public MainWindowTest
{
protected:
    ExportCardsTest()
    {
        FileDialog::clearScript();
        formOn(threeCards());
    }
    ~ExportCardsTest() override
    {
        FileDialog::clearScript();
        karte::WorkProgress::setStepObserver({});
    }

    void exportTo(const std::string& path)
    {
        FileDialog::setNextFileName(QString::fromStdString(path));
        ui().ExportCards1->trigger();
    }
};

TEST_F(ExportCardsTest, WritesTheOpenSetAsItsExtensionAsks)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases {
        { "cards.tsv", "Greek\tEnglish\tFrequency\nὁ\tthe\t19769\nκαί\tand\t8973\nθεός\tGod\t1317\n" },
        { "cards.csv", "\xEF\xBB\xBFGreek,English,Frequency\r\nὁ,the,19769\r\nκαί,and,8973\r\nθεός,God,1317\r\n" },
    };
    // The built-in set is open: any set can be exported.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exportTo(dataHome.file(c.name));
        EXPECT_EQ(testsupport::readBytes(dataHome.file(c.name)), c.bytes);
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(ExportCardsTest, PostsAnEditInProgressFirst)
{
    const std::string setPath = dataHome.file("mine.SDB");
    testsupport::makeCardSet(setPath, { { "word", "λόγος", 330 } });
    form->openCardSet(QString::fromStdString(setPath));
    form->FrequencyTable.edit();
    form->FrequencyTable.setFieldText("English", "word, message");
    exportTo(dataHome.file("cards.tsv"));
    EXPECT_EQ(
        testsupport::readBytes(dataHome.file("cards.tsv")), "Greek\tEnglish\tFrequency\nλόγος\tword, message\t330\n");
    EXPECT_EQ(form->FrequencyTable.state(), cardstore::DataSetState::Browse);
}

TEST_F(ExportCardsTest, ReplacesAFileOnlyWhenTheUserSaysSo)
{
    const std::string path = dataHome.file("cards.tsv");
    testsupport::writeBytes(path, "mine\n");
    // The recorder answers the overwrite question with its default, No; the dialog has no other name to give.
    exportTo(path);
    EXPECT_EQ(testsupport::readBytes(path), "mine\n");
    ASSERT_EQ(messages.texts(), QStringList { "cards.tsv already exists.\nDo you want to replace it?" });

    karte::MessageBoxes::setResponder([](const karte::MessageRequest&) { return QMessageBox::Yes; });
    // Cancelled while the cards are written, the file is as it was.
    karte::WorkProgress::setStepObserver([](QProgressDialog& progress, interchange::Phase) { progress.cancel(); });
    exportTo(path);
    EXPECT_EQ(testsupport::readBytes(path), "mine\n");
    karte::WorkProgress::setStepObserver({});
    exportTo(path);
    EXPECT_EQ(testsupport::readBytes(path).substr(0, 6), "Greek\t");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dataHome.path()), {}), 2) << "no temporary file left";
}

} // namespace
