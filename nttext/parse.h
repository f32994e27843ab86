#pragma once

#include <string>
#include <string_view>

namespace nttext {

// A word's parsing in words a learner reads, from its MorphGNT part of speech ("N-", "V-", "RA" ...) and its
// 8-character parsing code (person, tense, voice, mood, case, number, gender, degree; '-' where it does not
// apply):
//   noun                  "accusative singular" (a noun's gender is its own, not the form's)
//   finite verb           "aorist active indicative, 3rd singular"
//   infinitive            "present active infinitive"
//   participle            "present middle participle, genitive plural masculine"
//   adjective, pronoun    "dative plural feminine", with "comparative" or "superlative" when marked
//   uninflected word      its part of speech: "conjunction", "preposition", "adverb" ...
// Letters the code does not define are left out rather than guessed.
std::string readableParse(std::string_view partOfSpeech, std::string_view code);

// The part of speech in words: "noun", "definite article", "personal pronoun" ...; empty for an unknown code.
std::string_view partOfSpeechName(std::string_view partOfSpeech);

} // namespace nttext
