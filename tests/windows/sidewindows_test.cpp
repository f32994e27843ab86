// Side windows opened over the main window: the main window is given back when a side window closes, even when the
// side window's closing work fails, and the error is shown over a usable program.
#include "protectedfile.h"
#include "session.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QTest>

#include <filesystem>

using namespace windowtest;

namespace {

namespace fs = std::filesystem;

// The cheapest key derivation Argon2id allows: opening the set costs a derivation.
constexpr cardstore::KeyDerivationCost kCheapCost { 1, 8 * 1024 };

class ProtectedStudyTest : public MainWindowTest
{
protected:
    ProtectedStudyTest()
    {
        cardstore::setKeyDerivationCostForNewSets(kCheapCost);
        installBuiltInSet(dataHome, fourCards());
        cardstore::protectCardSet(builtInSetPath(dataHome), "pw");
        // The password is known, so the set opens without the prompt.
        cardstore::Session::instance().addPassword("pw");
        createForm();
        study = std::make_unique<TStudyForm>();
        form->connectStudyWindow(study.get());
        form->show();
    }
    ~ProtectedStudyTest() override
    {
        study.reset();
        form.reset();
        cardstore::Session::instance().removeAllPasswords();
        cardstore::setKeyDerivationCostForNewSets(cardstore::defaultKeyDerivationCost());
    }

    std::unique_ptr<TStudyForm> study;
};

TEST_F(ProtectedStudyTest, ASealThatFailsOnClosingLeavesTheMainWindowEnabledAndShowsTheError)
{
    ASSERT_TRUE(form->FrequencyTable.isProtected());
    ui().Study1->trigger();
    ASSERT_TRUE(study->isVisible());
    ASSERT_FALSE(form->isEnabled());
    QTest::keyClick(study.get(), Qt::Key_Space);
    QTest::keyClick(study.get(), Qt::Key_3);
    // The answer waits to be sealed when the window closes; with the set's folder gone, sealing cannot write it.
    const fs::path folder = fs::path(builtInSetPath(dataHome)).parent_path();
    const fs::path away = folder.string() + "-away";
    fs::rename(folder, away);
    QStringList errors;
    bool enabledUnderTheError = false;
    karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
        errors.append(request.text);
        enabledUnderTheError = form->isEnabled();
        return QMessageBox::Ok;
    });

    QTest::keyClick(study.get(), Qt::Key_Escape);

    EXPECT_FALSE(study->isVisible());
    EXPECT_TRUE(form->isEnabled());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QString::fromStdString(folder.string()))) << errors[0].toStdString();
    EXPECT_TRUE(enabledUnderTheError) << "the error was shown over a disabled main window";
    karte::MessageBoxes::setResponder({});
    fs::rename(away, folder);
}

} // namespace
