#include "interchangetest.h"

#include "cardtext.h"
#include "htmltext.h"

using namespace interchange;

namespace {

TEST(TextTest, HtmlBecomesText)
{
    const std::vector<std::pair<std::string, std::string>> cases {
        { "word<br>message", "word message" },
        { "word<BR/>message<br />saying", "word message saying" },
        { "<div>to love</div><div>to cherish</div>", "to love to cherish" },
        { "<b>λόγος</b>, <i>-ου</i>, <span style=\"color: red\">ὁ</span>", "λόγος, -ου, ὁ" },
        { "a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;", "a & b <c> \"d\" 'e'" },
        { "&#955;&#x3CC;&#X3b3;&omicron;&sigmaf; &Theta;&epsilon;&oacute;", "λόγος Θε&oacute;" },
        { "&#0; &#xD800; &#1114112;", "\xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD" },
        { "x&nbsp;&nbsp;y &ndash; z&hellip;", "x y \xE2\x80\x93 z\xE2\x80\xA6" },
        { "a < b && c > d", "a < b && c > d" },
        { "a<!-- <b>note</b> -->b", "ab" },
        { "  spaced\n\tout  ", "spaced out" },
        { "&amp;lt; stays &lt;", "&lt; stays <" },
    };
    for (const auto& [html, text] : cases)
        EXPECT_EQ(htmlToText(html), text) << html;
}

TEST(TextTest, CellsAndFrequencies)
{
    struct Cell
    {
        std::string cell;
        bool html;
        std::string text;
    };
    const std::vector<Cell> cells {
        { "\xC2\xA0 λο\xCC\x81γος\t", false, "λόγος" },
        { "spirit,\nwind", false, "spirit, wind" },
        // A flashcard program's reference to a recording is markup, as HTML is.
        { "λόγος [sound:logos.mp3]", false, "λόγος" },
        { "[sound:a.mp3]λόγος [sound:b.mp3] ὁ", true, "λόγος ὁ" },
    };
    for (const Cell& c : cells)
        EXPECT_EQ(cardText(c.cell, c.html), c.text) << c.cell;
    // The apostrophe that keeps a spreadsheet from taking a value for a formula is no part of it.
    const std::vector<std::pair<std::string, std::string>> guarded { { "'=SUM(A1)", "=SUM(A1)" }, { "''-ος", "'-ος" },
        { "'Ελλάς", "'Ελλάς" }, { "'", "'" }, { "=1", "=1" } };
    for (const auto& [value, text] : guarded)
        EXPECT_EQ(withoutFormulaGuard(value), text) << value;
    const std::vector<std::pair<std::string, std::optional<double>>> frequencies { { "330", 330 }, { " 12.5 ", 12.5 },
        { "+7", 7 }, { "-1", -1 }, { "1e3", 1000 }, { "many", std::nullopt }, { "1,203", std::nullopt },
        { "12.5.1", std::nullopt }, { "inf", std::nullopt }, { "nan", std::nullopt }, { "0x10", std::nullopt } };
    for (const auto& [text, value] : frequencies)
        EXPECT_EQ(parseFrequency(text), value) << text;
}

TEST(TextTest, PlanSummaryWording)
{
    auto cut = [](int size, std::size_t count, std::vector<int> lines) { return CutValues { size, count, lines }; };
    struct Case
    {
        std::size_t cards, duplicates;
        bool kept;
        std::vector<CutValues> cuts;
        const char* summary;
    };
    const std::vector<Case> cases {
        { 1203, 4, false, { cut(150, 2, { 88, 412 }) },
            "1,203 cards to add, 4 duplicates skipped, 2 values cut to 150 characters (lines 88, 412)" },
        { 1, 1, false, { cut(150, 1, { 7 }) },
            "1 card to add, 1 duplicate skipped, 1 value cut to 150 characters (line 7)" },
        { 0, 0, false, {}, "0 cards to add" },
        { 12345, 1000, true, {}, "12,345 cards to add, 1,000 duplicates kept" },
        { 9, 0, false, { cut(100, 7, { 2, 3, 5, 8, 13, 1021, 3400 }), cut(150, 1, { 1500 }) },
            "9 cards to add, 7 values cut to 100 characters (lines 2, 3, 5, 8, 13, ...), 1 value cut to 150 characters "
            "(line 1,500)" },
    };
    for (const Case& c : cases) {
        ImportPlan plan;
        plan.cards = c.cards;
        plan.duplicates = c.duplicates;
        plan.settings.keepDuplicates = c.kept;
        plan.cuts = c.cuts;
        EXPECT_EQ(plan.summary(), c.summary);
    }
}

TEST(TextTest, LayoutAndColumnsAreGuessed)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        Layout layout;
        ColumnMapping mapping;
    };
    const std::vector<Case> cases {
        { "words.csv", "Lemma;Gloss;Count\nλόγος;word, message;330\n", { Format::Csv, ';', false, true }, { 0, 1, 2 } },
        { "words.csv", "English,Frequency,Greek\n\"and, even\",8973,καί\n", { Format::Csv, ',', false, true },
            { 2, 0, 1 } },
        { "words.txt", "330\tword\tλόγος\n8973\tand\tκαί\n", { Format::Tsv, '\t', false, false }, { 2, 1, 0 } },
        { "words.txt", "Back|Front\nword|λόγος\n", { Format::Csv, '|', false, true }, { 1, 0, -1 } },
        { "words.csv", "word,λόγος\n", { Format::Csv, ',', false, false }, { 1, 0, -1 } },
        { "deck.txt", "#separator:Semicolon\n#html:true\n#guid column:1\nab12;<b>λόγος</b>;word\n",
            { Format::FlashcardText, ';', true, false }, { 1, 2, -1 } },
        { "deck.txt", "#separator:tab\n#columns:Meaning\tWord\nword\tλόγος\n",
            { Format::FlashcardText, '\t', false, false }, { 1, 0, -1 } },
        // A flashcard program's export of its cards without the header lines that say it holds HTML.
        { "cards.txt", "σάρξ\tflesh<br>body\nκόσμος\t<i>world</i>\n", { Format::Tsv, '\t', true, false },
            { 0, 1, -1 } },
        { "cards.txt", "ἀγάπη\tlove&nbsp;(noun)\n", { Format::Tsv, '\t', true, false }, { 0, 1, -1 } },
        { "words.tsv", "λάμπω\tI shine <intr.>\nκαί\tand & also\n", { Format::Tsv, '\t', false, false }, { 0, 1, -1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        testsupport::TempDir dir;
        testsupport::writeBytes(dir.file(c.name), c.bytes);
        FileSurvey survey = surveyFile(dir.file(c.name));
        EXPECT_EQ(survey.layout, c.layout);
        EXPECT_EQ(survey.mapping, c.mapping);
    }
}

} // namespace
