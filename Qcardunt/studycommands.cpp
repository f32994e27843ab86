#include "tfontform.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"

void TForm1::connectStudyWindow(TStudyForm* studyWindow)
{
    studyWindow_ = studyWindow;
    if (!studyWindow_)
        return;
    studyWindow_->setDataSource(&FrequencySource);
}

void TForm1::Study1Click(QObject* /*sender*/)
{
    if (!studyWindow_)
        return;
    // Like the editor: the Study window works on the set this window shows, which stays as it is meanwhile.
    if (fontChooser_)
        fontChooser_->hide();
    studyWindow_->setCardFace(ui->TextGreek->font());
    openOver(studyWindow_, FocusBack::FromWindowManager);
}
