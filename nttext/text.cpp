#include "text.h"

#include "parse.h"
#include "spelling.h"
#include "textfile.h"

#include <algorithm>

namespace nttext {

Text Text::load(const std::string& path)
{
    return Text(readTextFile(path));
}

Text::Text(TextData data)
    : books_(std::move(data.books))
    , lemmas_(std::move(data.lemmas))
    , words_(std::move(data.words))
    , studyOf_(lemmas_.size(), -1)
{
    // A text made without its lemmas' words (as a test may make one) answers with empty ones.
    words_.resize(lemmas_.size());
    parses_.reserve(data.parses.size());
    for (ParseRecord& record : data.parses) {
        parseIds_.emplace(record.partOfSpeech + record.code, static_cast<int>(parses_.size()));
        std::string words = parseInWords(record.partOfSpeech, record.code);
        parses_.push_back({ std::move(record.partOfSpeech), std::move(record.code), std::move(words) });
    }

    byLemma_.reserve(lemmas_.size());
    byFoldedLemma_.reserve(lemmas_.size());
    for (int id = 0; id < lemmaCount(); ++id) {
        const LemmaRecord& record = lemmas_[static_cast<std::size_t>(id)];
        byLemma_.emplace(record.lemma, id);
        // Lemmas come most frequent first, so the first to claim a folded spelling keeps it.
        byFoldedLemma_.emplace(formKey(record.lemma), id);
        for (int book = 0; book < kBookCount; ++book)
            if (int count = record.books[static_cast<std::size_t>(book)])
                bookLemmas_[static_cast<std::size_t>(book)].push_back({ id, count });
    }
    for (auto& lemmas : bookLemmas_)
        std::stable_sort(
            lemmas.begin(), lemmas.end(), [](const LemmaCount& a, const LemmaCount& b) { return a.count > b.count; });

    studies_.reserve(data.studies.size());
    for (StudyRecord& record : data.studies) {
        Study study;
        for (const ExampleRecord& example : record.examples) {
            VerseRecord& verse = data.verses[static_cast<std::size_t>(example.verse)];
            study.examples.push_back({ verseReference(verse.book, verse.chapter, verse.verse), verse.book,
                verse.chapter, verse.verse, verse.text, example.positions });
        }
        study.forms = std::move(record.forms);
        studyOf_[static_cast<std::size_t>(record.lemma)] = static_cast<int>(studies_.size());
        studies_.push_back(std::move(study));
    }

    forms_.reserve(data.forms.size());
    for (FormRecord& form : data.forms)
        forms_.emplace(std::move(form.key), std::move(form.lemmas));
}

std::optional<int> Text::findLemma(std::string_view lemma) const
{
    auto found = byLemma_.find(std::string(lemma));
    if (found == byLemma_.end())
        return std::nullopt;
    return found->second;
}

std::optional<int> Text::lemmaOfCard(std::string_view greekSide) const
{
    std::string key = lemmaKey(greekSide);
    if (std::optional<int> exact = findLemma(key))
        return exact;
    auto found = byFoldedLemma_.find(formKey(key));
    if (found == byFoldedLemma_.end())
        return std::nullopt;
    return found->second;
}

const Study* Text::study(int id) const
{
    if (id < 0 || id >= lemmaCount())
        return nullptr;
    int index = studyOf_[static_cast<std::size_t>(id)];
    return index < 0 ? nullptr : &studies_[static_cast<std::size_t>(index)];
}

std::optional<int> Text::findParse(std::string_view partOfSpeech, std::string_view code) const
{
    std::string key;
    key.reserve(partOfSpeech.size() + code.size());
    key.append(partOfSpeech).append(code);
    auto found = parseIds_.find(key);
    if (found == parseIds_.end())
        return std::nullopt;
    return found->second;
}

std::vector<int> Text::lemmasOfForm(std::string_view form) const
{
    auto found = forms_.find(formKey(form));
    return found == forms_.end() ? std::vector<int>() : found->second;
}

const std::unordered_map<std::string, std::vector<int>>& Text::lemmasBySpelling() const
{
    std::call_once(spellings_->once, [this] {
        auto& bySpelling = spellings_->lemmas;
        for (const auto& [key, lemmas] : forms_) {
            std::vector<int>& found = bySpelling[searchSpelling(key)];
            found.insert(found.end(), lemmas.begin(), lemmas.end());
        }
        for (auto& [spelling, lemmas] : bySpelling) {
            std::sort(lemmas.begin(), lemmas.end());
            lemmas.erase(std::unique(lemmas.begin(), lemmas.end()), lemmas.end());
        }
    });
    return spellings_->lemmas;
}

Coverage Text::coverage(int book, const std::function<bool(int lemma)>& isKnown) const
{
    Coverage coverage;
    coverage.words = books_[static_cast<std::size_t>(book)].words;
    for (const LemmaCount& entry : bookLemmas(book))
        if (isKnown(entry.lemma))
            coverage.known += entry.count;
    return coverage;
}

std::string describeForm(const Form& form)
{
    std::string line = form.text + " — ";
    if (form.parses.size() <= 1) {
        std::string parse
            = form.parses.empty() ? std::string() : readableParse(form.parses[0].partOfSpeech, form.parses[0].code);
        return line + (parse.empty() ? "" : parse + ", ") + std::to_string(form.count) + "×";
    }
    for (std::size_t i = 0; i < form.parses.size(); ++i) {
        const FormParse& parse = form.parses[i];
        line += (i ? "; " : "") + readableParse(parse.partOfSpeech, parse.code) + ", " + std::to_string(parse.count)
            + "×";
    }
    return line;
}

std::string verseReference(int book, int chapter, int verse)
{
    return std::string(bookNames()[static_cast<std::size_t>(book)].name) + " " + std::to_string(chapter) + ":"
        + std::to_string(verse);
}

} // namespace nttext
