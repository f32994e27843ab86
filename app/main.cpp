#include "application.h"
#include "errorbox.h"
#include "firstpaintprobe.h"
#include "messagebox.h"
#include "placement.h"
#include "programwindows.h"
#include "tform1.h"

#include <memory>

namespace {

// The code address named in the "Application Error" box: where start-up was when the failure reached it.
[[gnu::noinline]] const void* failureAddress()
{
    return __builtin_return_address(0);
}

} // namespace

int main(int argc, char* argv[])
{
    karte::Application application(argc, argv);
    karte::MessageBoxes::installLogResponderFromEnvironment();
    karte::installFontSubstitutions();

    karte::setApplicationTitle(QStringLiteral("Karte Cards by Quarn Software"));
    karte::Application::setHelpFile(karte::Application::bundledHelpFile());

    std::unique_ptr<karte::ProgramWindows> windows;
    try {
        windows = std::make_unique<karte::ProgramWindows>(karte::ProgramWindows::SideWindows::AfterFirstPaint);
    } catch (const std::exception& error) {
        karte::showApplicationError(error, failureAddress());
        return 1;
    }

    TForm1& mainWindow = windows->mainWindow();
    karte::centreOnScreen(&mainWindow);
    karte::installFirstPaintProbe(&mainWindow);
    mainWindow.show();
    return application.exec();
}
