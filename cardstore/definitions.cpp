#include "definitions.h"

#include <strings.h>

namespace cardstore {

std::vector<std::string> IndexDef::fieldNames() const
{
    std::vector<std::string> names;
    std::string current;
    for (char c : fields) {
        if (c == ';') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else if (c != ' ' || !current.empty()) {
            current += c;
        }
    }
    while (!current.empty() && current.back() == ' ')
        current.pop_back();
    if (!current.empty())
        names.push_back(current);
    return names;
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ::strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

} // namespace cardstore
