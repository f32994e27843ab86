// karte-bench-dialogs: the memory a long session of Open and New dialogs takes. Shows the program's Open dialog
// again and again (on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise; each showing cancelled as soon as
// it is up) and prints the resident memory after 20 and after 200 showings; beside it, the same with a new platform
// dialog made for every showing. Memory that grows with every showing keeps growing for as long as the program runs.

#include "application.h"
#include "filedialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace {

double residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Cancels the dialog that is about to come up, once it has been up long enough to list its folder.
void cancelWhenShown()
{
    QTimer::singleShot(40, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
    });
}

// What the program has allocated and not given back, whatever the allocator keeps for reuse.
double heapKilobytes()
{
    return static_cast<double>(mallinfo2().uordblks) / 1024.0;
}

void measure(const char* name, const std::function<void()>& showOnce)
{
    for (int i = 0; i < 20; ++i)
        showOnce();
    const double resident20 = residentKilobytes();
    const double heap20 = heapKilobytes();
    for (int i = 20; i < 200; ++i)
        showOnce();
    const double resident200 = residentKilobytes();
    const double heap200 = heapKilobytes();
    std::printf("%s:\n  resident %.0f KB after 20 showings, %.0f KB after 200: %.1f KB more for each showing\n"
                "  heap in use %.0f KB after 20 showings, %.0f KB after 200: %.1f KB more for each showing\n",
        name, resident20, resident200, (resident200 - resident20) / 180.0, heap20, heap200, (heap200 - heap20) / 180.0);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform warns about every window hint it cannot pass on.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    karte::Application application(argc, argv);
    QWidget window;
    window.show();

    karte::FileDialog::Options options;
    options.title = QStringLiteral("Open");
    options.filter = QStringLiteral("Card Set *.SDB|*.SDB");
    options.defaultSuffix = QStringLiteral("SDB");
    options.fileMustExist = true;

    // Each way in a process of its own, so that neither inherits the other's caches.
    const bool fresh = argc > 1 && std::string(argv[1]) == "--new-each-time";
    if (argc > 1 && !fresh) {
        std::fprintf(stderr, "usage: karte-bench-dialogs [--new-each-time]\n");
        return 2;
    }
    karte::FileDialog reused(options);
    if (fresh) {
        measure("a new platform dialog for each showing", [&] {
            cancelWhenShown();
            QFileDialog dialog(&window, options.title);
            dialog.setNameFilter(karte::FileDialog::nameFilters(options.filter));
            dialog.exec();
        });
    } else {
        measure("the program's Open dialog, kept and shown again", [&] {
            cancelWhenShown();
            reused.execute(&window);
        });
    }
    return 0;
}
