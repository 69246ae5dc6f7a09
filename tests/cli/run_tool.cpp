#include "run_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

namespace {

bool ReadSome(int fd, std::string& into) {
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

} // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& input,
                const std::string& workingDirectory,
                const std::function<void(int pid, const std::string& out)>& onOutput) {
    ToolRun run;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return run;
    std::vector<char*> argv;
    std::string tool = VRX3KM_CLI_PATH;
    argv.push_back(tool.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    // The answers are short: they fit the pipe, so writing them all first cannot block.
    std::signal(SIGPIPE, SIG_IGN);
    if (!input.empty() && write(inPipe[1], input.data(), input.size()) < 0) {
        // The child may have ended without reading; its status tells the test.
    }
    close(inPipe[1]);

    // A tool that hangs is ended at the deadline and reported as not having exited normally,
    // so a test fails instead of waiting for ever.
    const auto deadline = std::chrono::steady_clock::now() + kToolDeadline;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int nOpen = 2;
    while (nOpen > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                const std::size_t before = run.m_strOut.size();
                if (!ReadSome(fds[i].fd, i == 0 ? run.m_strOut : run.m_strErr)) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --nOpen;
                } else if (onOutput && run.m_strOut.size() > before) {
                    onOutput(static_cast<int>(pid), run.m_strOut);
                }
            }
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
