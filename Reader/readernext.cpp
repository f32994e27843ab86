#include "books.h"
#include "progresstext.h"
#include "reading.h"
#include "readingcards.h"
#include "table.h"
#include "tdatasource.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QHeaderView>

#include <algorithm>

// What to read next: the chapters ranked by the share of their words the learner knows, with that share and their
// length, the chapters marked as read shown so; and marking a chapter as read, which the set keeps.

namespace {

enum Column { kChapterColumn, kKnownColumn, kWordsColumn, kReadColumn };

const QString kRead = QStringLiteral("read");

} // namespace

bool TReaderForm::isRead(int chapter) const
{
    const cardstore::ReadingPlace place = learning::storedPlace(*reading_, { chapter, 0 });
    return std::find(state_.read.begin(), state_.read.end(), place) != state_.read.end();
}

void TReaderForm::showNext()
{
    if (!reading_ || chapter_ < 0)
        return;
    fillNext();
    ui->Pages->setCurrentWidget(ui->NextPage);
    ui->NextList->setFocus();
    announce(ui->NextLabel->text());
}

void TReaderForm::fillNext()
{
    const std::vector<learning::ChapterShare> ranked = learning::chaptersByShare(*reading_, knowledge_);
    ui->NextList->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(ranked.size()));
    QTreeWidgetItem* current = nullptr;
    for (const learning::ChapterShare& share : ranked) {
        const bool read = isRead(share.chapter);
        auto* item = new QTreeWidgetItem({ QString::fromStdString(reading_->chapterName(share.chapter)),
            QString::fromStdString(learning::percentText(share.share)),
            QString::fromStdString(learning::groupedText(share.words)), read ? kRead : QString() });
        item->setData(kChapterColumn, Qt::UserRole, share.chapter);
        item->setTextAlignment(kKnownColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(kWordsColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (read)
            for (int column = 0; column < item->columnCount(); ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        if (share.chapter == chapter_)
            current = item;
        items.append(item);
    }
    ui->NextList->addTopLevelItems(items);
    ui->NextList->header()->resizeSections(QHeaderView::ResizeToContents);
    ui->NextList->setCurrentItem(current ? current : ui->NextList->topLevelItem(0));
}

void TReaderForm::openChosenNext()
{
    const QTreeWidgetItem* chosen = ui->NextList->currentItem();
    if (!chosen)
        return;
    showReading();
    openChapter(chosen->data(kChapterColumn, Qt::UserRole).toInt());
}

void TReaderForm::showReading()
{
    ui->Pages->setCurrentWidget(ui->ReadingPage);
    ui->ChapterView->setFocus();
}

void TReaderForm::markRead()
{
    if (!reading_ || chapter_ < 0)
        return;
    // In the list, the chapter chosen there; else the chapter on show.
    QTreeWidgetItem* item = ui->Pages->currentWidget() == ui->NextPage ? ui->NextList->currentItem() : nullptr;
    const int chapter = item ? item->data(kChapterColumn, Qt::UserRole).toInt() : chapter_;
    const bool read = !isRead(chapter);
    const cardstore::ReadingPlace place = learning::storedPlace(*reading_, { chapter, 0 });
    cardstore::Table& table = *source_->dataSet();
    if (stateReadable_ && table.reading().canSave())
        table.reading().markRead(place.book, place.chapter, read);
    if (read)
        state_.read.push_back(place);
    else
        std::erase(state_.read, place);
    const QString name = QString::fromStdString(reading_->chapterName(chapter));
    if (item) {
        item->setText(kReadColumn, read ? kRead : QString());
        for (int column = 0; column < item->columnCount(); ++column)
            item->setForeground(column, read ? palette().brush(QPalette::Disabled, QPalette::Text) : QBrush());
    }
    if (chapter == chapter_)
        showCoverage();
    announce(
        read ? QStringLiteral("%1 marked as read").arg(name) : QStringLiteral("%1 no longer marked as read").arg(name));
}
