// Shared helpers of the link tests: a temporary folder with a profile that maps COM1 to a
// device, and a bare pseudo-terminal whose master side a test reads and writes directly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace linktest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

#ifndef _WIN32
// A pseudo-terminal pair; the program side opens Slave() through CSerialPort. POSIX only.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const std::string& Slave() const { return m_slave; }
    void Send(const std::vector<std::uint8_t>& bytes);
    // Every byte that arrives at the master until it has been quiet for quietMs.
    std::vector<std::uint8_t> Drain(int quietMs = 200);

private:
    int m_master = -1;
    std::string m_slave;
};
#endif

// Writes a profile in dir whose section "Ports" maps COM1 to device; returns its path.
std::string MapCom1(const TempDir& dir, const std::string& device);

} // namespace linktest

#ifndef _WIN32
#include "dialogue.h"

namespace linktest {

// 10 02, the bytes with each DLE doubled, 10 03, as the simulated processor frames them.
inline std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& message) {
    return vrxsim::EncodeFrame(message);
}

} // namespace linktest
#endif
