#pragma once

#include "readingchapter.h"
#include "readingprogress.h"

#include <QString>
#include <QTextCharFormat>

#include <cstdint>
#include <vector>

class QTextCursor;
namespace nttext {
class ReadingText;
class Text;
} // namespace nttext

// What the Reader writes of the text, the same on the screen and in a PDF.
namespace readertexts {

// How the running text looks: its words, the words glossed under it, and the verse numbers.
struct ChapterFormats
{
    QTextCharFormat text;
    QTextCharFormat glossed;
    QTextCharFormat verseNumber;
};

// Where a chapter's words lie in the document it was written into, by their place in the chapter: the word alone,
// without the punctuation printed with it.
struct WordPlaces
{
    std::vector<int> starts;
    std::vector<int> lengths;
};

// Writes the chapter at the cursor as running text: each verse's number raised before its first word (kept with it),
// the words as the text prints them, the glossed ones (those glosses marks) in their own format.
WordPlaces writeChapter(QTextCursor& cursor, const nttext::ReadingText& reading, int chapter,
    const learning::ChapterGlosses& glosses, const ChapterFormats& formats);

// A gloss under the text: "5 κατέλαβεν — καταλαμβάνω: seize, overtake; grasp".
QString footnoteLine(const nttext::ReadingText& reading, const nttext::Text& text, const learning::Footnote& footnote);

// What the panel says of a word of the text, line by line: its lexical form and gloss, its parsing in words, its
// counts, and the learner's progress of it.
QString lexicalLine(const nttext::Text& text, int lemma);
// "15 times in the New Testament, 2 in John"; book is the canonical place.
QString countsLine(const nttext::Text& text, int lemma, int book);
// "In this set: new", "known, due in 12 days", "not in this set".
QString progressLine(const learning::LemmaProgress& progress, std::int64_t nowMs, int utcOffsetSeconds);

// "due today", "due tomorrow", "due in 12 days", "due yesterday", "due 3 days ago", in the learner's local days.
QString dueText(std::int64_t dueMs, std::int64_t nowMs, int utcOffsetSeconds);

} // namespace readertexts
