#pragma once

#include <map>
#include <string>

namespace appbench {

// Builds the program's windows on Qt's offscreen platform over copies of the two generated sets (a user set and
// one shaped like the built-in set, installed as the built-in set of a temporary data directory) and times what a
// user waits for. Returns medians in milliseconds under short names ("open+english", "step", ...).
std::map<std::string, double> measureWindows(
    int& argc, char** argv, int cards, int runs, const std::string& userSet, const std::string& builtInLikeSet);

} // namespace appbench
