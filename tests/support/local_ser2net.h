// What a check that puts Debian's ser2net in front of a simulated processor needs on this
// machine: the program itself and a free TCP port of 127.0.0.1 for it to listen on. POSIX only;
// the network tests and the backup benchmark share it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace testsupport {

// The ser2net program on the PATH or in the system's sbin folders; "" when it is not installed.
inline std::string Ser2netPath() {
    std::string dirs = "/usr/sbin:/usr/local/sbin";
    if (const char* path = std::getenv("PATH"))
        dirs = std::string(path) + ":" + dirs;
    std::stringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');) {
        const std::string candidate = dir + "/ser2net";
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// A TCP port of 127.0.0.1 that nothing listens on just now.
inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace testsupport
