#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace interchange {

// The text a browser would show for a value written as HTML, on one line: <br> and the ends of blocks become
// spaces, other tags and comments are dropped, character references are decoded (the named ones card texts
// use: markup characters, spaces, dashes, quotation marks and the Greek letters; and every numeric one), and
// runs of white space shrink to one space. A '<' or '&' that starts no tag or reference stays as it is.
std::string htmlToText(std::string_view html);

// Whether text holds HTML as flashcard programs write it into a field: a tag they use ("<br>", "<i>", "</div>") or a
// character reference ("&nbsp;", "&#955;"). "<intr.>" or "a & b" is no HTML.
bool looksLikeHtml(std::string_view text);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::uint32_t code, std::string& out);

} // namespace interchange
