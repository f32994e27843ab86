#include "tformqcustom.h"

#include "errorbox.h"
#include "openings.h"
#include "outsidedestruction.h"
#include "readablecolours.h"
#include "table.h"
#include "tdatasource.h"
#include "ui_tformqcustom.h"
#include "windowscaling.h"

#include <QCloseEvent>
#include <QLabel>

TFormQCustom* FormQCustom = nullptr;

TFormQCustom::TFormQCustom(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::TFormQCustom>())
{
    ui->setupUi(this);
    karte::keepLayoutColoursReadable(this);
    karte::scaleToScreen(this);
    // A single fixed frame: the client area keeps its design size.
    setFixedSize(size());
    // The captions are sized to their text, whichever installed face stands in for the one they name.
    for (QLabel* label : { ui->Label1, ui->Label2, ui->Label3 })
        label->adjustSize();
    connect(&openings_, &karte::Openings::closed, this, &TFormQCustom::closed);
    karte::closeWhenDestroyedFromOutside(this);
}

TFormQCustom::~TFormQCustom() = default;

void TFormQCustom::setDataSource(TDataSource* source)
{
    source_ = source;
    ui->LanguageEdit->setDataSource(source);
    ui->EnglishEdit->setDataSource(source);
    ui->FrequencyEdit->setDataSource(source);
    ui->DBNav->setDataSource(source);
}

void TFormQCustom::closeEvent(QCloseEvent* event)
{
    // Closing posts the card being edited, or abandons it when nothing was changed. A card that cannot be posted
    // (a required field left empty, a frequency that is no number) keeps the editor open on it, with the reason
    // shown, so that the user can mend the card or delete it: hiding the editor first would leave what the user
    // typed unwritten with no window left to mend it in.
    if (source_ && source_->active()) {
        try {
            source_->dataSet()->checkBrowseMode();
        } catch (const std::exception& error) {
            event->ignore();
            karte::showException(error);
            return;
        }
    }
    event->accept();
}

void TFormQCustom::FormShow(QObject* /*sender*/)
{
    if (!cardFace_)
        return;
    const QFont& greek = *cardFace_;
    QFont word = ui->LanguageEdit->font();
    word.setFamily(greek.family());
    word.setPointSize(greek.pointSize());
    ui->LanguageEdit->setFont(word);
    // The English box takes the size of the Greek text, not of the English one, and keeps its own face.
    QFont english = ui->EnglishEdit->font();
    english.setPointSize(greek.pointSize());
    ui->EnglishEdit->setFont(english);
}
