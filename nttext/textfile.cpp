#include "textfile.h"

#include "bytes.h"
#include "packedfile.h"
#include "parsetable.h"
#include "texterrors.h"

#include <zlib.h>

#include <map>

namespace nttext {

namespace {

constexpr std::string_view kMagic = "KARTE-NT";

void writeForm(ByteWriter& out, const Form& form)
{
    out.text(form.text);
    out.number(static_cast<std::uint64_t>(form.count));
    out.byte(static_cast<int>(form.parses.size()));
    for (const FormParse& parse : form.parses) {
        out.text(parse.partOfSpeech);
        out.text(parse.code);
        out.number(static_cast<std::uint64_t>(parse.count));
    }
}

// A lemma's words: its gloss and lexical form, and its forms with their parsings as places in the table of parsings.
void writeWords(ByteWriter& out, const TextData& data)
{
    writeParseTable(out, data.parses);
    std::map<std::pair<std::string_view, std::string_view>, std::size_t> parseIds;
    for (const ParseCode& parse : data.parses)
        parseIds.emplace(
            std::make_pair(std::string_view(parse.partOfSpeech), std::string_view(parse.code)), parseIds.size());
    out.number(data.words.size());
    for (const LemmaWords& words : data.words) {
        out.text(words.gloss);
        out.text(words.lexicalForm);
        out.number(words.forms.size());
        for (const Form& form : words.forms) {
            out.text(form.text);
            out.number(static_cast<std::uint64_t>(form.count));
            out.number(form.parses.size());
            for (const FormParse& parse : form.parses) {
                auto found = parseIds.find({ parse.partOfSpeech, parse.code });
                if (found == parseIds.end())
                    throw TextFileError("The parsing " + parse.partOfSpeech + " " + parse.code + " of the form "
                        + form.text + " is missing from the table of parsings");
                out.number(found->second);
                out.number(static_cast<std::uint64_t>(parse.count));
            }
        }
    }
}

std::string encodePayload(const TextData& data)
{
    ByteWriter out;
    out.number(data.books.size());
    for (const Book& book : data.books) {
        out.text(book.code);
        out.text(book.name);
        out.number(static_cast<std::uint64_t>(book.words));
    }
    out.number(data.lemmas.size());
    for (const LemmaRecord& lemma : data.lemmas) {
        out.text(lemma.lemma);
        out.number(static_cast<std::uint64_t>(lemma.count));
        int present = 0;
        for (int count : lemma.books)
            present += count > 0;
        out.byte(present);
        for (int book = 0; book < kBookCount; ++book) {
            if (lemma.books[static_cast<std::size_t>(book)] > 0) {
                out.byte(book);
                out.number(static_cast<std::uint64_t>(lemma.books[static_cast<std::size_t>(book)]));
            }
        }
    }
    out.number(data.verses.size());
    for (const VerseRecord& verse : data.verses) {
        out.byte(verse.book);
        out.number(static_cast<std::uint64_t>(verse.chapter));
        out.number(static_cast<std::uint64_t>(verse.verse));
        out.text(verse.text);
    }
    out.number(data.studies.size());
    for (const StudyRecord& study : data.studies) {
        out.number(static_cast<std::uint64_t>(study.lemma));
        out.byte(static_cast<int>(study.examples.size()));
        for (const ExampleRecord& example : study.examples) {
            out.number(static_cast<std::uint64_t>(example.verse));
            out.byte(static_cast<int>(example.positions.size()));
            for (int position : example.positions)
                out.number(static_cast<std::uint64_t>(position));
        }
        out.byte(static_cast<int>(study.forms.size()));
        for (const Form& form : study.forms)
            writeForm(out, form);
    }
    out.number(data.forms.size());
    for (const FormRecord& form : data.forms) {
        out.text(form.key);
        out.byte(static_cast<int>(form.lemmas.size()));
        for (int lemma : form.lemmas)
            out.number(static_cast<std::uint64_t>(lemma));
    }
    writeWords(out, data);
    return out.bytes();
}

Form readForm(ByteReader& in)
{
    Form form;
    form.text = in.text();
    form.count = in.below(1u << 30, "a form's count");
    int parses = in.byte();
    for (int i = 0; i < parses; ++i) {
        FormParse parse;
        parse.partOfSpeech = in.text();
        parse.code = in.text();
        parse.count = in.below(1u << 30, "a parsing's count");
        form.parses.push_back(std::move(parse));
    }
    return form;
}

void readWords(ByteReader& in, TextData& data)
{
    data.parses = readParseTable(in);
    const auto parses = static_cast<std::uint64_t>(data.parses.size());
    if (in.below(1u << 24, "the number of lemmas' words") != static_cast<int>(data.lemmas.size()))
        in.damaged("the lemmas' words do not match its lemmas");
    data.words.resize(data.lemmas.size());
    for (LemmaWords& words : data.words) {
        words.gloss = in.text();
        words.lexicalForm = in.text();
        int forms = in.below(1u << 16, "a lemma's number of forms");
        words.forms.resize(static_cast<std::size_t>(forms));
        for (Form& form : words.forms) {
            form.text = in.text();
            form.count = in.below(1u << 30, "a form's count");
            int count = in.below(1u << 16, "a form's number of parsings");
            for (int i = 0; i < count; ++i) {
                const ParseCode& parse = data.parses[static_cast<std::size_t>(in.below(parses, "a parsing"))];
                form.parses.push_back({ parse.partOfSpeech, parse.code, in.below(1u << 30, "a parsing's count") });
            }
        }
    }
}

std::size_t wordsIn(const std::string& verse)
{
    std::size_t words = 1;
    for (char c : verse)
        words += c == ' ';
    return words;
}

TextData decodePayload(ByteReader& in)
{
    TextData data;
    int books = in.below(kBookCount + 1, "the number of books");
    if (books != kBookCount)
        in.damaged("it does not hold the 27 books");
    for (int i = 0; i < books; ++i)
        data.books.push_back({ in.text(), in.text(), in.below(1u << 30, "a book's word count") });

    int lemmas = in.below(1u << 24, "the number of lemmas");
    data.lemmas.resize(static_cast<std::size_t>(lemmas));
    for (LemmaRecord& lemma : data.lemmas) {
        lemma.lemma = in.text();
        lemma.count = in.below(1u << 30, "a lemma's count");
        int present = in.byte();
        for (int i = 0; i < present; ++i) {
            int book = in.byte();
            if (book >= kBookCount)
                in.damaged("a book out of range");
            lemma.books[static_cast<std::size_t>(book)] = in.below(1u << 30, "a count in a book");
        }
    }

    int verses = in.below(1u << 24, "the number of verses");
    data.verses.resize(static_cast<std::size_t>(verses));
    for (VerseRecord& verse : data.verses) {
        verse.book = in.byte();
        if (verse.book >= kBookCount)
            in.damaged("a verse's book out of range");
        verse.chapter = in.below(1000, "a chapter");
        verse.verse = in.below(1000, "a verse number");
        verse.text = in.text();
    }

    int studies = in.below(static_cast<std::uint64_t>(lemmas) + 1, "the number of studies");
    data.studies.resize(static_cast<std::size_t>(studies));
    for (StudyRecord& study : data.studies) {
        study.lemma = in.below(static_cast<std::uint64_t>(lemmas), "a study's lemma");
        int examples = in.byte();
        for (int i = 0; i < examples; ++i) {
            ExampleRecord example;
            example.verse = in.below(static_cast<std::uint64_t>(verses), "an example's verse");
            std::size_t words = wordsIn(data.verses[static_cast<std::size_t>(example.verse)].text);
            int positions = in.byte();
            for (int p = 0; p < positions; ++p)
                example.positions.push_back(in.below(words, "a word of an example"));
            study.examples.push_back(std::move(example));
        }
        int forms = in.byte();
        for (int i = 0; i < forms; ++i)
            study.forms.push_back(readForm(in));
    }

    int forms = in.below(1u << 24, "the number of forms");
    data.forms.resize(static_cast<std::size_t>(forms));
    for (FormRecord& form : data.forms) {
        form.key = in.text();
        int count = in.byte();
        for (int i = 0; i < count; ++i)
            form.lemmas.push_back(in.below(static_cast<std::uint64_t>(lemmas), "a form's lemma"));
    }
    readWords(in, data);
    if (!in.atEnd())
        in.damaged("bytes follow its end");
    return data;
}

} // namespace

std::string encodeTextFile(const TextData& data)
{
    return packFile(kMagic, kTextFileVersion, encodePayload(data), Z_DEFAULT_COMPRESSION);
}

TextData decodeTextFile(const std::string& bytes, const std::string& fileName)
{
    std::string payload = unpackFile(bytes, kMagic, kTextFileVersion, fileName);
    ByteReader in(payload, fileName);
    return decodePayload(in);
}

TextData readTextFile(const std::string& path)
{
    return decodeTextFile(readWholeFile(path), path);
}

void writeTextFile(const std::string& path, const TextData& data)
{
    writeWholeFile(path, encodeTextFile(data));
}

} // namespace nttext
