#include "tfontform.h"
#include "tform1.h"
#include "tprogressform.h"

void TForm1::connectProgressWindow(TProgressForm* progressWindow)
{
    progressWindow_ = progressWindow;
    if (!progressWindow_)
        return;
    progressWindow_->setDataSource(&FrequencySource);
}

void TForm1::Progress1Click(QObject* /*sender*/)
{
    if (!progressWindow_)
        return;
    // As with the Study window: the figures are those of the set this window shows, which stays as it is meanwhile.
    if (fontChooser_)
        fontChooser_->hide();
    openOver(progressWindow_, FocusBack::FromWindowManager);
}
