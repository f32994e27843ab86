#include "appbenchsteps.h"

#include "application.h"
#include "filedialogs.h"
#include "messagebox.h"
#include "programwindows.h"
#include "tdbedit.h"
#include "tdbnavigator.h"
#include "tform1.h"
#include "tformqcustom.h"

#include <QAbstractButton>
#include <QAction>
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

// A control of a window, found by the name its layout gives it, as an automation tool finds it.
template <typename Control> Control* named(QObject& window, const char* name)
{
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (!control) {
        std::fprintf(stderr, "karte-bench: the window has no %s\n", name);
        std::exit(1);
    }
    return control;
}

// The main window's controls that the measurements use, found once, outside the timed steps.
struct MainWindowControls
{
    explicit MainWindowControls(TForm1& form)
        : Open1(named<QAction>(form, "Open1"))
        , Frequency1(named<QAction>(form, "Frequency1"))
        , ShowGreek1(named<QAction>(form, "ShowGreek1"))
        , ShowFrequency1(named<QAction>(form, "ShowFrequency1"))
        , Alphabetcally1(named<QAction>(form, "Alphabetcally1"))
        , FrequencyComboBox(named<QComboBox>(form, "FrequencyComboBox"))
        , SpeedButton2(named<QAbstractButton>(form, "SpeedButton2"))
        , SpeedButton3(named<QAbstractButton>(form, "SpeedButton3"))
        , ButtonAdd(named<QAbstractButton>(form, "ButtonAdd"))
    {
    }
    QAction* Open1;
    QAction* Frequency1;
    QAction* ShowGreek1;
    QAction* ShowFrequency1;
    QAction* Alphabetcally1;
    QComboBox* FrequencyComboBox;
    QAbstractButton* SpeedButton2;
    QAbstractButton* SpeedButton3;
    QAbstractButton* ButtonAdd;
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
        karte::ProgramWindows windows;
        TForm1& form = windows.mainWindow();
        const MainWindowControls ui(form);
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
        TDBEdit* english = named<TDBEdit>(*windows.editor(), "EnglishEdit");
        TDBNavigator* navigator = named<TDBNavigator>(*windows.editor(), "DBNav");
        std::vector<double> posts;
        for (int i = 0; i < std::max(runs * 3, 15); ++i) {
            english->setFocus();
            english->selectAll();
            typeText(english, QStringLiteral("changed gloss %1").arg(i));
            posts.push_back(timed([&] { navigator->BtnClick(TDBNavigator::Post); }));
            navigator->BtnClick(TDBNavigator::Next);
        }
        results["post"] = median(posts);
        windows.editor()->close();
        settle();
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return results;
}

} // namespace appbench
