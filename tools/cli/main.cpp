#include "cli_commands.h"
#include "cli_options.h"

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CliParse parse = ParseCommandLine(args);
    if (!parse.m_request) {
        std::cerr << "vrx3km-cli: " << parse.m_strError << "\n"
                  << "Try \"vrx3km-cli --help\".\n";
        return kExitUsage;
    }
    CliStreams io{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
    return RunCommand(*parse.m_request, io);
}
