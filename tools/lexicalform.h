#pragma once

#include "textsource.h"

#include <string>
#include <string_view>
#include <vector>

namespace karte {

// The form a dictionary lists a lemma by, from the lemma's words in the text (its part of speech is the one most of
// them have):
//   noun       the genitive singular ending and the article: "λόγος, -ου, ὁ", "χάρις, -ιτος, ἡ", "αἰών, -ῶνος, ὁ";
//              the genitive in full where its stem is not the lemma's ("ἀνήρ, ἀνδρός, ὁ"); the article alone where
//              the text has no genitive singular; every article the text gives it where its gender varies ("θεός,
//              -οῦ, ὁ, ἡ"); a plural name with the genitive plural and plural article ("Φίλιπποι, -ων, οἱ");
//   adjective  the feminine and neuter of three endings ("ἀγαθός, -ή, -όν") or the neuter of two ("αἰώνιος, -ον"),
//              in full where the endings are not short ("πᾶς, πᾶσα, πᾶν"), where the text has them in the singular
//              (the nominative, or the accusative it is made from);
//   otherwise  the lemma alone.
// A noun or adjective the text spells as its lemma in every case is said to be indeclinable ("Ἀβραάμ, ὁ
// (indeclinable)", "δώδεκα (indeclinable)").
std::string lexicalForm(std::string_view lemma, const std::vector<const TextToken*>& tokens);

} // namespace karte
