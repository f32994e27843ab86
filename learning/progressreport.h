#pragma once

#include "bookcoverage.h"
#include "knownhistory.h"
#include "progress.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nttext {
class Text;
}

namespace learning {

class HistoryCount;
class StudySet;

// How much of the Greek New Testament's running words the known words make up.
struct KnownWords
{
    int words = 0;
    double coverage = 0; // of kNewTestamentWords, at most 1
    // A set of one's own: its known cards that name a word (two may name one). None for the built-in set, whose
    // every card is a word.
    std::optional<int> cardsOfWords;
};

// The figures the Progress window shows, and karte-progress prints, for one set; known words over time come apart
// (knownHistory), since they are rebuilt from the whole log and the figures need not wait for them.
struct ProgressReport
{
    SetProgress figures;
    // The built-in set counts its cards' frequencies. A set of one's own counts the text's occurrences of the
    // lemmas its cards name, each lemma once, whatever its own frequencies say; none when no card names one.
    std::optional<KnownWords> knownWords;
    std::string bookName; // the book the set is studied by, empty for all words
    std::optional<BookCoverage> book;
};

// text: the one the set was read with (null without the companion file: no lemmas and no books then).
ProgressReport progressReport(const StudySet& set, const nttext::Text* text, bool builtInSet);
// The known words in a sentence, a set of one's own's telling its known cards apart from the words they name; ""
// when the report counts no words.
std::string knownWordsText(const ProgressReport& report);
// Known words over time, counted as the report's knownWords counts them; where the report has no knownWords, the
// known cards, whose coverage then means nothing.
std::vector<HistoryPoint> knownHistory(const StudySet& set, const nttext::Text* text, bool builtInSet);
// The same, to be counted a part at a time (HistoryCount::step()).
std::unique_ptr<HistoryCount> knownHistoryCount(const StudySet& set, const nttext::Text* text, bool builtInSet);

} // namespace learning
