#include "programwindows.h"

#include "errorbox.h"
#include "firstpaint.h"
#include "newtestament.h"
#include "qcardunt.h"
#include "speaker.h"
#include "tfontform.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "tprogressform.h"
#include "treaderform.h"
#include "tstudyform.h"

#include <QApplication>

namespace karte {

ProgramWindows::ProgramWindows(SideWindows sideWindows)
{
    form1_ = std::make_unique<TForm1>();
    Form1 = form1_.get();
    QApplication::setWindowIcon(form1_->windowIcon());
    if (sideWindows == SideWindows::Now)
        createSideWindows();
    else
        afterFirstPaint(form1_.get(), [this] { guarded([this] { createSideWindows(); }); });
}

ProgramWindows::~ProgramWindows()
{
    forgetNames();
}

void ProgramWindows::createSideWindows()
{
    form2_ = std::make_unique<TForm2>();
    Form2 = form2_.get();
    formQCustom_ = std::make_unique<TFormQCustom>();
    FormQCustom = formQCustom_.get();
    fontForm_ = std::make_unique<TFontForm>();
    FontForm = fontForm_.get();
    form1_->connectSideWindows(form2_.get(), formQCustom_.get(), fontForm_.get());
    speaker_ = std::make_unique<speech::Speaker>();
    studyForm_ = std::make_unique<TStudyForm>();
    studyForm_->setNewTestament(&newTestament());
    form1_->connectStudyWindow(studyForm_.get());
    studyForm_->setSpeaker(speaker_.get());
    progressForm_ = std::make_unique<TProgressForm>();
    progressForm_->setNewTestament(&newTestament());
    form1_->connectProgressWindow(progressForm_.get());
    readerForm_ = std::make_unique<TReaderForm>();
    readerForm_->setNewTestament(&newTestament());
    readerForm_->setSpeaker(speaker_.get());
    form1_->connectReaderWindow(readerForm_.get());
}

void ProgramWindows::forgetNames() noexcept
{
    FontForm = nullptr;
    FormQCustom = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
}

} // namespace karte
