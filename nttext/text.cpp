#include "text.h"

#include "parse.h"
#include "spelling.h"
#include "textfile.h"

#include <algorithm>
#include <unordered_set>

namespace nttext {

namespace {

// The spellings a lemma stands for: the text writes a letter that comes and goes in brackets, so that οὕτω(ς) is
// both οὕτως and οὕτω.
std::vector<std::string> lemmaSpellings(const std::string& lemma)
{
    const std::size_t open = lemma.find('(');
    const std::size_t close = open == std::string::npos ? open : lemma.find(')', open);
    if (close == std::string::npos)
        return { lemma };
    const std::string before = lemma.substr(0, open);
    const std::string after = lemma.substr(close + 1);
    return { lemma, before + lemma.substr(open + 1, close - open - 1) + after, before + after };
}

void addLemmas(std::vector<int>& to, const std::vector<int>& lemmas)
{
    to.insert(to.end(), lemmas.begin(), lemmas.end());
}

} // namespace

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
    for (ParseCode& record : data.parses) {
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
        for (const std::string& spelling : lemmaSpellings(record.lemma))
            byFoldedLemma_.emplace(formKey(spelling), id);
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

void Text::visitLemmasOfWord(std::string_view word, const std::function<bool(const LemmaMatch&)>& take) const
{
    std::unordered_set<int> offered;
    bool more = true;
    const auto offer = [&](int lemma, WordMatch how) {
        if (more && offered.insert(lemma).second)
            more = take({ lemma, how });
    };
    const auto offerAll = [&](const std::vector<int>& lemmas, WordMatch how) {
        for (int lemma : lemmas)
            offer(lemma, how);
    };
    if (std::optional<int> exact = findLemma(word))
        offer(*exact, WordMatch::Lemma);
    const std::string key = formKey(word);
    if (auto found = byFoldedLemma_.find(key); found != byFoldedLemma_.end())
        offer(found->second, WordMatch::Lemma);
    if (auto found = forms_.find(key); found != forms_.end())
        offerAll(found->second, WordMatch::Form);
    if (!more)
        return;
    // The forgiving matches: a word with nothing of the text's own spelling pays for them, once.
    const Spellings& forgiving = spellings();
    const Letters spelt = letters(word);
    if (spelt.bare.empty())
        return;
    if (auto found = forgiving.letters.find(spelt.bare); found != forgiving.letters.end()) {
        offerAll(found->second.lemmas, WordMatch::LemmaLetters);
        offerAll(found->second.forms, WordMatch::FormLetters);
    }
    if (!more)
        return;
    if (auto found = forgiving.latin.find(spelt.latin); found != forgiving.latin.end()) {
        offerAll(found->second.lemmas, WordMatch::LemmaSpelling);
        offerAll(found->second.forms, WordMatch::FormSpelling);
    }
}

std::optional<LemmaMatch> Text::matchCard(std::string_view greekSide) const
{
    return matchWord(lemmaKey(greekSide));
}

std::optional<LemmaMatch> Text::matchWord(std::string_view word) const
{
    std::optional<LemmaMatch> first;
    if (!word.empty())
        visitLemmasOfWord(word, [&first](const LemmaMatch& match) {
            first = match;
            return false;
        });
    return first;
}

std::optional<int> Text::lemmaOfCard(std::string_view greekSide) const
{
    const std::optional<LemmaMatch> match = matchCard(greekSide);
    return match ? std::optional<int>(match->lemma) : std::nullopt;
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

const Text::Spellings& Text::spellings() const
{
    std::call_once(spellings_->once, [this] {
        Spellings& by = *spellings_;
        // Each spelling with its iota subscripts dropped (bareLetters drops them) and written out.
        const auto add
            = [&by](const std::string& spelling, const std::vector<int>& lemmas, std::vector<int> Named::*list) {
                  const std::string written = iotaSubscriptWrittenOut(spelling);
                  for (const std::string& variant : { spelling, written }) {
                      const Letters spelt = letters(variant);
                      addLemmas(by.letters[spelt.bare].*list, lemmas);
                      addLemmas(by.latin[spelt.latin].*list, lemmas);
                      if (written == spelling)
                          break;
                  }
              };
        for (int id = 0; id < lemmaCount(); ++id)
            for (const std::string& spelling : lemmaSpellings(lemma(id)))
                add(spelling, { id }, &Named::lemmas);
        for (const auto& [key, lemmas] : forms_)
            add(key, lemmas, &Named::forms);
        // The most frequent lemma first, each once.
        for (auto* map : { &by.letters, &by.latin })
            for (auto& [spelling, named] : *map)
                for (std::vector<int>* lemmas : { &named.lemmas, &named.forms }) {
                    std::sort(lemmas->begin(), lemmas->end());
                    lemmas->erase(std::unique(lemmas->begin(), lemmas->end()), lemmas->end());
                }
    });
    return *spellings_;
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
