#pragma once

#include "books.h"

#include <array>
#include <string>
#include <vector>

namespace nttext {

// What the companion file holds, as the build tool derives it from the text and the reader gets it back.

struct Book
{
    std::string code; // "1Jn"
    std::string name; // "1 John"
    int words = 0; // running words
};

struct LemmaRecord
{
    std::string lemma;
    int count = 0;
    std::array<int, kBookCount> books {}; // occurrences in each book, canonical order
};

// A verse quoted as an example: its tokens' printed text joined with single spaces.
struct VerseRecord
{
    int book = 0;
    int chapter = 0;
    int verse = 0;
    std::string text;
};

struct ExampleRecord
{
    int verse = 0; // into TextData::verses
    std::vector<int> positions; // the words of the verse (0 = first) that are the lemma
};

struct FormParse
{
    std::string partOfSpeech; // "N-", "V-" ...
    std::string code; // the 8-character parsing code
    int count = 0;
};

// An inflected form of a lemma with how often it occurs, and its parsings, commonest first.
struct Form
{
    std::string text;
    int count = 0;
    std::vector<FormParse> parses;
};

struct StudyRecord
{
    int lemma = 0; // into TextData::lemmas
    std::vector<ExampleRecord> examples;
    std::vector<Form> forms;
};

// A form's key (formKey) and the lemmas it is a form of, the one it stands for most often first.
struct FormRecord
{
    std::string key;
    std::vector<int> lemmas;
};

// A parsing the text uses: a part of speech ("V-") with its 8-character code ("3AAI-S--"). The companion file and
// the file of the text for reading keep the same table of them (parsetable.h).
struct ParseCode
{
    std::string partOfSpeech;
    std::string code;
};

// What a reader is told of a lemma: its gloss, the form a dictionary lists it by ("λόγος, -ου, ὁ") and every form
// the text has of it with its parsings, commonest first.
struct LemmaWords
{
    std::string gloss;
    std::string lexicalForm;
    std::vector<Form> forms;
};

struct TextData
{
    std::vector<Book> books; // the 27 books in canonical order
    std::vector<LemmaRecord> lemmas; // every lemma of the text, most frequent first
    std::vector<VerseRecord> verses; // the verses the studies quote, in canonical order
    std::vector<StudyRecord> studies; // one for each lemma of the built-in set
    std::vector<FormRecord> forms; // every form of the text, by key
    std::vector<ParseCode> parses; // every parsing the text uses, by part of speech and code
    std::vector<LemmaWords> words; // one for each lemma, in the order of lemmas
};

} // namespace nttext
