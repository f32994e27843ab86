#pragma once

#include "textdata.h"

#include <string>
#include <vector>

namespace nttext {

// What the file of the text for reading holds, as the build tool derives it from the text and the reader gets it
// back: every running word with its place, its printed form, its lemma and its parsing.

// A word as the text prints it, with the signs of the critical apparatus left out: "λόγος," or "(ἐν". The word
// itself, without the punctuation around it, is the part wordStart and wordLength (in bytes) say.
struct PrintedForm
{
    std::string text;
    int wordStart = 0;
    int wordLength = 0;
};

// A chapter: its book (canonical place, 0 = Matthew), its number, and its verses as their numbers and how many
// running words each has.
struct ChapterRecord
{
    struct Verse
    {
        int number = 0;
        int words = 0;
    };
    int book = 0;
    int chapter = 0;
    std::vector<Verse> verses;
};

struct WordRecord
{
    int form = 0; // into ReadingData::forms
    int lemma = 0; // the lemma id of the companion file: frequency order, 0 = ὁ
    int parse = 0; // into ReadingData::parses
};

struct ReadingData
{
    // Every parsing the text uses, ordered by part of speech, then code (byte order).
    std::vector<ParseCode> parses;
    std::vector<PrintedForm> forms; // every printed form, in the order the text first uses it
    int lemmaCount = 0; // the lemmas of the text the ids count
    std::vector<ChapterRecord> chapters; // in canonical order
    std::vector<WordRecord> words; // every running word in canonical order, the chapters' verses' words in turn
};

} // namespace nttext
