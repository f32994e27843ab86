#include "generatedsets.h"

#include "cardtable.h"
#include "table.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace benchsets {

namespace fs = std::filesystem;

namespace {

// splitmix64: tiny, and unlike the standard distributions it gives the same numbers with every library.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : state_(seed)
    {
    }
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items) { return items[below(N)]; }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 96> kGlossWords = { "loose", "release", "word", "speak", "say", "Lord", "master",
    "God", "love", "believe", "faith", "trust", "grace", "favour", "sin", "spirit", "wind", "breath", "heaven", "earth",
    "land", "man", "human being", "woman", "son", "father", "mother", "brother", "king", "kingdom", "life", "death",
    "day", "night", "hour", "time", "law", "truth", "light", "darkness", "world", "house", "temple", "city", "crowd",
    "people", "nation", "Gentiles", "Jerusalem", "Israel", "Peter", "disciple", "teacher", "servant", "glory", "power",
    "authority", "name", "hand", "heart", "soul", "body", "flesh", "blood", "bread", "water", "sea", "mountain", "way",
    "go", "come", "see", "hear", "know", "write", "send", "receive", "give", "make", "stand", "rise", "remain", "enter",
    "judge", "save", "pray", "ask", "call", "good", "evil", "holy", "righteous", "great", "small", "new", "first" };
constexpr std::array<std::string_view, 12> kGlossJoins
    = { " ", " ", " ", ", ", ", ", "; ", " of ", " of the ", " and ", " (", ", to ", " or " };
constexpr std::array<std::string_view, 8> kGlossStarts = { "", "", "", "", "to ", "to ", "the ", "I " };

std::string makeGloss(Random& random)
{
    for (;;) {
        std::string gloss(random.pick(kGlossStarts));
        int words = 1 + static_cast<int>(random.below(4));
        bool openParenthesis = false;
        for (int i = 0; i < words || gloss.size() < 5; ++i) {
            if (i > 0) {
                std::string_view join = random.pick(kGlossJoins);
                if (join == " (" && openParenthesis)
                    join = " ";
                openParenthesis = openParenthesis || join == " (";
                gloss += join;
            }
            gloss += random.pick(kGlossWords);
        }
        if (openParenthesis)
            gloss += ')';
        // A long draw is drawn again rather than cut, so every gloss still reads as English.
        if (gloss.size() <= 40)
            return gloss;
    }
}

constexpr std::array<std::string_view, 24> kOnsets = { "", "β", "γ", "δ", "ζ", "θ", "κ", "λ", "μ", "ν", "ξ", "π", "ρ",
    "σ", "τ", "φ", "χ", "ψ", "στ", "πρ", "τρ", "κρ", "γν", "χρ" };
// Plain and accented forms of the same vowels, kept in step.
constexpr std::array<std::string_view, 10> kPlainVowels = { "α", "ε", "η", "ι", "ο", "υ", "ω", "ει", "ου", "αι" };
constexpr std::array<std::string_view, 10> kAcuteVowels = { "ά", "έ", "ή", "ί", "ό", "ύ", "ώ", "εί", "ού", "αί" };
constexpr std::array<std::string_view, 10> kCircumflexVowels = { "ᾶ", "έ", "ῆ", "ῖ", "ό", "ῦ", "ῶ", "εῖ", "οῦ", "αῖ" };
constexpr std::array<std::string_view, 14> kBreathingInitials
    = { "ἀ", "ἁ", "ἐ", "ἑ", "ἠ", "ἡ", "ἰ", "ἱ", "ὀ", "ὁ", "ὑ", "ὠ", "ἄ", "ἔ" };
constexpr std::array<std::string_view, 14> kEndings
    = { "ος", "ον", "η", "α", "ω", "ειν", "ης", "ις", "ομαι", "σις", "της", "μα", "ῃ", "ῳ" };
constexpr std::array<std::string_view, 8> kGenitives
    = { "", "", "", ", -ου, ὁ", ", -ης, ἡ", ", -ου, τό", ", -ατος, τό", ", -εως, ἡ" };

std::string makeGreek(Random& random)
{
    std::string word;
    int syllables = 1 + static_cast<int>(random.below(3));
    int accented = static_cast<int>(random.below(static_cast<std::size_t>(syllables)));
    bool circumflex = random.below(4) == 0;
    if (random.below(4) == 0)
        word += random.pick(kBreathingInitials);
    else if (random.below(20) == 0)
        word += "ῥ";
    for (int i = 0; i < syllables; ++i) {
        word += random.pick(kOnsets);
        std::size_t vowel = random.below(kPlainVowels.size());
        word += i != accented ? kPlainVowels[vowel] : circumflex ? kCircumflexVowels[vowel] : kAcuteVowels[vowel];
    }
    word += random.pick(kOnsets).substr(0, 2); // at most one consonant before the ending
    word += random.pick(kEndings);
    word += random.pick(kGenitives);
    return word;
}

} // namespace

std::vector<CardTexts> generateCards(int count)
{
    Random random(0x6b61727465ULL + static_cast<std::uint64_t>(count));
    std::vector<CardTexts> cards;
    cards.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string frequency = std::to_string(1 + random.below(9000) / (1 + random.below(30)));
        cards.push_back({ makeGloss(random), makeGreek(random), "", "", frequency });
    }
    // A user set keeps its display font in the record that sorts first; any record will do for timing.
    if (!cards.empty()) {
        cards.front()[2] = "Gentium Plus";
        cards.front()[3] = "14";
    }
    return cards;
}

SetCache& SetCache::instance()
{
    static SetCache cache;
    return cache;
}

SetCache::SetCache()
{
    std::string pattern = (fs::temp_directory_path() / "karte-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    root_ = pattern;
    fs::create_directories(root_ + "/data");
    ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
}

SetCache::~SetCache()
{
    std::error_code error;
    fs::remove_all(root_, error);
}

std::string SetCache::path(Shape shape, int count)
{
    if (auto found = sets_.find({ shape, count }); found != sets_.end())
        return found->second;
    std::string path = root_ + (shape == Shape::User ? "/user-" : "/builtin-") + std::to_string(count) + ".db";
    cardstore::Table table;
    table.setTableName(path);
    table.fieldDefs() = cardstore::cardFieldDefs();
    table.indexDefs()
        = shape == Shape::User ? std::vector { cardstore::englishIndexDef() } : cardstore::builtInIndexDefs();
    table.createTable();
    table.open();
    table.appendRecords(generateCards(count));
    table.close();
    sets_.emplace(std::pair { shape, count }, path);
    return path;
}

std::string SetCache::writableCopy(Shape shape, int count, const std::string& tag)
{
    std::string copy = root_ + "/" + tag + "-" + std::to_string(count) + ".db";
    fs::copy_file(path(shape, count), copy, fs::copy_options::overwrite_existing);
    return copy;
}

const std::vector<std::string>& SetCache::sampleEnglish(int count)
{
    if (auto found = samples_.find(count); found != samples_.end())
        return found->second;
    std::vector<CardTexts> cards = generateCards(count);
    std::vector<std::string> words;
    constexpr int kSamples = 64;
    for (int i = 0; i < kSamples; ++i)
        words.push_back(cards[static_cast<std::size_t>(i) * cards.size() / kSamples][0]);
    return samples_.emplace(count, std::move(words)).first->second;
}

} // namespace benchsets
