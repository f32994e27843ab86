#pragma once

#include <QLineEdit>
#include <QPointer>

#include <string>

class TDataSource;

namespace cardstore {
struct FieldDef;
class Table;
} // namespace cardstore

// A text box bound to one field of the current record of its data source. It shows the field and follows every
// move of the cursor; typing into it changes the record in memory, which the table writes to the file when the
// card is posted (by the navigator, or by the browse-mode check of the next move).
//
// While the card is only being browsed the box is read-only. The keys and clipboard actions that change text
// first ask the data source to start an edit (or, on an empty set, a new card), so typing is all it takes to
// change a card. The text the user changed is written into the field when the focus moves to another control and
// whenever the table asks for pending text, before a post or a move.
class TDBEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool autoSelect READ autoSelect WRITE setAutoSelect)

public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const { return source_; }
    void setDataField(const QString& name);
    QString dataField() const { return dataField_; }
    // Whether the whole text is selected when the box is entered other than by a mouse click.
    void setAutoSelect(bool on) { autoSelect_ = on; }
    bool autoSelect() const { return autoSelect_; }

    // Whether the box may change its text now: the card is being edited or inserted and the set can be changed.
    bool editing() const;
    // Whether typing would change the text: the box is editing, or would start an edit at the first key. A screen
    // reader announces such a box as editable, read-only as it is while the card is only browsed.
    bool canStartEdit() const;
    // Writes the text into the field when the user has changed it. A text the field cannot take raises the
    // field's conversion error and leaves the card as it was.
    void updateRecord();
    // The field's value as it now stands in the card, all of it selected. An edit in progress goes on.
    void reset();
    // Whether the field takes the character at all: a text field takes every one, a number field only those a
    // number can be written with.
    bool isValidChar(QChar character) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void dataChange(int fieldIndex);
    void editingChange();
    void showField();
    void applyAlignment();
    // Asks the data source to start an edit when the card is being browsed; true when the box may then change.
    bool startEdit();
    // The bound table and field, when the data source is open and the field exists; else null and -1.
    cardstore::Table* table() const;
    int fieldIndex() const;
    const cardstore::FieldDef* field() const;
    bool isNumberField() const;
    void bindUpdater();
    void unbindUpdater();

    QPointer<TDataSource> source_;
    int updaterId_ = 0;
    QString dataField_;
    std::string fieldName_; // dataField_ as the engine names fields
    bool autoSelect_ = true;
    // Esc puts back what the card holds; pressed again straight after, it is the window's (the editor closes).
    bool escapePutBack_ = false;
};
