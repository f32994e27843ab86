#pragma once

#include "textdata.h"
#include "textsource.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace karte {

// The two spellings the counting of forms needs of a word, worked out once per distinct word of the text.
class FormSpellings
{
public:
    struct Spelling
    {
        std::string normalised; // nttext::normalisedForm: the form as shown
        std::string key; // nttext::formKey: the form as looked up
    };
    const Spelling& of(std::string_view word);

private:
    std::unordered_map<std::string_view, Spelling> cache_;
};

// The commonest forms of a lemma from its tokens, most frequent first (ties in code-point order), at most
// limit. Forms are counted as nttext::formKey spells them, so sentence-initial capitals count with the lower
// case form, a grave with the acute and an enclitic's thrown-back accent not at all; an enclitic or proclitic
// form that its neighbour gave an accent (ἐστίν, μού) counts with its unaccented spelling (ἐστιν, μου). A form
// is shown as the text most often spells it, in lower case when the lemma is.
std::vector<nttext::Form> commonestForms(
    std::string_view lemma, const std::vector<const TextToken*>& tokens, FormSpellings& spellings, std::size_t limit);

// Every form of the text by key, with its lemmas (ids by lemmaIds) most frequent first.
std::vector<nttext::FormRecord> formMap(
    const std::vector<TextToken>& tokens, const std::vector<int>& lemmaIds, FormSpellings& spellings);

} // namespace karte
