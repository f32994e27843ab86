#pragma once

#include <QAccessibleWidget>

class QLineEdit;

namespace karte {

// What a screen reader reads of a text box: its text, caret and selection, word by word or whole. The program
// answers for every line edit itself (installAccessibleInterfaces) because Qt 6.4's own answer to "the word at the
// end of the text" never returns: with a screen reader running, Ctrl+Left in any text box froze the program for
// good. Otherwise it answers as Qt does.
class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleLineEdit(QLineEdit* edit);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString& text) override;
    QAccessible::State state() const override;

    // The text interface.
    void addSelection(int startOffset, int endOffset) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    int cursorPosition() const override;
    QRect characterRect(int offset) const override;
    int selectionCount() const override;
    int offsetAtPoint(const QPoint& point) const override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    QString textAfterOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    QString textAtOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    void removeSelection(int selectionIndex) override;
    void setCursorPosition(int position) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int characterCount() const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

protected:
    QLineEdit* lineEdit() const;

private:
    // A password's text is never handed out, nor any part of it.
    bool hidesText() const;
    int offsetOf(int offset) const;
};

// Makes the program's own accessible interfaces answer for the controls they stand in for. Called once the
// application object exists; later calls do nothing.
void installAccessibleInterfaces();

} // namespace karte
