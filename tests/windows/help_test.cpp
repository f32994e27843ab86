// Help ▸ Contents: the program hands the fixed help file name to the help viewer and says nothing itself; the
// viewer shows the document, or its own note when there is none.
#include "application.h"
#include "helpviewer.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QCoreApplication>
#include <QTest>
#include <QTextBrowser>

#include <vector>

using namespace windowtest;

namespace {

// While alive, the viewer's requests are kept instead of opening its window; the help file name is put back
// afterwards.
class HelpRequests
{
public:
    HelpRequests()
        : helpFile_(karte::Application::helpFile())
    {
        karte::HelpViewer::setResponder([this](const karte::HelpRequest& request) { requests_.push_back(request); });
    }
    ~HelpRequests()
    {
        karte::HelpViewer::setResponder({});
        karte::Application::setHelpFile(helpFile_);
    }
    const std::vector<karte::HelpRequest>& requests() const { return requests_; }

private:
    QString helpFile_;
    std::vector<karte::HelpRequest> requests_;
};

class HelpTest : public MainWindowTest
{
protected:
    ~HelpTest() override
    {
        if (karte::HelpWindow* window = karte::HelpWindow::current())
            delete window;
    }
};

struct ContentsCase
{
    const char* name;
    QString helpFile;
};

TEST_F(HelpTest, ContentsHandsTheFixedHelpFileToTheViewerAndShowsNoMessage)
{
    const std::vector<ContentsCase> cases {
        { "the bundled document", karte::Application::bundledHelpFile() },
        { "a file that is not there", QString::fromStdString(dataHome.file("gone/KARTEHELP.html")) },
    };
    TForm1& form1 = createForm();
    for (const ContentsCase& row : cases) {
        SCOPED_TRACE(row.name);
        HelpRequests viewer;
        karte::Application::setHelpFile(row.helpFile);

        ui().Contents1->trigger();

        ASSERT_EQ(viewer.requests().size(), 1u);
        EXPECT_EQ(viewer.requests()[0].file, row.helpFile);
        EXPECT_EQ(viewer.requests()[0].owner, &form1);
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(HelpTest, WithoutAHelpFileNameTheViewerIsNotAsked)
{
    createForm();
    HelpRequests viewer;
    karte::Application::setHelpFile(QString());
    ui().Contents1->trigger();
    EXPECT_TRUE(viewer.requests().empty());
    EXPECT_TRUE(messages.requests().empty());
}

TEST_F(HelpTest, TheViewerShowsTheBundledDocumentInItsOwnWindow)
{
    const QString helpFile = karte::Application::bundledHelpFile();
    karte::HelpViewer::showContents(helpFile);

    karte::HelpWindow* window = karte::HelpWindow::current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Karte Cards — Help");
    const QString text = window->browser()->toPlainText();
    for (const char* heading : { "Drilling the cards", "The word list and the Sort List menu", "Card sets",
             "Adding and editing your own cards", "Fonts", "Password-protected card sets", "Where the files live" })
        EXPECT_TRUE(text.contains(heading)) << heading;
    // The viewer does not keep the program running once the main window has closed.
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));

    // Asked again, it shows the same window.
    karte::HelpViewer::showContents(helpFile);
    EXPECT_EQ(karte::HelpWindow::current(), window);

    // Esc closes it, as Alt+F4 does.
    QTest::keyClick(window->browser(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(karte::HelpWindow::current(), nullptr);
}

TEST_F(HelpTest, AMissingHelpFileIsTheViewersToReport)
{
    const QString missing = QString::fromStdString(dataHome.file("no <such> help.html"));
    karte::HelpViewer::showContents(missing);

    karte::HelpWindow* window = karte::HelpWindow::current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    const QString text = window->browser()->toPlainText();
    EXPECT_TRUE(text.contains("Help is not available")) << text.toStdString();
    EXPECT_TRUE(text.contains(missing)) << text.toStdString();
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

} // namespace
