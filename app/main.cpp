#include "application.h"
#include "errorbox.h"
#include "firstpaintprobe.h"
#include "messagebox.h"
#include "qcardunt.h"
#include "tfontform.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "windowscaling.h"

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

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TFormQCustom> formQCustom;
    std::unique_ptr<TFontForm> fontForm;
    try {
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        QApplication::setWindowIcon(form1->windowIcon());
        form2 = std::make_unique<TForm2>();
        Form2 = form2.get();
        // The editor's controls are bound to the main window's data source, so it comes after the main window.
        formQCustom = std::make_unique<TFormQCustom>();
        FormQCustom = formQCustom.get();
        fontForm = std::make_unique<TFontForm>();
        FontForm = fontForm.get();
    } catch (const std::exception& error) {
        karte::showApplicationError(error, failureAddress());
        return 1;
    }

    karte::centreOnScreen(form1.get());
    karte::installFirstPaintProbe(form1.get());
    form1->show();
    return application.exec();
}
