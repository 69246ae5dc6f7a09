#include "link_fixture.h"

#include "link/profile.h"

#include <cerrno>
#include <random>
#include <stdexcept>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace linktest {

TempDir::TempDir() {
    // A folder that did not exist before is this object's alone.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const auto candidate =
            std::filesystem::temp_directory_path() / ("vrxlink-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
        }
    }
    if (m_path.empty()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

#ifndef _WIN32
Pty::Pty() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        throw std::runtime_error("ptsname failed");
    }
    m_slave = name;
}

Pty::~Pty() {
    if (m_master >= 0) {
        close(m_master);
    }
}

void Pty::Send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("pty write failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> Pty::Drain(int quietMs) {
    std::vector<std::uint8_t> bytes;
    for (;;) {
        pollfd pfd{m_master, POLLIN, 0};
        const int ready = poll(&pfd, 1, quietMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (pfd.revents & POLLIN) == 0) {
            return bytes;
        }
        std::uint8_t buffer[512];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
}

#endif

std::string MapCom1(const TempDir& dir, const std::string& device) {
    const std::string profile = (dir.Path() / "VRX3KM.CFG").string();
    if (!WritePrivateProfileString("Ports", "COM1", device, profile)) {
        throw std::runtime_error("profile not written");
    }
    return profile;
}

} // namespace linktest
