#include "tdbedit.h"

#include "accessiblelineedit.h"
#include "errorbox.h"
#include "table.h"
#include "tdatasource.h"
#include "textforms.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <exception>
#include <utility>

namespace {

// The longest text a line edit takes at all; a box on a number field has no limit of its own.
constexpr int kNoMaximumLength = 32767;

// A character typed, as opposed to a control key: with Ctrl held (and not AltGr, which some platforms report as
// Ctrl+Alt) a key is a command such as Ctrl+C, whatever text the platform attaches to it.
bool isTyped(const QString& text, Qt::KeyboardModifiers modifiers)
{
    if (text.isEmpty())
        return false;
    if ((modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier))
        || modifiers.testFlag(Qt::MetaModifier))
        return false;
    for (char32_t character : text.toUcs4())
        if (!QChar::isPrint(character))
            return false;
    return true;
}

// The keys that change the text without typing a character: they start an edit as typing does.
bool changesText(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Insert:
        return modifiers.testFlag(Qt::ShiftModifier); // paste
    case Qt::Key_V:
    case Qt::Key_X:
        return modifiers.testFlag(Qt::ControlModifier);
    default:
        return false;
    }
}

QString withShortcut(const QString& caption, QKeySequence::StandardKey key)
{
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    return shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut;
}

class AccessibleDBEdit : public karte::AccessibleLineEdit
{
public:
    explicit AccessibleDBEdit(TDBEdit* edit)
        : AccessibleLineEdit(edit)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = AccessibleLineEdit::state();
        if (static_cast<const TDBEdit*>(lineEdit())->canStartEdit()) {
            state.readOnly = false;
            state.editable = true;
        }
        return state;
    }
};

QAccessibleInterface* dbEditInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(TDBEdit::staticMetaObject.className()))
        return new AccessibleDBEdit(static_cast<TDBEdit*>(object));
    return nullptr;
}

} // namespace

TDBEdit::TDBEdit(QWidget* parent)
    : QLineEdit(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(dbEditInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    // A drop would change the text behind the data source's back; text comes in by typing and pasting only.
    setAcceptDrops(false);
    setReadOnly(true);
}

TDBEdit::~TDBEdit()
{
    unbindUpdater();
}

void TDBEdit::setDataSource(TDataSource* source)
{
    if (source_ == source)
        return;
    if (source_) {
        disconnect(source_, nullptr, this, nullptr);
        unbindUpdater();
    }
    source_ = source;
    if (source_) {
        connect(source_, &TDataSource::dataChanged, this, &TDBEdit::dataChange);
        connect(source_, &TDataSource::stateChanged, this, [this] {
            if (!source_->active())
                showField();
            editingChange();
        });
        bindUpdater();
    }
    showField();
    editingChange();
}

void TDBEdit::bindUpdater()
{
    updaterId_ = source_->addRecordUpdater([this] { updateRecord(); });
}

void TDBEdit::unbindUpdater()
{
    if (source_ && updaterId_)
        source_->removeRecordUpdater(updaterId_);
    updaterId_ = 0;
}

void TDBEdit::setDataField(const QString& name)
{
    dataField_ = name;
    fieldName_ = name.toStdString();
    showField();
    editingChange();
}

cardstore::Table* TDBEdit::table() const
{
    return source_ && source_->active() ? source_->dataSet() : nullptr;
}

int TDBEdit::fieldIndex() const
{
    const cardstore::Table* bound = table();
    return bound ? bound->fieldIndex(fieldName_) : -1;
}

const cardstore::FieldDef* TDBEdit::field() const
{
    const int index = fieldIndex();
    return index >= 0 ? &table()->fieldDefs()[static_cast<std::size_t>(index)] : nullptr;
}

bool TDBEdit::isNumberField() const
{
    const cardstore::FieldDef* bound = field();
    return bound && bound->type != cardstore::FieldType::Text;
}

bool TDBEdit::editing() const
{
    const cardstore::Table* bound = table();
    if (!bound || fieldIndex() < 0 || !bound->canModify())
        return false;
    return bound->state() == cardstore::DataSetState::Edit || bound->state() == cardstore::DataSetState::Insert;
}

bool TDBEdit::canStartEdit() const
{
    const cardstore::Table* bound = table();
    if (!bound || fieldIndex() < 0)
        return false;
    return editing() || (bound->canModify() && bound->state() == cardstore::DataSetState::Browse);
}

bool TDBEdit::startEdit()
{
    cardstore::Table* bound = table();
    if (!bound || fieldIndex() < 0)
        return false;
    // On an empty set the engine starts a new card instead.
    if (bound->canModify() && bound->state() == cardstore::DataSetState::Browse)
        bound->edit();
    return editing();
}

bool TDBEdit::isValidChar(QChar character) const
{
    const cardstore::FieldDef* bound = field();
    if (!bound)
        return true;
    const char16_t code = character.unicode();
    const bool digitOrSign = (code >= u'0' && code <= u'9') || code == u'+' || code == u'-';
    switch (bound->type) {
    case cardstore::FieldType::Text:
        return true;
    case cardstore::FieldType::Integer:
        return digitOrSign;
    case cardstore::FieldType::Float:
        return digitOrSign || code == u'E' || code == u'e'
            || code == static_cast<unsigned char>(cardstore::decimalSeparator());
    }
    return true;
}

void TDBEdit::dataChange(int changedField)
{
    if (changedField < 0 || changedField == fieldIndex())
        showField();
    // The engine tells of a new card, a post and a cancel as a change of the record, not of its state.
    editingChange();
}

void TDBEdit::editingChange()
{
    setReadOnly(!editing());
}

void TDBEdit::showField()
{
    const cardstore::FieldDef* bound = field();
    if (bound) {
        // The limit comes before the text: a line edit cuts a text that is longer than its limit.
        const bool sized = bound->type == cardstore::FieldType::Text && bound->size > 0;
        setMaxLength(sized ? bound->size : kNoMaximumLength);
        // For the fields of a card the edit text and the display text are the same text.
        setText(QString::fromStdString(table()->fieldText(fieldIndex())));
    } else {
        setText(QString());
    }
    setModified(false);
    applyAlignment();
}

void TDBEdit::applyAlignment()
{
    // A number is shown at the right edge, as in a column of figures, except while the user is writing it.
    const bool right = isNumberField() && !hasFocus();
    setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

void TDBEdit::updateRecord()
{
    if (!isModified())
        return;
    cardstore::Table* bound = table();
    const int index = fieldIndex();
    if (!bound || index < 0)
        return;
    // The field's change notification shows the text as the field now holds it.
    bound->setFieldText(index, text().toStdString());
    setModified(false);
}

void TDBEdit::reset()
{
    showField();
    selectAll();
}

void TDBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (std::exchange(escapePutBack_, false)) {
            event->ignore();
            return;
        }
        reset();
        escapePutBack_ = true;
        event->accept();
        return;
    }
    escapePutBack_ = false;
    const QString typed = event->text();
    bool proceed = true;
    karte::guarded([&] {
        if (isTyped(typed, event->modifiers())) {
            for (QChar character : typed) {
                if (!isValidChar(character)) {
                    QApplication::beep();
                    proceed = false;
                    return;
                }
            }
            startEdit();
        } else if (changesText(*event)) {
            startEdit();
        }
    });
    if (!proceed) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    for (QChar character : committed) {
        if (!isValidChar(character)) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    if (!committed.isEmpty() || !event->preeditString().isEmpty())
        karte::guarded([this] { startEdit(); });
    QLineEdit::inputMethodEvent(event);
}

void TDBEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection where the platform has one.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()
        && !clipboard->text(QClipboard::Selection).isEmpty())
        karte::guarded([this] { startEdit(); });
    QLineEdit::mouseReleaseEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    const bool returningToWindow = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    if (autoSelect_ && reason != Qt::MouseFocusReason && !returningToWindow)
        selectAll();
    else if (!autoSelect_
        && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason))
        deselect();
    applyAlignment();
}

