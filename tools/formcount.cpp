#include "formcount.h"

#include "parse.h"
#include "spelling.h"

#include <algorithm>
#include <map>

namespace karte {

namespace {

struct FormGroup
{
    int count = 0;
    std::map<std::string, int> spellings; // as the text spells it (normalised)
    std::map<std::pair<std::string_view, std::string_view>, int> parses; // part of speech, code
};

template <typename Key> std::vector<std::pair<Key, int>> byCount(const std::map<Key, int>& counts)
{
    std::vector<std::pair<Key, int>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return sorted;
}

// The parsings as a learner tells them apart: codes that read the same (a pronoun tagged as personal in one
// place and as an adjective in another) are one, shown by the commonest of them.
std::vector<nttext::FormParse> readableParses(
    const std::map<std::pair<std::string_view, std::string_view>, int>& parses)
{
    std::vector<nttext::FormParse> merged;
    std::vector<std::string> readable;
    for (const auto& [parse, count] : byCount(parses)) {
        std::string text = nttext::readableParse(parse.first, parse.second);
        auto same = std::find(readable.begin(), readable.end(), text);
        if (same != readable.end()) {
            merged[static_cast<std::size_t>(same - readable.begin())].count += count;
            continue;
        }
        readable.push_back(std::move(text));
        merged.push_back({ std::string(parse.first), std::string(parse.second), count });
    }
    std::stable_sort(merged.begin(), merged.end(),
        [](const nttext::FormParse& a, const nttext::FormParse& b) { return a.count > b.count; });
    return merged;
}

} // namespace

const FormSpellings::Spelling& FormSpellings::of(std::string_view word)
{
    auto found = cache_.find(word);
    if (found == cache_.end())
        found = cache_.emplace(word, Spelling { nttext::normalisedForm(word), nttext::formKey(word) }).first;
    return found->second;
}

std::vector<nttext::Form> commonestForms(
    std::string_view lemma, const std::vector<const TextToken*>& tokens, FormSpellings& spellings, std::size_t limit)
{
    std::map<std::string, FormGroup> groups;
    for (const TextToken* token : tokens) {
        const FormSpellings::Spelling& spelling = spellings.of(token->word);
        FormGroup& group = groups[spelling.key];
        ++group.count;
        ++group.spellings[spelling.normalised];
        ++group.parses[{ token->partOfSpeech, token->parse }];
    }
    // Enclitic and proclitic forms join their unaccented spelling.
    for (auto group = groups.begin(); group != groups.end();) {
        std::string bare = nttext::withoutAccents(group->first);
        auto target = groups.find(bare);
        if (bare == group->first || target == groups.end()) {
            ++group;
            continue;
        }
        target->second.count += group->second.count;
        for (const auto& [parse, count] : group->second.parses)
            target->second.parses[parse] += count;
        group = groups.erase(group);
    }

    bool lowerCaseLemma = nttext::lowerFirst(lemma) == lemma;
    std::vector<nttext::Form> forms;
    for (const auto& [key, group] : groups) {
        nttext::Form form;
        form.text = byCount(group.spellings).front().first;
        if (lowerCaseLemma)
            form.text = nttext::lowerFirst(form.text);
        form.count = group.count;
        form.parses = readableParses(group.parses);
        forms.push_back(std::move(form));
    }
    std::stable_sort(forms.begin(), forms.end(), [](const nttext::Form& a, const nttext::Form& b) {
        return a.count != b.count ? a.count > b.count : a.text < b.text;
    });
    if (forms.size() > limit)
        forms.resize(limit);
    return forms;
}

std::vector<nttext::FormRecord> formMap(
    const std::vector<TextToken>& tokens, const std::vector<int>& lemmaIds, FormSpellings& spellings)
{
    std::map<std::string, std::map<int, int>> lemmasOfForm; // key → lemma id → occurrences
    for (std::size_t i = 0; i < tokens.size(); ++i)
        ++lemmasOfForm[spellings.of(tokens[i].word).key][lemmaIds[i]];
    std::vector<nttext::FormRecord> records;
    records.reserve(lemmasOfForm.size());
    for (const auto& [key, lemmas] : lemmasOfForm) {
        nttext::FormRecord record { key, {} };
        for (const auto& [lemma, count] : byCount(lemmas))
            record.lemmas.push_back(lemma);
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace karte
