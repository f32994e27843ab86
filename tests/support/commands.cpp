#include "commands.h"

#include <sys/wait.h>

#include <cstdio>

namespace testsupport {

CommandRun runCommand(const std::string& command)
{
    CommandRun run;
    // Standard error joins standard output, unless the command line sends it elsewhere itself.
    FILE* pipe = ::popen(("{ " + command + "\n} 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, got);
    const int status = pipe ? ::pclose(pipe) : -1;
    run.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace testsupport
