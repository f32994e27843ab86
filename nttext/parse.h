#pragma once

#include <string>
#include <string_view>

namespace nttext {

// A word's parsing in the words a grammar uses, from its MorphGNT part of speech ("N-", "V-", "RA" ...) and its
// 8-character parsing code (person, tense, voice, mood, case, number, gender, degree; '-' where it does not
// apply):
//   noun                  "genitive singular feminine"
//   finite verb           "aorist active indicative, third person singular"
//   infinitive            "present active infinitive"
//   participle            "present middle or passive participle, genitive plural masculine"
//   adjective, pronoun    "dative plural feminine", with "comparative" or "superlative" when marked
//   adverb                "adverb", "comparative adverb"
//   uninflected word      its part of speech: "conjunction", "preposition", "particle" ...
// The present, imperfect, perfect and pluperfect have one set of forms for the middle and the passive, so either
// voice is read "middle or passive" there; the future and aorist tell them apart. Letters the code does not
// define are left out rather than guessed (parseUnderstood tells whether there were any).
std::string parseInWords(std::string_view partOfSpeech, std::string_view code);

// The same for the forms of one lemma, listed under its lexical form: a noun's gender is the lemma's, which the
// lexical form's article gives, so it is left out ("λόγου — genitive singular").
std::string readableParse(std::string_view partOfSpeech, std::string_view code);

// Whether parseInWords says everything the code says: every letter is one the part of speech uses and names,
// and none it needs is missing (a finite verb's person and number, a declined word's case and number ...).
bool parseUnderstood(std::string_view partOfSpeech, std::string_view code);

// The part of speech in words: "noun", "definite article", "personal pronoun" ...; empty for an unknown code.
std::string_view partOfSpeechName(std::string_view partOfSpeech);

} // namespace nttext
