#pragma once

#include <string>

namespace testsupport {

// What a command printed, standard error included unless the command line redirects it, and how it exited (-1 when it did not exit normally).
struct CommandRun
{
    int exitCode = -1;
    std::string output;
};

// Runs a shell command line, as a script runs a tool.
CommandRun runCommand(const std::string& command);

} // namespace testsupport
