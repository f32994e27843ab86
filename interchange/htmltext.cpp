#include "htmltext.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace interchange {

namespace {

struct NamedReference
{
    const char* name;
    std::uint32_t code;
};

constexpr std::array<NamedReference, 22> kNamed { {
    { "amp", '&' },
    { "lt", '<' },
    { "gt", '>' },
    { "quot", '"' },
    { "apos", '\'' },
    { "nbsp", ' ' },
    { "ensp", ' ' },
    { "emsp", ' ' },
    { "thinsp", ' ' },
    { "shy", 0 }, // a soft hyphen shows nothing
    { "ndash", 0x2013 },
    { "mdash", 0x2014 },
    { "hellip", 0x2026 },
    { "lsquo", 0x2018 },
    { "rsquo", 0x2019 },
    { "ldquo", 0x201C },
    { "rdquo", 0x201D },
    { "laquo", 0x00AB },
    { "raquo", 0x00BB },
    { "middot", 0x00B7 },
    { "sigmaf", 0x03C2 },
    { "thetasym", 0x03D1 },
} };

// HTML names the Greek letters after their English names, capital ones from U+0391 and small ones from U+03B1
// (U+03A2 is unassigned, U+03C2 is the final sigma).
constexpr std::array<const char*, 25> kGreekLetters { "alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta",
    "theta", "iota", "kappa", "lambda", "mu", "nu", "xi", "omicron", "pi", "rho", nullptr, "sigma", "tau", "upsilon",
    "phi", "chi", "psi", "omega" };

// The code point a reference's name (between '&' and ';') stands for; -1 when it names none.
long referenceCode(std::string_view name)
{
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t code = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
            return -1;
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return 0xFFFD;
        return code;
    }
    for (const auto& named : kNamed)
        if (name == named.name)
            return named.code;
    for (std::size_t i = 0; i < kGreekLetters.size(); ++i) {
        if (!kGreekLetters[i] || name.size() != std::strlen(kGreekLetters[i]))
            continue;
        bool capital = std::isupper(static_cast<unsigned char>(name[0]));
        std::string lower(name);
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        if (lower == kGreekLetters[i])
            return static_cast<long>((capital ? 0x391 : 0x3B1) + i);
    }
    return -1;
}

// Tags after which a browser starts a new line, so the words on either side stay apart.
bool breaksLine(std::string_view tag)
{
    std::string name;
    for (char c : tag.substr(tag.starts_with('/') ? 1 : 0)) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            break;
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* block : { "br", "div", "p", "li", "tr", "td", "th", "h1", "h2", "h3", "h4", "h5", "h6", "hr" })
        if (name == block)
            return true;
    return false;
}

// The tags flashcard programs write into a card's fields.
constexpr std::array<const char*, 34> kCardTags { "a", "b", "big", "blockquote", "br", "center", "code", "div", "em",
    "font", "h1", "h2", "h3", "h4", "h5", "h6", "hr", "i", "img", "li", "ol", "p", "pre", "s", "small", "span",
    "strong", "sub", "sup", "table", "td", "th", "tr", "u" };

// Whether text at a '<' opens or closes one of those tags: "<br>", "<br/>", "</i>", "<span style=...>".
bool opensCardTag(std::string_view text)
{
    std::size_t start = text.starts_with("</") ? 2 : 1;
    std::size_t end = start;
    while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])))
        ++end;
    if (end == start || end == text.size() || (text[end] != '>' && text[end] != '/' && text[end] != ' '))
        return false;
    std::string name;
    for (char c : text.substr(start, end - start))
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* tag : kCardTags)
        if (name == tag)
            return true;
    return false;
}

void appendSpace(std::string& out)
{
    if (!out.empty() && out.back() != ' ')
        out += ' ';
}

} // namespace

void appendUtf8(std::uint32_t code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool looksLikeHtml(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' && text.find('>', i) != std::string_view::npos && opensCardTag(text.substr(i)))
            return true;
        if (text[i] == '&') {
            std::size_t semicolon = text.find(';', i + 1);
            if (semicolon != std::string_view::npos && semicolon - i <= 12 && semicolon > i + 1
                && referenceCode(text.substr(i + 1, semicolon - i - 1)) >= 0)
                return true;
        }
    }
    return false;
}

std::string htmlToText(std::string_view html)
{
    std::string out;
    out.reserve(html.size());
    std::size_t i = 0;
    while (i < html.size()) {
        char c = html[i];
        if (c == '<' && html.substr(i).starts_with("<!--")) {
            std::size_t close = html.find("-->", i + 4);
            i = close == std::string_view::npos ? html.size() : close + 3;
            continue;
        }
        if (c == '<' && i + 1 < html.size()
            && (std::isalpha(static_cast<unsigned char>(html[i + 1])) || html[i + 1] == '/' || html[i + 1] == '!')) {
            std::size_t close = html.find('>', i + 1);
            if (close != std::string_view::npos) {
                if (breaksLine(html.substr(i + 1, close - i - 1)))
                    appendSpace(out);
                i = close + 1;
                continue;
            }
        }
        if (c == '&') {
            std::size_t semicolon = html.find(';', i + 1);
            if (semicolon != std::string_view::npos && semicolon - i <= 12) {
                long code = referenceCode(html.substr(i + 1, semicolon - i - 1));
                if (code >= 0) {
                    if (code == ' ')
                        appendSpace(out);
                    else if (code > 0)
                        appendUtf8(static_cast<std::uint32_t>(code), out);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            appendSpace(out);
        else
            out += c;
        ++i;
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (!out.empty() && out.front() == ' ')
        out.erase(0, 1);
    return out;
}

} // namespace interchange
