// vrx3km-sim: a simulated VRX-3KM on a pseudo-terminal, reachable through a symlink.
#include "blocks.h"
#include "fault_names.h"
#include "simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;

void PrintHelp(std::ostream& out) {
    out << "Usage: vrx3km-sim --link PATH [OPTIONS]\n"
           "\n"
           "Simulates a VRX-3KM processor on a pseudo-terminal. PATH becomes a symbolic link to\n"
           "its device, whose path is printed on one line. Serves until SIGINT or SIGTERM.\n"
           "\n"
           "Options:\n"
           "  --link PATH        symbolic link to create (an old symlink there is replaced)\n"
           "  --settings FILE    settings to serve: an 800- or 938-byte file (first 800 bytes);\n"
           "                     default: a built-in example\n"
           "  --pace             send at the line rate of 9600 baud, 8N1\n"
           "  --delay MS         think time before each reply, counted from the end of the\n"
           "                     request as it arrives on a real line at 9600 baud\n"
           "  --fault KIND[:STAGE]  inject a fault (repeatable)\n"
           "  --save FILE        store the 800 bytes there after every accepted write\n"
           "  --ixon             start the line with software flow control on (IXON, IXOFF),\n"
           "                     as a terminal's defaults have it; a program must turn it off\n"
           "  --help             this text\n"
           "\n"
           "Fault kinds:";
    for (auto k : vrxsim::AllFaultKinds()) {
        out << ' ' << vrxsim::NameOf(k);
    }
    out << "\n\nStages (default any):";
    for (auto s : vrxsim::AllStages()) {
        out << ' ' << vrxsim::NameOf(s);
    }
    out << '\n';
}

[[noreturn]] void Usage(const std::string& message) {
    std::cerr << "vrx3km-sim: " << message << "\nTry 'vrx3km-sim --help'.\n";
    std::exit(kUsageError);
}

std::array<std::uint8_t, 800> ReadSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Usage("cannot open settings file " + path);
    }
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() != 800 && data.size() != 938) {
        Usage("settings file " + path + " has " + std::to_string(data.size()) +
              " bytes; expected 800 or 938");
    }
    std::array<std::uint8_t, 800> s{};
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<std::uint8_t>(data[i]);
    }
    return s;
}

int ParseDelay(const std::string& text) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0 || value > 600000) {
        Usage("--delay wants milliseconds from 0 to 600000, not '" + text + "'");
    }
    return value;
}

// Turns software flow control on for the program's side of the line, as a terminal starts.
// A program that leaves it on loses every received 0x11 and 0x13 byte to it.
bool SetSoftwareFlowControl(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    termios t{};
    bool done = ::tcgetattr(fd, &t) == 0;
    if (done) {
        t.c_iflag |= IXON | IXOFF;
        done = ::tcsetattr(fd, TCSANOW, &t) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

int main(int argc, char** argv) {
    std::string linkPath;
    bool softwareFlowControl = false;
    vrxsim::Options options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                Usage(a + " needs a value");
            }
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            PrintHelp(std::cout);
            return 0;
        } else if (a == "--link") {
            linkPath = value();
        } else if (a == "--settings") {
            options.settings = ReadSettings(value());
        } else if (a == "--pace") {
            options.pace = true;
        } else if (a == "--delay") {
            options.delayMs = ParseDelay(value());
        } else if (a == "--fault") {
            const std::string& f = value();
            const auto fault = vrxsim::ParseFault(f);
            if (!fault) {
                Usage("unknown fault '" + f + "' (see --help for kinds and stages)");
            }
            options.faults.push_back(*fault);
        } else if (a == "--save") {
            options.saveFile = value();
        } else if (a == "--ixon") {
            softwareFlowControl = true;
        } else {
            Usage("unknown argument '" + a + "'");
        }
    }
    if (linkPath.empty()) {
        Usage("--link PATH is required");
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::symlink_status(linkPath, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        Usage(linkPath + " exists and is not a symbolic link; not replacing it");
    }

    // SIGINT and SIGTERM are taken by sigwait below, on this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        vrxsim::Simulator sim(options);
        if (softwareFlowControl && !SetSoftwareFlowControl(sim.DevicePath())) {
            std::cerr << "vrx3km-sim: cannot turn software flow control on for " << sim.DevicePath()
                      << '\n';
            return 1;
        }
        if (fs::is_symlink(status)) {
            fs::remove(linkPath, ec);
        }
        fs::create_symlink(sim.DevicePath(), linkPath, ec);
        if (ec) {
            std::cerr << "vrx3km-sim: cannot create " << linkPath << ": " << ec.message() << '\n';
            return 1;
        }
        sim.Start();
        std::cout << sim.DevicePath() << std::endl;
        int sig = 0;
        sigwait(&stopSignals, &sig);
        sim.Stop();
        // Only our own link is removed; someone may have pointed it elsewhere meanwhile.
        if (fs::is_symlink(linkPath, ec) && fs::read_symlink(linkPath, ec) == sim.DevicePath()) {
            fs::remove(linkPath, ec);
        }
    } catch (const std::exception& e) {
        std::cerr << "vrx3km-sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
