#include "sortedcombobox.h"

#include <QKeyEvent>
#include <QListView>
#include <QStringListModel>
#include <QStyledItemDelegate>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Gives every row of the drop-down list the combo box's item height.
class ItemHeightDelegate : public QStyledItemDelegate
{
public:
    ItemHeightDelegate(const SortedComboBox* box, QObject* parent)
        : QStyledItemDelegate(parent)
        , box_(box)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (box_->itemHeight() > 0)
            size.setHeight(box_->itemHeight());
        return size;
    }

private:
    const SortedComboBox* box_;
};

} // namespace

SortedComboBox::SortedComboBox(QWidget* parent)
    : QComboBox(parent)
{
    // The engine orders text by the root collation; English is the locale whose order is that one, whatever
    // the user's own locale is.
    collator_ = QCollator(QLocale(QLocale::English));
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    setEditable(false);
    // Plain strings are all the list holds. A hundred thousand of them cost a third of the memory, and a tenth
    // of the time to fill, that the standard item model's one object per entry would.
    entryModel_ = new QStringListModel(this);
    setModel(entryModel_);
    // A card set may hold a hundred thousand cards: the list must never measure them all.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* listView = new QListView(this);
    listView->setUniformItemSizes(true);
    listView->setItemDelegate(new ItemHeightDelegate(this, listView));
    setView(listView);
    // A drop-down list as wide as the box, eight rows high, rather than a menu over the whole screen that has to
    // measure every entry before it opens.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setMaxVisibleItems(8);
}

void SortedComboBox::setItemHeight(int height)
{
    itemHeight_ = height;
}

void SortedComboBox::showPopup()
{
    // The list shows its entries in the box's own face and colours, whatever they have been changed to.
    view()->setFont(font());
    view()->setPalette(palette());
    QComboBox::showPopup();
}

void SortedComboBox::keyPressEvent(QKeyEvent* event)
{
    // A closed list takes a typed letter as the start of an entry to go to, and an editable box types it in; with
    // Alt (or the Meta key) held the letter is a menu's access key the user missed, and either would silently
    // move the drill or change the font. Alt with an arrow key, which carries no text, still opens and closes the
    // list.
    if (event->modifiers().testAnyFlags(Qt::AltModifier | Qt::MetaModifier) && !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void SortedComboBox::setSorted(bool on)
{
    if (sorted_ == on)
        return;
    sorted_ = on;
    rebuild(entries());
}

QStringList SortedComboBox::entries() const
{
    return entryModel_->stringList();
}

void SortedComboBox::rebuild(const QStringList& texts)
{
    clear();
    addEntries(texts);
    setCurrentIndex(-1);
}

int SortedComboBox::sortedPlace(const QString& text) const
{
    // After the entries equal to it, as a sorted list box places a new line.
    int low = 0, high = count();
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (collator_.compare(itemText(middle), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void SortedComboBox::addEntry(const QString& text)
{
    addEntries(QStringList { text });
}

void SortedComboBox::addEntries(const QStringList& texts)
{
    if (texts.isEmpty())
        return;
    const int shown = currentIndex();
    if (!sorted_ && count() == 0) {
        entryModel_->setStringList(texts);
    } else if (!sorted_) {
        addItems(texts);
    } else if (count() == 0) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(texts.size());
        for (const QString& text : texts)
            keys.push_back(collator_.sortKey(text));
        std::vector<qsizetype> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(
            order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
        QStringList sorted;
        sorted.reserve(texts.size());
        for (qsizetype i : order)
            sorted.append(texts[i]);
        entryModel_->setStringList(sorted);
    } else {
        for (const QString& text : texts)
            insertItem(sortedPlace(text), text);
    }
    // Adding lines never picks one. A shown entry stays the one it was: the list's current index follows it
    // wherever an insertion moves it.
    if (shown < 0)
        setCurrentIndex(-1);
}
