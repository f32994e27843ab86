#include "readertexts.h"

#include "books.h"
#include "clock.h"
#include "reading.h"
#include "text.h"

#include <QTextCursor>

namespace readertexts {

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Between a verse's number and its first word: narrow, and never a place to break the line.
const QChar kNumberSpace(0x202F);

} // namespace

WordPlaces writeChapter(QTextCursor& cursor, const nttext::ReadingText& reading, int chapter,
    const learning::ChapterGlosses& glosses, const ChapterFormats& formats)
{
    const nttext::Chapter& shown = reading.chapter(chapter);
    const std::span<const nttext::ChapterVerse> verses = reading.verses(chapter);
    WordPlaces places;
    places.starts.reserve(static_cast<std::size_t>(shown.words));
    places.lengths.reserve(static_cast<std::size_t>(shown.words));
    auto verse = verses.begin();
    // In one edit: each insertion on its own would lay out the paragraph so far again, and a chapter is one paragraph.
    cursor.beginEditBlock();
    for (int i = 0; i < shown.words; ++i) {
        const int word = shown.firstWord + i;
        if (i > 0)
            cursor.insertText(QStringLiteral(" "), formats.text);
        if (verse != verses.end() && verse->firstWord == word) {
            cursor.insertText(QString::number(verse->number), formats.verseNumber);
            cursor.insertText(QString(kNumberSpace), formats.text);
            ++verse;
        }
        const nttext::TextWord& entry = reading.word(word);
        const std::string_view printed = reading.printed(entry);
        const std::string_view form = reading.form(entry);
        const std::size_t at = std::min(printed.find(form), printed.size());
        if (at > 0)
            cursor.insertText(utf8(printed.substr(0, at)), formats.text);
        places.starts.push_back(cursor.position());
        const QString shownForm = utf8(form);
        places.lengths.push_back(static_cast<int>(shownForm.size()));
        const bool glossed = glosses.footnoteOfWord[static_cast<std::size_t>(i)] >= 0;
        cursor.insertText(shownForm, glossed ? formats.glossed : formats.text);
        if (at + form.size() < printed.size())
            cursor.insertText(utf8(printed.substr(at + form.size())), formats.text);
    }
    cursor.endEditBlock();
    return places;
}

QString footnoteLine(const nttext::ReadingText& reading, const nttext::Text& text, const learning::Footnote& footnote)
{
    return QStringLiteral("%1 %2 — %3: %4")
        .arg(footnote.verse)
        .arg(utf8(reading.form(reading.word(footnote.word))), QString::fromStdString(text.lexicalForm(footnote.lemma)),
            QString::fromStdString(text.gloss(footnote.lemma)));
}

QString lexicalLine(const nttext::Text& text, int lemma)
{
    return QStringLiteral("%1: %2").arg(
        QString::fromStdString(text.lexicalForm(lemma)), QString::fromStdString(text.gloss(lemma)));
}

QString countsLine(const nttext::Text& text, int lemma, int book)
{
    const int all = text.count(lemma);
    const int inBook = text.bookCounts(lemma)[static_cast<std::size_t>(book)];
    return QStringLiteral("%1 %2 in the New Testament, %3 in %4")
        .arg(all)
        .arg(all == 1 ? QStringLiteral("time") : QStringLiteral("times"))
        .arg(inBook)
        .arg(utf8(nttext::bookNames()[static_cast<std::size_t>(book)].name));
}

QString dueText(std::int64_t dueMs, std::int64_t nowMs, int utcOffsetSeconds)
{
    const std::int64_t days
        = (learning::localDayStartMs(dueMs, utcOffsetSeconds) - learning::localDayStartMs(nowMs, utcOffsetSeconds))
        / learning::kDayMs;
    if (days == 0)
        return QStringLiteral("due today");
    if (days == 1)
        return QStringLiteral("due tomorrow");
    if (days == -1)
        return QStringLiteral("due yesterday");
    return days > 0 ? QStringLiteral("due in %1 days").arg(days) : QStringLiteral("due %1 days ago").arg(-days);
}

QString progressLine(const learning::LemmaProgress& progress, std::int64_t nowMs, int utcOffsetSeconds)
{
    const QString due = dueText(progress.dueMs, nowMs, utcOffsetSeconds);
    switch (progress.progress) {
    case learning::WordProgress::NoCard:
        return QStringLiteral("Not in this set");
    case learning::WordProgress::New:
        return QStringLiteral("In this set: new");
    case learning::WordProgress::Learning:
        return QStringLiteral("In this set: learning, %1").arg(due);
    case learning::WordProgress::Review:
        return QStringLiteral("In this set: in review, recall below 90%, %1").arg(due);
    case learning::WordProgress::Known:
        return QStringLiteral("In this set: known, %1").arg(due);
    }
    return {};
}

} // namespace readertexts
