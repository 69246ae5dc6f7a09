// Runs the built vrx3km-cli as a child process with its standard streams on pipes.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct ToolRun {
    int m_nStatus = -1; // exit status, or -1 when the child did not exit normally
    std::string m_strOut;
    std::string m_strErr;
};

// How long a run may take before the child is killed (m_nStatus is then -1).
inline constexpr std::chrono::seconds kToolDeadline{120};

// Feeds input to the child's stdin (then closes it) and collects both outputs until it exits.
// The child starts in workingDirectory, or in the test's own when it is empty.
// onOutput, when given, is called with the child's process number and its standard output so far
// each time more of it arrives, so a test can act on what the tool has said (send it a signal).
ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& workingDirectory = "",
                const std::function<void(int pid, const std::string& out)>& onOutput = {});
