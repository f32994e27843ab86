#include "errorbox.h"
#include "qcardunt.h"
#include "tfontform.h"
#include "tform1.h"
#include "treaderform.h"
#include "tstudyform.h"
#include "ui_tform1.h"

void TForm1::connectReaderWindow(TReaderForm* readerWindow)
{
    readerWindow_ = readerWindow;
    if (!readerWindow_)
        return;
    readerWindow_->setDataSource(&FrequencySource);
    connect(readerWindow_, &TReaderForm::studyCard, this, [this](qint64 key) {
        karte::guarded([this, key] { studyFromReader([this, key] { studyWindow_->reviewFirst(key); }); });
    });
    connect(readerWindow_, &TReaderForm::studyChapter, this, [this](const QString& book, int chapter) {
        karte::guarded([this, &book, chapter] {
            studyFromReader([this, code = book.toStdString(), chapter] { studyWindow_->studyChapter(code, chapter); });
        });
    });
    // A card the Reader added shows in the word list, as an import's do.
    karte::connectGuarded(readerWindow_, &TReaderForm::cardsAdded, this, [this] {
        RefreshComboBox();
        if (FrequencyTable.recordCount() > 0)
            FontSaveEnabled = true;
    });
}

void TForm1::Read1Click(QObject* /*sender*/)
{
    if (!readerWindow_)
        return;
    // As with the Study window: the Reader reads with the set this window shows, which stays as it is meanwhile.
    if (fontChooser_)
        fontChooser_->hide();
    readerWindow_->setCardFace(ui->TextGreek->font());
    openOver(readerWindow_, FocusBack::FromWindowManager);
}

void TForm1::studyFromReader(const std::function<void()>& ask)
{
    if (!studyWindow_ || !readerWindow_)
        return;
    ask();
    studyWindow_->setCardFace(ui->TextGreek->font());
    readerWindow_->setEnabled(false);
    connect(
        studyWindow_, &TStudyForm::closed, this,
        [this] {
            readerWindow_->setEnabled(true);
            readerWindow_->activateWindow();
            karte::guarded([this] { readerWindow_->studied(); });
        },
        Qt::SingleShotConnection);
    studyWindow_->show();
    studyWindow_->raise();
    studyWindow_->activateWindow();
}
