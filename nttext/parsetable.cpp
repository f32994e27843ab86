#include "parsetable.h"

namespace nttext {

void writeParseTable(ByteWriter& out, const std::vector<ParseCode>& parses)
{
    out.number(parses.size());
    for (const ParseCode& parse : parses) {
        out.text(parse.partOfSpeech);
        out.text(parse.code);
    }
}

std::vector<ParseCode> readParseTable(ByteReader& in)
{
    std::vector<ParseCode> parses(static_cast<std::size_t>(in.below(kMostParses, "the number of parsings")));
    for (ParseCode& parse : parses) {
        parse.partOfSpeech = in.text();
        parse.code = in.text();
    }
    return parses;
}

} // namespace nttext
