// karte-text WORD...: prints what the program knows of a lemma of the Greek New Testament, for scripts and for
// checking: its lexical form, gloss, counts in the text and in each book, and every form the text has of it with
// its parsings. WORD is the lemma (λόγος), the lemma with other case or accents (Λόγος, λόγὸς), or a form of the
// text (λόγον), which gives each lemma it is a form of. karte-text --all prints one line a lemma, most frequent
// first: lemma, lexical form, gloss and count, separated by tabs.
#include "errors.h"
#include "location.h"
#include "spelling.h"
#include "text.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage
    = "usage: karte-text WORD...\n"
      "       karte-text --all\n"
      "  prints the lexical form, gloss, counts and forms of the lemma WORD names (a lemma or a form of the text),\n"
      "  or with --all one line a lemma: lemma, lexical form, gloss and count, separated by tabs\n";

// The lemma the word names; where it names one through a form, every lemma that form belongs to, as the search
// would offer them.
std::vector<int> lemmasOf(const nttext::Text& text, const std::string& word)
{
    std::vector<int> lemmas;
    const std::string key = nttext::lemmaKey(word);
    if (key.empty())
        return lemmas;
    std::optional<nttext::WordMatch> how;
    text.visitLemmasOfWord(key, [&](const nttext::LemmaMatch& match) {
        if (how && *how != match.how)
            return false;
        how = match.how;
        lemmas.push_back(match.lemma);
        return match.throughForm();
    });
    return lemmas;
}

void print(const nttext::Text& text, int lemma)
{
    std::cout << "lemma: " << text.lemma(lemma) << "\n"
              << "lexical form: " << text.lexicalForm(lemma) << "\n"
              << "gloss: " << text.gloss(lemma) << "\n"
              << "count: " << text.count(lemma) << " (rank " << lemma + 1 << " of " << text.lemmaCount() << ")\n"
              << "books:";
    const char* separator = " ";
    for (int book = 0; book < nttext::kBookCount; ++book) {
        if (int count = text.bookCounts(lemma)[static_cast<std::size_t>(book)]) {
            std::cout << separator << text.books()[static_cast<std::size_t>(book)].name << " " << count;
            separator = ", ";
        }
    }
    std::cout << "\nforms: " << text.forms(lemma).size() << "\n";
    for (const nttext::Form& form : text.forms(lemma))
        std::cout << "  " << nttext::describeForm(form) << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || (words[0].starts_with("-") && (words[0] != "--all" || words.size() != 1))) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        const nttext::Text text = nttext::Text::load(nttext::findTextFile());
        if (words[0] == "--all") {
            for (int lemma = 0; lemma < text.lemmaCount(); ++lemma)
                std::cout << text.lemma(lemma) << "\t" << text.lexicalForm(lemma) << "\t" << text.gloss(lemma) << "\t"
                          << text.count(lemma) << "\n";
            return 0;
        }
        int status = 0;
        bool first = true;
        for (const std::string& word : words) {
            const std::vector<int> lemmas = lemmasOf(text, word);
            if (lemmas.empty()) {
                std::cerr << "karte-text: " << word << " is neither a lemma nor a form of the text\n";
                status = 1;
            }
            for (int lemma : lemmas) {
                std::cout << (first ? "" : "\n");
                print(text, lemma);
                first = false;
            }
        }
        return status;
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-text: " << error.what() << "\n";
        return 1;
    }
}
