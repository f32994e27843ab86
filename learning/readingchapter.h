#pragma once

#include "bookcoverage.h"
#include "readingprogress.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nttext {
class ReadingText;
class Text;
} // namespace nttext

// What the Reader shows of a chapter, computed from the text and the learner's progress.
namespace learning {

// How much of a chapter the learner can read, and the fewest more words for 90% and 95% of it: the chapter's most
// frequent words not known, whether the set has cards for them or not (as for a book).
BookCoverage chapterCoverage(const nttext::ReadingText& reading, int chapter, const LemmaKnowledge& knowledge);

// "You know 87% of the 412 words of John 3. 14 more words for 95%." The share is rounded down, so that it never
// says 95% while words are still wanting for it; the second sentence is left out once 95% is known.
std::string chapterCoverageSentence(const BookCoverage& coverage, const std::string& chapterName);

// Which words the Reader glosses, a choice kept per set.
enum class GlossMode {
    NotKnown, // the words the learner does not know yet
    RarerThan, // the words occurring fewer than rarerThan times in the New Testament, as printed readers do
    None,
};

inline constexpr int kDefaultRarerThan = 30;

struct GlossRule
{
    GlossMode mode = GlossMode::NotKnown;
    int rarerThan = kDefaultRarerThan;
};

// A gloss under the text: a lemma where it first occurs in the chapter.
struct Footnote
{
    int word = 0; // index of its first occurrence in the whole text (ReadingText::word())
    int verse = 0; // the number of that word's verse
    int lemma = 0;
};

struct ChapterGlosses
{
    // For each word of the chapter, the footnote that glosses its lemma, -1 when it is not glossed.
    std::vector<int> footnoteOfWord;
    // In the order of the words they gloss, each lemma once.
    std::vector<Footnote> footnotes;
};

ChapterGlosses chapterGlosses(const nttext::ReadingText& reading, const nttext::Text& text, int chapter,
    const LemmaKnowledge& knowledge, GlossRule rule);

// A chapter for "What to read next": how many of its words the learner knows.
struct ChapterShare
{
    int chapter = 0;
    int words = 0;
    int known = 0;
    double share = 0; // known / words
};

// Every chapter, the largest share known first; of chapters alike, the canonical order first.
std::vector<ChapterShare> chaptersByShare(const nttext::ReadingText& reading, const LemmaKnowledge& knowledge);

// The keys of the cards new in the set that name a word of the chapter, for studying the chapter's words first:
// the words most frequent in the chapter first, equals in the order of cards (the set's order).
std::vector<std::int64_t> chapterNewCards(
    const nttext::ReadingText& reading, int chapter, std::span<const LemmaCard> cards);

} // namespace learning
