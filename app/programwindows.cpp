#include "programwindows.h"

#include "qcardunt.h"
#include "tfontform.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"

#include <QApplication>

namespace karte {

ProgramWindows::ProgramWindows()
{
    try {
        form1_ = std::make_unique<TForm1>();
        Form1 = form1_.get();
        QApplication::setWindowIcon(form1_->windowIcon());
        form2_ = std::make_unique<TForm2>();
        Form2 = form2_.get();
        formQCustom_ = std::make_unique<TFormQCustom>();
        FormQCustom = formQCustom_.get();
        fontForm_ = std::make_unique<TFontForm>();
        FontForm = fontForm_.get();
    } catch (...) {
        forgetNames();
        throw;
    }
    form1_->connectSideWindows(form2_.get(), formQCustom_.get(), fontForm_.get());
}

ProgramWindows::~ProgramWindows()
{
    forgetNames();
}

void ProgramWindows::forgetNames() noexcept
{
    FontForm = nullptr;
    FormQCustom = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
}

} // namespace karte
