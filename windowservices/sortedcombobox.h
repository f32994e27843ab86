#pragma once

#include <QCollator>
#include <QComboBox>
#include <QStringList>

class QStringListModel;

// A pick-only drop-down list that can keep its entries in alphabetical order, case ignored, as the card engine
// orders text. Entries added from code never choose the shown entry, and turning the order on or off rebuilds
// the list without one; only setCurrentIndex does. None of this counts as the user's choice: that is the
// activated() signal alone. A letter typed with Alt held is never looked up nor typed into the box: it belongs to
// the window's menus.
class SortedComboBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(bool sorted READ sorted WRITE setSorted)
    Q_PROPERTY(int itemHeight READ itemHeight WRITE setItemHeight)

public:
    explicit SortedComboBox(QWidget* parent = nullptr);

    bool sorted() const { return sorted_; }
    // On: re-sorts the present entries at once and sorts every later one into its place. Off: keeps the present
    // order and appends later entries.
    void setSorted(bool on);

    // Height of one row of the drop-down list, in pixels.
    int itemHeight() const { return itemHeight_; }
    void setItemHeight(int height);

    void addEntry(const QString& text);
    // Adds many entries at once, in their order or, when sorted, each in its sorted place.
    void addEntries(const QStringList& texts);
    QStringList entries() const;

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild(const QStringList& texts);
    int sortedPlace(const QString& text) const;

    QStringListModel* entryModel_ = nullptr;
    QCollator collator_;
    bool sorted_ = false;
    int itemHeight_ = 0;
};