void TDBEdit::focusOutEvent(QFocusEvent* event)
{
    escapePutBack_ = false;
    // Another window coming to the front, or a menu opening, is no leaving of the box.
    const Qt::FocusReason reason = event->reason();
    const bool toAnotherControl = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    std::exception_ptr failure;
    if (toAnotherControl) {
        try {
            updateRecord();
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
    }
    QLineEdit::focusOutEvent(event);
    applyAlignment();
    if (!failure)
        return;
    // The focus cannot be taken back while it is still on its way to the other control: that happens once the
    // move is complete, then the error is reported over the box with its text selected for mending.
    QMetaObject::invokeMethod(
        this,
        [this, failure] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
            karte::guarded([&] { std::rethrow_exception(failure); });
        },
        Qt::QueuedConnection);
}

void TDBEdit::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu offers cutting and pasting wherever typing could change the card; choosing them starts the edit.
    const bool changeable = canStartEdit();
    const bool selected = hasSelectedText() && echoMode() == Normal;
    // Some platforms clear the selection while the menu has the focus; the chosen action works on the text that
    // was selected when the menu opened.
    const int selectionStart = this->selectionStart();
    const int selectionLength = this->selectionLength();
    auto restoreSelection = [this, selectionStart, selectionLength] {
        if (selectionLength > 0)
            setSelection(selectionStart, selectionLength);
    };
    QMenu menu(this);
    QAction* undoAction = menu.addAction(withShortcut(tr("&Undo"), QKeySequence::Undo));
    undoAction->setEnabled(!isReadOnly() && isUndoAvailable());
    connect(undoAction, &QAction::triggered, this, [this] { undo(); });
    menu.addSeparator();
    QAction* cutAction = menu.addAction(withShortcut(tr("Cu&t"), QKeySequence::Cut));
    cutAction->setEnabled(changeable && selected);
    karte::connectGuarded(cutAction, &QAction::triggered, this, [this, restoreSelection] {
        if (startEdit()) {
            restoreSelection();
            cut();
        }
    });
    QAction* copyAction = menu.addAction(withShortcut(tr("&Copy"), QKeySequence::Copy));
    copyAction->setEnabled(selected);
    connect(copyAction, &QAction::triggered, this, [this, restoreSelection] {
        restoreSelection();
        copy();
    });
    QAction* pasteAction = menu.addAction(withShortcut(tr("&Paste"), QKeySequence::Paste));
    pasteAction->setEnabled(changeable && !QGuiApplication::clipboard()->text().isEmpty());
    karte::connectGuarded(pasteAction, &QAction::triggered, this, [this, restoreSelection] {
        if (startEdit()) {
            restoreSelection();
            paste();
        }
    });
    QAction* deleteAction = menu.addAction(tr("&Delete"));
    deleteAction->setEnabled(changeable && selectionLength > 0);
    karte::connectGuarded(deleteAction, &QAction::triggered, this, [this, restoreSelection] {
        if (startEdit()) {
            restoreSelection();
            del();
        }
    });
    menu.addSeparator();
    QAction* selectAllAction = menu.addAction(withShortcut(tr("Select &All"), QKeySequence::SelectAll));
    selectAllAction->setEnabled(!text().isEmpty());
    connect(selectAllAction, &QAction::triggered, this, [this] { selectAll(); });
    menu.exec(event->globalPos());
    event->accept();
}
