// The vrx3km-sim program as a script would use it: link, device line, serving, clean shutdown.
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Child {
    pid_t pid = -1;
    int out = -1; // the program's stdout
    int err = -1; // the program's stderr
};

Child Spawn(const std::vector<std::string>& args) {
    int outPipe[2];
    int errPipe[2];
    EXPECT_EQ(pipe(outPipe), 0);
    EXPECT_EQ(pipe(errPipe), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&fa, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&fa, outPipe[0]);
    posix_spawn_file_actions_addclose(&fa, errPipe[0]);
    std::vector<std::string> all{VRX_SIM_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    Child c;
    EXPECT_EQ(posix_spawn(&c.pid, VRX_SIM_PROGRAM, &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    close(outPipe[1]);
    close(errPipe[1]);
    c.out = outPipe[0];
    c.err = errPipe[0];
    return c;
}

// Everything the descriptor delivers until `stop` is seen, EOF, or 5 s without a byte.
std::string ReadUntil(int fd, char stop) {
    std::string text;
    char ch = 0;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && read(fd, &ch, 1) == 1) {
        text += ch;
        if (ch == stop) {
            break;
        }
    }
    return text;
}

int Finish(Child& c) {
    int status = 0;
    waitpid(c.pid, &status, 0);
    close(c.out);
    close(c.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(SimProgram, ServesThroughItsLinkAndRemovesItOnTerm) {
    TempFolder dir;
    const fs::path link = dir.Path() / "vrx-port";
    fs::create_symlink("/nonexistent/old", link); // a stale link from an earlier run
    Child c = Spawn({"--link", link.string(), "--fault", "wrong-code:read-audio1"});
    const std::string device = ReadUntil(c.out, '\n');
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(fs::read_symlink(link).string() + "\n", device);

    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    const unsigned char request[] = {0x10, 0x02, 0x02, 0x01, 0x10, 0x03};
    ASSERT_EQ(write(fd, request, sizeof request), 6);
    unsigned char head[3] = {};
    std::size_t got = 0;
    pollfd p{fd, POLLIN, 0};
    while (got < 3 && poll(&p, 1, 2000) > 0) {
        const ssize_t n = read(fd, head + got, 3 - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    ASSERT_EQ(got, 3u);
    EXPECT_EQ(head[2], 0x14); // the injected wrong code instead of 0x13

    kill(c.pid, SIGTERM);
    EXPECT_EQ(Finish(c), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimProgram, BadUsageExitsWithTwoAndSaysWhy) {
    TempFolder dir;
    const fs::path shortFile = dir.Path() / "short.cfg";
    std::FILE* f = std::fopen(shortFile.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not 800 bytes", f);
    std::fclose(f);
    const fs::path link = (dir.Path() / "p").string();
    struct Row {
        std::vector<std::string> args;
        std::string says;
    };
    const Row rows[] = {
        {{}, "--link PATH is required"},
        {{"--link", link.string(), "--fault", "loud"}, "unknown fault 'loud'"},
        {{"--link", link.string(), "--fault", "silent:later"}, "unknown fault 'silent:later'"},
        {{"--link", link.string(), "--delay", "soon"}, "--delay"},
        {{"--link", link.string(), "--settings", shortFile.string()}, "expected 800 or 938"},
        {{"--link", shortFile.string()}, "not a symbolic link"},
        {{"--link"}, "--link needs a value"},
        {{"--bogus"}, "unknown argument '--bogus'"},
    };
    for (const auto& r : rows) {
        Child c = Spawn(r.args);
        const std::string err = ReadUntil(c.err, '\0');
        EXPECT_EQ(Finish(c), 2) << r.says;
        EXPECT_NE(err.find(r.says), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimProgram, HelpNamesEveryFaultAndStage) {
    Child c = Spawn({"--help"});
    const std::string text = ReadUntil(c.out, '\0');
    EXPECT_EQ(Finish(c), 0);
    for (const char* name :
         {"silent",           "wrong-code",  "wrong-length", "bad-block",    "wrong-block",
          "bad-block-number", "noise",       "cut-frame",    "oversize",     "bad-escape",
          "chatter",          "no-confirm",  "bad-confirm",  "read-system",  "read-audio0",
          "read-audio1",      "read-audio2", "write-system", "write-audio0", "write-audio1",
          "write-audio2",     "confirm"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

} // namespace
