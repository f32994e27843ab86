#include "tformqcustom.h"

#include "announcement.h"
#include "errorbox.h"
#include "openings.h"
#include "outsidedestruction.h"
#include "readablecolours.h"
#include "table.h"
#include "tdatasource.h"
#include "ui_tformqcustom.h"
#include "windowscaling.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStringList>

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
    if (source_)
        disconnect(source_, &TDataSource::dataChanged, this, nullptr);
    source_ = source;
    if (source_)
        connect(source_, &TDataSource::dataChanged, this, [this](int fieldIndex) {
            if (fieldIndex < 0 && isVisible())
                announceCard();
        });
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

void TFormQCustom::announceCard()
{
    // The keyboard stays in a text box while the navigator moves, adds or deletes: a screen reader says nothing of
    // the boxes changing under it, so the card that came up is said, or that a new card is begun.
    const cardstore::Table* table = source_ && source_->active() ? source_->dataSet() : nullptr;
    if (!table)
        return;
    if (table->state() == cardstore::DataSetState::Insert) {
        karte::announce(this, QStringLiteral("New card"));
        return;
    }
    if (table->recordCount() == 0) {
        karte::announce(this, QStringLiteral("No cards"));
        return;
    }
    QStringList parts;
    for (const char* field : { "Language", "English" })
        if (const QString text = QString::fromStdString(table->fieldText(field)); !text.isEmpty())
            parts.append(text);
    parts.append(QStringLiteral("%1 of %2").arg(table->sequenceNumber()).arg(table->recordCount()));
    karte::announce(this, parts.join(QLatin1String(", ")));
}

void TFormQCustom::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
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
