#include "tfontform.h"

#include "errorbox.h"
#include "readablecolours.h"
#include "textforms.h"
#include "ui_tfontform.h"
#include "windowscaling.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QShortcut>
#include <QWindow>

#include <algorithm>
#include <utility>

TFontForm* FontForm = nullptr;

namespace {

// Longest face name a font holds.
constexpr qsizetype kLongestFaceName = 31;
// Font engines take pixel heights of 16 bits; this many points stay below that up to 40 pixels a point, and one
// letter of it is already taller than any screen.
constexpr int kLargestDrawnPointSize = 1638;

QString firstCharacters(const QString& text, qsizetype count)
{
    // Characters, not UTF-16 units: a letter outside the basic plane is never cut in half.
    qsizetype units = 0;
    for (qsizetype taken = 0; taken < count && units < text.size(); ++taken) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

void setPointSize(QWidget* text, int size)
{
    QFont font = text->font();
    font.setPointSize(karte::drawablePointSize(size));
    text->setFont(font);
}

// Both boxes run their handler on every change the user makes: typing, deleting, or choosing from the list
// with the mouse, the arrow keys or the wheel. Filling them from code runs nothing.
void onUserChange(QComboBox* box, TFontForm* form, void (TFontForm::*handler)(QObject*))
{
    karte::connectGuarded(
        box->lineEdit(), &QLineEdit::textEdited, form, [form, box, handler] { (form->*handler)(box); });
    karte::connectHandler(box, &QComboBox::activated, form, handler);
}

} // namespace

namespace karte {

int drawablePointSize(int size)
{
    return std::clamp(size, 1, kLargestDrawnPointSize);
}

QStringList familyNames(const QStringList& families)
{
    static const QRegularExpression foundry(QStringLiteral(" \\[[^\\]]*\\]$"));
    QStringList names;
    QSet<QString> seen;
    for (QString family : families) {
        family.remove(foundry);
        if (!seen.contains(family)) {
            seen.insert(family);
            names.append(family);
        }
    }
    return names;
}

} // namespace karte

TFontForm::TFontForm(QWidget* parent)
    : QWidget(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , ui(std::make_unique<Ui::TFontForm>())
{
    ui->setupUi(this);
    karte::keepLayoutColoursReadable(this);
    karte::scaleToScreen(this);
    setFixedSize(size());
    for (QComboBox* box : { static_cast<QComboBox*>(ui->FontName), static_cast<QComboBox*>(ui->FontSize) }) {
        // What the user types is applied as it stands: no completion from the list, and Enter adds nothing to it.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        // A screen reader lands in the text box inside the combo box, which has no label of its own.
        if (box->lineEdit())
            box->lineEdit()->setAccessibleName(box->accessibleDescription());
    }
    ui->FontName->setEditText(QStringLiteral("FontName"));
    ui->FontSize->setEditText(QStringLiteral("FontSize"));
    // Activation that leaves the box for another of the program's windows is a real change of window: coming
    // back from there shows the font afresh.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        if (focused && focused != windowHandle() && !QApplication::activeModalWidget())
            leftForModalBox_ = false;
    });
    // Esc closes the chooser, as it closes a dialog; a face list open in a box closes first.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    onUserChange(ui->FontName, this, &TFontForm::FontNameChange);
    onUserChange(ui->FontSize, this, &TFontForm::FontSizeChange);
    installedFaces();
}

TFontForm::~TFontForm() = default;

void TFontForm::setCardTexts(QWidget* greekText, QWidget* englishText)
{
    greekText_ = greekText;
    englishText_ = englishText;
}

const QStringList& TFontForm::installedFaces()
{
    // Fonts installed while the program runs are not offered.
    static const QStringList faces = karte::familyNames(QFontDatabase::families());
    return faces;
}

bool TFontForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        // A box that the chooser's own handlers show (a size that is not a number) takes the activation for a
        // moment. Coming back from it is not coming back to the chooser: the user goes on typing where the text
        // was, and must not find it replaced.
        const QWidget* modal = QApplication::activeModalWidget();
        leftForModalBox_ = modal != nullptr && modal != this;
    } else if (event->type() == QEvent::WindowActivate) {
        if (!std::exchange(leftForModalBox_, false))
            karte::guarded([this] { FormActivate(this); });
    }
    return QWidget::event(event);
}

void TFontForm::FormActivate(QObject* /*sender*/)
{
    ui->FontName->clear();
    ui->FontName->addEntries(installedFaces());
    if (!greekText_)
        return;
    const QFont greek = greekText_->font();
    ui->FontName->setEditText(greek.family());
    int points = greek.pointSize();
    if (points < 0)
        points = qRound(greek.pixelSize() * 72.0 / greekText_->logicalDpiY());
    ui->FontSize->setEditText(QString::number(points));
}

void TFontForm::FontNameChange(QObject* /*sender*/)
{
    const QString text = ui->FontName->currentText();
    if (text.isEmpty() || !greekText_)
        return;
    // The face is applied whether or not a font of that name is installed; the nearest one draws it.
    QFont greek = greekText_->font();
    greek.setFamily(firstCharacters(text, kLongestFaceName));
    greekText_->setFont(greek);
}

void TFontForm::FontSizeChange(QObject* /*sender*/)
{
    // A text that is not a whole number, the empty one included, raises the conversion error and changes no
    // size; the user goes on typing.
    const int size = cardstore::toInteger(ui->FontSize->currentText().toStdString());
    for (QWidget* text : { greekText_.data(), englishText_.data() })
        if (text)
            setPointSize(text, size);
}
