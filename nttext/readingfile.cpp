#include "readingfile.h"

#include "books.h"
#include "bytes.h"
#include "packedfile.h"
#include "parsetable.h"

#include <zlib.h>

#include <map>
#include <tuple>

namespace nttext {

namespace {

constexpr std::string_view kMagic = "KARTE-RD";
// The reader keeps a word's lemma and parsing in 16 bits each.
constexpr std::uint64_t kMostIds = 1u << 16;

std::string encodePayload(const ReadingData& data)
{
    ByteWriter out;
    writeParseTable(out, data.parses);
    out.number(data.forms.size());
    for (const PrintedForm& form : data.forms) {
        out.text(form.text);
        out.number(static_cast<std::uint64_t>(form.wordStart));
        out.number(static_cast<std::uint64_t>(form.wordLength));
    }
    out.number(static_cast<std::uint64_t>(data.lemmaCount));
    out.number(data.chapters.size());
    for (const ChapterRecord& chapter : data.chapters) {
        out.byte(chapter.book);
        out.number(static_cast<std::uint64_t>(chapter.chapter));
        out.number(chapter.verses.size());
        for (const ChapterRecord::Verse& verse : chapter.verses) {
            out.number(static_cast<std::uint64_t>(verse.number));
            out.number(static_cast<std::uint64_t>(verse.words));
        }
    }
    // A word is the place of its form, lemma and parsing among the text's 26,000 distinct ones: a third less to
    // deflate than the three numbers each time.
    std::map<std::tuple<int, int, int>, int> analysisIds;
    std::vector<const WordRecord*> analyses; // in the order the text first uses them
    std::vector<int> ids;
    ids.reserve(data.words.size());
    for (const WordRecord& word : data.words) {
        auto [found, added] = analysisIds.emplace(
            std::make_tuple(word.form, word.lemma, word.parse), static_cast<int>(analyses.size()));
        if (added)
            analyses.push_back(&word);
        ids.push_back(found->second);
    }
    out.number(analyses.size());
    for (const WordRecord* analysis : analyses) {
        out.number(static_cast<std::uint64_t>(analysis->form));
        out.number(static_cast<std::uint64_t>(analysis->lemma));
        out.number(static_cast<std::uint64_t>(analysis->parse));
    }
    out.number(ids.size());
    for (int id : ids)
        out.number(static_cast<std::uint64_t>(id));
    return out.bytes();
}

void readChapters(ByteReader& in, ReadingData& data, std::uint64_t& words)
{
    int chapters = in.below(1u << 16, "the number of chapters");
    data.chapters.resize(static_cast<std::size_t>(chapters));
    const ChapterRecord* previous = nullptr;
    for (ChapterRecord& chapter : data.chapters) {
        chapter.book = in.byte();
        if (chapter.book >= kBookCount)
            in.damaged("a chapter's book out of range");
        chapter.chapter = in.below(1000, "a chapter");
        if (chapter.chapter < 1
            || (previous && std::tie(chapter.book, chapter.chapter) <= std::tie(previous->book, previous->chapter)))
            in.damaged("the chapters out of order");
        chapter.verses.resize(static_cast<std::size_t>(in.below(1000, "the number of verses")));
        if (chapter.verses.empty())
            in.damaged("a chapter without verses");
        int lastVerse = 0;
        for (ChapterRecord::Verse& verse : chapter.verses) {
            verse.number = in.below(1000, "a verse number");
            verse.words = in.below(1u << 16, "a verse's words");
            if (verse.number <= lastVerse || verse.words == 0)
                in.damaged("a verse out of order or without words");
            lastVerse = verse.number;
            words += static_cast<std::uint64_t>(verse.words);
        }
        previous = &chapter;
    }
}

ReadingData decodePayload(ByteReader& in)
{
    ReadingData data;
    data.parses = readParseTable(in);
    data.forms.resize(static_cast<std::size_t>(in.below(1u << 24, "the number of forms")));
    for (PrintedForm& form : data.forms) {
        form.text = in.text();
        if (form.text.size() >= kMostIds)
            in.damaged("a form too long");
        form.wordStart = in.below(form.text.size(), "a word's start");
        form.wordLength = in.below(form.text.size() - static_cast<std::size_t>(form.wordStart) + 1, "a word's length");
        if (form.wordLength == 0)
            in.damaged("an empty word");
    }
    data.lemmaCount = in.below(kMostIds, "the number of lemmas");
    std::uint64_t words = 0;
    readChapters(in, data, words);
    std::vector<WordRecord> analyses(static_cast<std::size_t>(in.below(1u << 24, "the number of analyses")));
    for (WordRecord& analysis : analyses) {
        analysis.form = in.below(data.forms.size(), "a word's form");
        analysis.lemma = in.below(static_cast<std::uint64_t>(data.lemmaCount), "a word's lemma");
        analysis.parse = in.below(data.parses.size(), "a word's parsing");
    }
    if (in.below(1u << 24, "the number of words") != static_cast<int>(words))
        in.damaged("the words do not fill the verses");
    data.words.resize(static_cast<std::size_t>(words));
    for (WordRecord& word : data.words)
        word = analyses[static_cast<std::size_t>(in.below(analyses.size(), "a word"))];
    if (!in.atEnd())
        in.damaged("bytes follow its end");
    return data;
}

} // namespace

std::string encodeReadingFile(const ReadingData& data)
{
    return packFile(kMagic, kReadingFileVersion, encodePayload(data), Z_DEFAULT_COMPRESSION);
}

ReadingData decodeReadingFile(const std::string& bytes, const std::string& fileName)
{
    std::string payload = unpackFile(bytes, kMagic, kReadingFileVersion, fileName);
    ByteReader in(payload, fileName);
    return decodePayload(in);
}

void writeReadingFile(const std::string& path, const ReadingData& data)
{
    writeWholeFile(path, encodeReadingFile(data));
}

ReadingData readReadingFile(const std::string& path)
{
    return decodeReadingFile(readWholeFile(path), path);
}

} // namespace nttext
