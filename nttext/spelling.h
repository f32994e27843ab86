#pragma once

#include <string>
#include <string_view>

namespace nttext {

// The lemma a card's Greek side names: the side in NFC with everything from the first comma or space on left
// out, so "λόγος, -ου, ὁ" gives "λόγος". Leading spaces are skipped.
std::string lemmaKey(std::string_view greekSide);

// A word as the text's forms are counted: NFC, a grave accent written as the acute it stands for, and of two
// accents the second dropped (an enclitic that follows throws its accent back onto the word: "οὗτός ἐστιν"
// counts as οὗτος). Case is kept.
std::string normalisedForm(std::string_view word);

// normalisedForm in Unicode case folding: the key forms are looked up by, whatever their case. An iota subscript
// stays one (ἡμέρᾳ and ἡμέραι are different forms).
std::string formKey(std::string_view word);

// The word with its first letter in lower case ("Ἐν" → "ἐν").
std::string lowerFirst(std::string_view word);

// The word without accents, breathings kept: "ἐστίν" → "ἐστιν".
std::string withoutAccents(std::string_view word);

// The word's letters alone: accents, breathings, iota subscripts and everything that is no letter dropped, case
// folded, final sigma as σ. "Ἰησοῦς" and "Ιησους" give "ιησουσ"; ᾅδου and ἁδου give "αδου".
std::string bareLetters(std::string_view text);

// A word's bareLetters and searchSpelling, worked out together.
struct Letters
{
    std::string bare;
    std::string latin;
};
Letters letters(std::string_view text);

// The word (NFC) with each iota subscript written out as a full iota: "ᾅδου" gives "ἅιδου". The word itself when
// it has none.
std::string iotaSubscriptWrittenOut(std::string_view word);

// The spelling a search compares: accents, breathings and other marks dropped, case folded, final sigma as
// any sigma, and Greek letters written in Latin ones, so that Greek and Latin spellings of a word meet:
//   θ th, φ ph (also f), χ ch (also kh), ψ ps, ξ ks (also x), η e, ω o, υ u (also y), ρ and ῥ r (rh),
//   γ before γ κ ξ χ n (ἄγγελος: "angelos" or "aggelos"), c k, j i, v b, w o,
// and an h that is not part of th, ph or ch (a rough breathing written out: "hamartia") left out.
// Anything that is neither a Greek nor a Latin letter is dropped. The result is plain ASCII.
std::string searchSpelling(std::string_view text);

} // namespace nttext
