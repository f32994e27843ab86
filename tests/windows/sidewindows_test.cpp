// Side windows opened over the main window: the main window is given back when a side window closes, even when the
// closing work fails, and the error is shown over a usable program; the card face the side windows are told.
#include "protectedfile.h"
#include "session.h"
#include "tform1.h"
#include "tformqcustom.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QTest>

#include <filesystem>
#include <functional>

using namespace windowtest;

namespace {

namespace fs = std::filesystem;

// The cheapest key derivation Argon2id allows: opening the set costs a derivation.
constexpr cardstore::KeyDerivationCost kCheapCost { 1, 8 * 1024 };

// The main window on a protected built-in set, with the editor and the Study window.
class SideWindowTest : public MainWindowTest
{
protected:
    SideWindowTest()
    {
        cardstore::setKeyDerivationCostForNewSets(kCheapCost);
        installBuiltInSet(dataHome, fourCards());
        cardstore::protectCardSet(builtInSetPath(dataHome), "pw");
        // The password is known, so the set opens without the prompt.
        cardstore::Session::instance().addPassword("pw");
        createForm();
        editor = std::make_unique<TFormQCustom>();
        study = std::make_unique<TStudyForm>();
        form->connectSideWindows(nullptr, editor.get(), nullptr);
        form->connectStudyWindow(study.get());
        form->show();
    }
    ~SideWindowTest() override
    {
        study.reset();
        editor.reset();
        form.reset();
        cardstore::Session::instance().removeAllPasswords();
        cardstore::setKeyDerivationCostForNewSets(cardstore::defaultKeyDerivationCost());
    }

    std::unique_ptr<TFormQCustom> editor;
    std::unique_ptr<TStudyForm> study;
};

TEST_F(SideWindowTest, ClosingWorkThatFailsGivesTheMainWindowBackBeforeItsErrorShows)
{
    const fs::path folder = fs::path(builtInSetPath(dataHome)).parent_path();
    const fs::path away = folder.string() + "-away";
    struct Case
    {
        const char* name;
        std::function<QWidget*()> open;
        // Makes the work done on closing fail; gives back a part of the error it is to show.
        std::function<QString()> breakClosing;
    };
    const Case cases[] = {
        { "the Study window, whose answers cannot be sealed",
            [&] {
                ui().Study1->trigger();
                // The answer waits to be sealed when the window closes.
                QTest::keyClick(study.get(), Qt::Key_Space);
                QTest::keyClick(study.get(), Qt::Key_3);
                return study.get();
            },
            [&] {
                // Sealing writes beside the set, in a folder that is gone.
                fs::rename(folder, away);
                return QString::fromStdString(folder.string());
            } },
        { "the editor, after which the word list cannot be refilled",
            [&] {
                form->ButtonAddClick(ui().ButtonAdd);
                return editor.get();
            },
            [&] {
                form->FrequencyTable.close();
                return QStringLiteral("closed dataset");
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* window = c.open();
        ASSERT_TRUE(window->isVisible());
        ASSERT_FALSE(form->isEnabled());
        const QString expectedError = c.breakClosing();
        QStringList errors;
        bool enabledUnderTheError = false;
        karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
            errors.append(request.text);
            enabledUnderTheError = form->isEnabled();
            return QMessageBox::Ok;
        });

        window->close();

        karte::MessageBoxes::setResponder({});
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(form->isEnabled());
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(expectedError)) << errors[0].toStdString();
        EXPECT_TRUE(enabledUnderTheError) << "the error was shown over a disabled main window";
        if (fs::exists(away))
            fs::rename(away, folder);
    }
}

TEST_F(SideWindowTest, TheStudyWindowTakesTheCardFaceTheMainWindowShowsAtEachOpening)
{
    for (const char* family : { "Gentium Plus", "Liberation Serif" }) {
        SCOPED_TRACE(family);
        QFont greek = ui().TextGreek->font();
        greek.setFamily(family);
        ui().TextGreek->setFont(greek);
        ui().Study1->trigger();
        ASSERT_TRUE(study->isVisible());
        // The built-in set is studied Greek side first.
        EXPECT_EQ(formOf(*study).FrontText->font().family(), family);
        study->close();
    }
}

} // namespace
