#include "cli_commands.h"
#include "cli_options.h"

#include "image/settings_image.h"
#include "library/site_library.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// shellapi.h after windows.h: it needs its types.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <iostream>
#include <string>
#include <vector>

namespace {

// The arguments as UTF-8, as every name and path is kept. Windows hands main() its arguments in
// the ANSI code page, which loses every character outside it, so they are taken from the wide
// command line there.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const int size =
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(arg.size() - 1); // the terminating null
        args.push_back(std::move(arg));
    }
    ::LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

bool ErrorsGoToATerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = Arguments(argc, argv);
    const CliParse parse = ParseCommandLine(args);
    if (!parse.m_request) {
        std::cerr << "vrx3km-cli: " << parse.m_strError << "\n"
                  << "Try \"vrx3km-cli --help\".\n";
        return static_cast<int>(kExitUsage);
    }
    CliStreams io{std::cin, std::cout, std::cerr, ErrorsGoToATerminal()};
    SiteLibrary library;
    SettingsImage image;
    CSerialPort port;
    FrameCodec codec;
    PortSettings portSettings;
    CliObjects objects{library, image, port, codec, portSettings};
    return static_cast<int>(RunCommand(*parse.m_request, io, objects));
}
