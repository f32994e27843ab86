#pragma once

#include "textdata.h"

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nttext {

// A verse in which a lemma occurs.
struct Example
{
    std::string reference; // "John 1:1", "1 John 4:8"
    int book = 0; // canonical place, 0 = Matthew
    int chapter = 0;
    int verse = 0;
    std::string text; // its words joined with single spaces, punctuation as printed
    std::vector<int> positions; // the words (0 = first, counting by spaces) that are the lemma, for bold
};

// What the study window shows for a lemma of the built-in set: its two shortest verses of at least five
// words and its three commonest forms.
struct Study
{
    std::vector<Example> examples;
    std::vector<Form> forms;
};

// A parsing the text uses, with its words ("aorist active indicative, third person singular").
struct Parse
{
    std::string partOfSpeech;
    std::string code;
    std::string words;
};

struct LemmaCount
{
    int lemma = 0; // id, see Text::lemma()
    int count = 0;
};

// How a word names a lemma of the text, the surest way first.
enum class WordMatch {
    Lemma, // it spells the lemma (case, grave for acute, and a bracketed letter aside: οὕτως and οὕτω are οὕτω(ς))
    Form, // it spells an inflected form of the lemma, accents right
    LemmaLetters, // it has the lemma's letters, accents, breathings or iota subscripts aside (θεος, Ιησους, αδης)
    FormLetters, // it has the letters of one of the lemma's forms (λογον, αδου, τη)
    LemmaSpelling, // it is spelled as the lemma in Latin letters or their way (logos, hades)
    FormSpelling, // it is spelled as one of the lemma's forms so (logon, hadou)
};

struct LemmaMatch
{
    int lemma = 0;
    WordMatch how = WordMatch::Lemma;
    // Through one of the lemma's forms rather than the lemma itself.
    bool throughForm() const
    {
        return how == WordMatch::Form || how == WordMatch::FormLetters || how == WordMatch::FormSpelling;
    }
};

struct Coverage
{
    int known = 0; // running words whose lemma the learner knows
    int words = 0; // all running words
};

// The Greek New Testament as the companion file gives it, read once and answered from memory. Lemmas are
// known by an id: their place in the frequency order, 0 = ὁ.
class Text
{
public:
    // Reads the companion file; throws TextFileError when it is missing, foreign or damaged.
    static Text load(const std::string& path);
    explicit Text(TextData data);

    // The 27 books in canonical order, with their running words.
    const std::vector<Book>& books() const { return books_; }

    int lemmaCount() const { return static_cast<int>(lemmas_.size()); }
    const std::string& lemma(int id) const { return lemmas_[static_cast<std::size_t>(id)].lemma; }
    int count(int id) const { return lemmas_[static_cast<std::size_t>(id)].count; }
    const std::array<int, kBookCount>& bookCounts(int id) const { return lemmas_[static_cast<std::size_t>(id)].books; }

    // The lemma spelled exactly so (NFC).
    std::optional<int> findLemma(std::string_view lemma) const;

    // The lemmas a word may name, the surest first (see WordMatch): the lemma it spells, a form of the text it
    // spells, then the same without accents, breathings and iota subscripts, then in Latin letters; within a way of
    // matching, the lemma a form most often stands for first, else the most frequent lemma first. take is called
    // with each lemma once, until it returns false.
    void visitLemmasOfWord(std::string_view word, const std::function<bool(const LemmaMatch&)>& take) const;
    // The lemma a card's Greek side names (lemmaKey): the first the search would give for it (visitLemmasOfWord), so
    // that "λογος, -ου, ὁ", "Ιησους", "οὕτως" and "δεῖ" (a form of δέω) all find theirs.
    std::optional<LemmaMatch> matchCard(std::string_view greekSide) const;
    // The same for a word that is the lemmaKey of a side already.
    std::optional<LemmaMatch> matchWord(std::string_view word) const;
    std::optional<int> lemmaOfCard(std::string_view greekSide) const;
    // Works out now what the forgiving matches need, rather than at their first use.
    void prepareForgivingMatches() const { spellings(); }

    // Examples and forms, for the lemmas of the built-in set; nullptr for the others.
    const Study* study(int id) const;

    // Every lemma's gloss, the form a dictionary lists it by ("λόγος, -ου, ὁ", "ἀγαθός, -ή, -όν", "λέγω") and every
    // form the text has of it, commonest first.
    const std::string& gloss(int id) const { return words_[static_cast<std::size_t>(id)].gloss; }
    const std::string& lexicalForm(int id) const { return words_[static_cast<std::size_t>(id)].lexicalForm; }
    const std::vector<Form>& forms(int id) const { return words_[static_cast<std::size_t>(id)].forms; }

    // The parsings the text uses, each with its words; ids are places in the table, which the file keeps in order
    // of part of speech and code.
    int parseCount() const { return static_cast<int>(parses_.size()); }
    const Parse& parse(int parseId) const { return parses_[static_cast<std::size_t>(parseId)]; }
    std::optional<int> findParse(std::string_view partOfSpeech, std::string_view code) const;

    // The lemmas an inflected form belongs to, the one it most often stands for first; accents must be right
    // but case, grave for acute and an enclitic's extra accent do not matter. Empty when it is no form.
    std::vector<int> lemmasOfForm(std::string_view form) const;

    // Every lemma that occurs in the book with its count, most frequent first; the counts sum to the book's
    // running words.
    const std::vector<LemmaCount>& bookLemmas(int book) const { return bookLemmas_[static_cast<std::size_t>(book)]; }
    // How much of a book's running text the learner can read: words of other lemmas count as unknown.
    Coverage coverage(int book, const std::function<bool(int lemma)>& isKnown) const;

private:
    std::vector<Book> books_;
    std::vector<LemmaRecord> lemmas_;
    std::unordered_map<std::string, int> byLemma_;
    std::unordered_map<std::string, int> byFoldedLemma_;
    std::vector<LemmaWords> words_; // by lemma id
    std::vector<Parse> parses_;
    std::unordered_map<std::string, int> parseIds_; // part of speech and code run together ("V-3AAI-S--")
    std::vector<int> studyOf_; // by lemma id; -1 when it has none
    std::vector<Study> studies_;
    std::unordered_map<std::string, std::vector<int>> forms_;
    // The lemmas and forms by their letters and by their Latin spelling, for the matches that forgive; worked out on
    // first use, once for every search and card.
    struct Named
    {
        std::vector<int> lemmas; // spelled so
        std::vector<int> forms; // with a form spelled so
    };
    struct Spellings
    {
        std::once_flag once;
        std::unordered_map<std::string, Named> letters, latin;
    };
    const Spellings& spellings() const;
    std::unique_ptr<Spellings> spellings_ = std::make_unique<Spellings>();
    std::array<std::vector<LemmaCount>, kBookCount> bookLemmas_;
};

// "λόγον — accusative singular, 130×"; a form with several parsings lists each with its count:
// "ἔργα — accusative plural, 97×; nominative plural, 72×".
std::string describeForm(const Form& form);

// "John 1:1"; book is the canonical place.
std::string verseReference(int book, int chapter, int verse);

} // namespace nttext
