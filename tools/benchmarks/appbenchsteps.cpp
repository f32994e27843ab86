#include "appbenchsteps.h"

#include "application.h"
#include "filedialogs.h"
#include "messagebox.h"
#include "qcardunt.h"
#include "tdbedit.h"
#include "tdbnavigator.h"
#include "tfontform.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "ui_tform1.h"
#include "ui_tformqcustom.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace appbench {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Lets the windows repaint what the action changed, as the event loop would before the user sees it.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

double timed(const std::function<void()>& action)
{
    settle();
    const auto start = Clock::now();
    action();
    settle();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Types the text into the widget as key presses that carry it.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &release);
    }
}

// The program's windows, created in the order start-up creates them.
struct Windows
{
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TFormQCustom> editor;
    std::unique_ptr<TFontForm> fontForm;

    Windows()
    {
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        form2 = std::make_unique<TForm2>();
        Form2 = form2.get();
        editor = std::make_unique<TFormQCustom>();
        FormQCustom = editor.get();
        fontForm = std::make_unique<TFontForm>();
        FontForm = fontForm.get();
    }
    ~Windows()
    {
        FontForm = nullptr;
        FormQCustom = nullptr;
        Form2 = nullptr;
        Form1 = nullptr;
    }
};

} // namespace

std::map<std::string, double> measureWindows(
    int& argc, char** argv, int cards, int runs, const std::string& userSet, const std::string& builtInLikeSet)
{
    const fs::path root = fs::temp_directory_path() / ("karte-bench-windows-" + std::to_string(::getpid()));
    fs::create_directories(root / "data" / "karte32");
    fs::copy_file(builtInLikeSet, root / "data" / "karte32" / "cardsfrq.db", fs::copy_options::overwrite_existing);
    const fs::path userCopy = root / "user.SDB";
    fs::copy_file(userSet, userCopy, fs::copy_options::overwrite_existing);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);

    // The offscreen platform warns about every window hint it cannot pass on; thousands of lines would bury the
    // results.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    karte::Application application(argc, argv);
    // A message box in the middle of a measurement means something failed: the numbers would be worthless.
    karte::MessageBoxes::setResponder([](const karte::MessageRequest& request) -> QMessageBox::StandardButton {
        std::fprintf(stderr, "karte-bench: unexpected message: %s\n", qPrintable(request.text));
        std::exit(1);
    });
    karte::installFontSubstitutions();

    std::map<std::string, double> results;
    {
        Windows windows;
        TForm1& form = *windows.form1;
        Ui::TForm1& ui = *form.ui;
        form.show();
        settle();

        std::vector<double> open, reopen, greek, frequency, firstJump;
        for (int run = 0; run < runs; ++run) {
            karte::FileDialog::setNextFileName(QString::fromStdString(userCopy.string()));
            open.push_back(timed([&] { ui.Open1->trigger(); }));
            reopen.push_back(timed([&] { ui.Frequency1->trigger(); }));
            greek.push_back(timed([&] { ui.ShowGreek1->trigger(); }));
            frequency.push_back(timed([&] { ui.ShowFrequency1->trigger(); }));
            ui.Alphabetcally1->trigger();
            // The first jump after opening builds the English order of the set.
            const int entry = ui.FrequencyComboBox->count() / 3;
            ui.FrequencyComboBox->setCurrentIndex(entry);
            firstJump.push_back(timed([&] { Q_EMIT ui.FrequencyComboBox->activated(entry); }));
        }
        results["open+english"] = median(open);
        results["builtin+english"] = median(reopen);
        results["greek"] = median(greek);
        results["frequency"] = median(frequency);
        results["jump-first"] = median(firstJump);

        std::vector<double> jumps;
        const int entries = ui.FrequencyComboBox->count();
        for (int i = 0; i < 64; ++i) {
            const int entry = static_cast<int>(static_cast<long long>(i) * entries / 64);
            ui.FrequencyComboBox->setCurrentIndex(entry);
            jumps.push_back(timed([&] { Q_EMIT ui.FrequencyComboBox->activated(entry); }));
        }
        results["jump"] = median(jumps);

        std::vector<double> steps;
        ui.SpeedButton3->click();
        for (int i = 0; i < std::min(2000, 2 * cards - 2); ++i)
            steps.push_back(timed([&] { ui.SpeedButton2->click(); }));
        results["step"] = median(steps);

        // The editor works on a user set: each post writes one changed English side.
        karte::FileDialog::setNextFileName(QString::fromStdString(userCopy.string()));
        ui.Open1->trigger();
        ui.ButtonAdd->click();
        settle();
        TDBEdit* english = windows.editor->ui->EnglishEdit;
        TDBNavigator* navigator = windows.editor->ui->DBNav;
        std::vector<double> posts;
        for (int i = 0; i < std::max(runs * 3, 15); ++i) {
            english->setFocus();
            english->selectAll();
            typeText(english, QStringLiteral("changed gloss %1").arg(i));
            posts.push_back(timed([&] { navigator->BtnClick(TDBNavigator::Post); }));
            navigator->BtnClick(TDBNavigator::Next);
        }
        results["post"] = median(posts);
        windows.editor->close();
        settle();
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return results;
}

} // namespace appbench
