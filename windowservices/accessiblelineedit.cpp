#include "accessiblelineedit.h"

#include "accessibilityevents.h"
#include "screenpixels.h"

#include <QLineEdit>
#include <QTextLayout>
#include <QValidator>

namespace karte {

AccessibleLineEdit::AccessibleLineEdit(QLineEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText)
{
    addControllingSignal(QStringLiteral("textChanged(const QString&)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
}

QLineEdit* AccessibleLineEdit::lineEdit() const
{
    return static_cast<QLineEdit*>(widget());
}

bool AccessibleLineEdit::hidesText() const
{
    return lineEdit()->echoMode() != QLineEdit::Normal;
}

int AccessibleLineEdit::offsetOf(int offset) const
{
    // By convention -2 stands for the caret and -1 for the end of the text.
    if (offset == -2)
        return cursorPosition();
    if (offset == -1)
        return characterCount();
    return offset;
}

void* AccessibleLineEdit::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleLineEdit::text(QAccessible::Text type) const
{
    QString text;
    if (type == QAccessible::Value) {
        if (!hidesText())
            text = lineEdit()->text();
        else if (lineEdit()->echoMode() != QLineEdit::NoEcho)
            text = QString(lineEdit()->text().size(), QLatin1Char('*'));
    }
    if (text.isEmpty())
        text = QAccessibleWidget::text(type);
    if (text.isEmpty() && type == QAccessible::Description)
        text = lineEdit()->placeholderText();
    return text;
}

void AccessibleLineEdit::setText(QAccessible::Text type, const QString& text)
{
    if (type != QAccessible::Value) {
        QAccessibleWidget::setText(type, text);
        return;
    }
    if (lineEdit()->isReadOnly())
        return;
    QString newText = text;
    if (const QValidator* validator = lineEdit()->validator()) {
        int position = 0;
        if (validator->validate(newText, position) != QValidator::Acceptable)
            return;
    }
    lineEdit()->setText(newText);
}

QAccessible::State AccessibleLineEdit::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (lineEdit()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    state.passwordEdit = hidesText();
    state.selectableText = true;
    return state;
}

void AccessibleLineEdit::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

QString AccessibleLineEdit::attributes(int /*offset*/, int* startOffset, int* endOffset) const
{
    // The whole text is one run of the same (default) attributes. Qt answers with an empty run at the offset, and a
    // screen reader that pieces the text together from the runs left out its last character.
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

int AccessibleLineEdit::cursorPosition() const
{
    return lineEdit()->cursorPosition();
}

QRect AccessibleLineEdit::characterRect(int offset) const
{
    const QString shown = lineEdit()->displayText();
    if (offset < 0 || offset >= shown.size())
        return QRect();
    // The line edit scrolls a long text sideways, by an amount it keeps to itself; the caret's place on the screen
    // tells it. A character lies as far from the caret as the text laid out in the box's face puts it.
    QTextLayout layout(shown, lineEdit()->font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    // The caret's rectangle reaches five pixels to the left of the caret, where Qt draws it.
    const QRect caret = lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal caretX = caret.x() + 5 - line.cursorToX(lineEdit()->cursorPosition());
    const qreal left = caretX + line.cursorToX(offset);
    const qreal right = caretX + line.cursorToX(offset + 1);
    const QRect local(qRound(std::min(left, right)), caret.y(), qRound(std::abs(right - left)), caret.height() - 1);
    return QRect(lineEdit()->mapToGlobal(local.topLeft()), local.size());
}

int AccessibleLineEdit::selectionCount() const
{
    return lineEdit()->hasSelectedText() ? 1 : 0;
}

int AccessibleLineEdit::offsetAtPoint(const QPoint& point) const
{
    return lineEdit()->cursorPositionAt(lineEdit()->mapFromGlobal(point));
}

void AccessibleLineEdit::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !lineEdit()->hasSelectedText())
        return;
    *startOffset = lineEdit()->selectionStart();
    *endOffset = lineEdit()->selectionEnd();
}

QString AccessibleLineEdit::text(int startOffset, int endOffset) const
{
    startOffset = offsetOf(startOffset);
    endOffset = offsetOf(endOffset);
    if (hidesText() || startOffset < 0 || startOffset > endOffset)
        return QString();
    return lineEdit()->text().mid(startOffset, endOffset - startOffset);
}

QString AccessibleLineEdit::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    if (hidesText()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return QAccessibleTextInterface::textBeforeOffset(offsetOf(offset), boundaryType, startOffset, endOffset);
}

QString AccessibleLineEdit::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    if (hidesText()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    return QAccessibleTextInterface::textAfterOffset(offsetOf(offset), boundaryType, startOffset, endOffset);
}

QString AccessibleLineEdit::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    if (hidesText()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    offset = offsetOf(offset);
    // Past the last character there is no character, word or sentence: Qt 6.4 looks for the end of one there for
    // ever. A line is the whole text wherever the offset lies.
    const bool item = boundaryType == QAccessible::CharBoundary || boundaryType == QAccessible::WordBoundary
        || boundaryType == QAccessible::SentenceBoundary;
    if (item && offset > 0 && offset == characterCount()) {
        *startOffset = *endOffset = offset;
        return QString();
    }
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}

void AccessibleLineEdit::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        lineEdit()->deselect();
}

void AccessibleLineEdit::setCursorPosition(int position)
{
    lineEdit()->setCursorPosition(offsetOf(position));
}

void AccessibleLineEdit::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    startOffset = offsetOf(startOffset);
    endOffset = offsetOf(endOffset);
    lineEdit()->setSelection(startOffset, endOffset - startOffset);
}

int AccessibleLineEdit::characterCount() const
{
    return int(lineEdit()->text().size());
}

void AccessibleLineEdit::scrollToSubstring(int startIndex, int endIndex)
{
    lineEdit()->setCursorPosition(offsetOf(endIndex));
    lineEdit()->setCursorPosition(offsetOf(startIndex));
}

void AccessibleLineEdit::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void AccessibleLineEdit::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void AccessibleLineEdit::replaceText(int startOffset, int endOffset, const QString& text)
{
    if (lineEdit()->isReadOnly())
        return;
    startOffset = offsetOf(startOffset);
    endOffset = offsetOf(endOffset);
    lineEdit()->setText(lineEdit()->text().replace(startOffset, endOffset - startOffset, text));
}

namespace {

QAccessibleInterface* lineEditInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("QLineEdit"))
        return new AccessibleLineEdit(static_cast<QLineEdit*>(object));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    static const bool installed = [] {
        // A factory installed later is asked first, before Qt's own.
        QAccessible::installFactory(lineEditInterface);
        keepHiddenWindowsQuiet();
        answerInScreenPixels();
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace karte
