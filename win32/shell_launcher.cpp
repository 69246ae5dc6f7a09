#include "win32/shell_launcher.h"

#include "win32/message_box.h"

#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A path holding a space is one parameter only in quotes; WordPad would take each word for a
// file of its own.
std::string Parameter(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

fs::path ProgramFolder() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer))
        return {};
    return fs::path(std::wstring(buffer, length)).parent_path();
}

} // namespace

bool ShellLauncher::Open(LaunchProgram program, const std::string& path) {
    const char* file = program == LaunchProgram::TextEditor ? "Notepad" : "Wordpad";
    const std::string parameter = Parameter(path);
    // The shell reports success with a value above 32. A path outside the ANSI code page (a
    // screen named in another script) goes through the wide call, which carries every name.
    HINSTANCE result;
    if (IsAscii(parameter))
        result = ShellExecuteA(nullptr, "open", file, parameter.c_str(), nullptr, SW_SHOWNORMAL);
    else
        result = ShellExecuteW(nullptr, L"open", Wide(file).c_str(), Wide(parameter).c_str(),
                               nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string HelpDocumentPath() {
    std::error_code ec;
    if (fs::is_regular_file("Help.doc", ec))
        return "Help.doc";
    const fs::path installed = ProgramFolder() / L"Help.doc";
    if (!installed.parent_path().empty() && fs::is_regular_file(installed, ec))
        return Utf8(installed.wstring());
    return {};
}

void OpenHelp(HWND owner, Launcher& launcher) {
    const std::string path = HelpDocumentPath();
    PromptRequest request;
    request.m_strCaption = kApplicationName;
    request.m_nIcon = PromptIcon::Exclamation;
    if (path.empty()) {
        request.m_strText = "Help.doc was not found, neither in the library folder nor beside "
                            "the program. Install the program again to restore it.";
        AskBox(owner, request);
        return;
    }
    if (launcher.Open(LaunchProgram::WordProcessor, path))
        return;
    // Windows without WordPad (it left Windows 11 in 2024): the program the system opens
    // documents of this kind with.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return;
    request.m_strText = "Neither WordPad nor a program for documents could be started to show " +
                        path + ". Open the file in a word processor of your own.";
    AskBox(owner, request);
}
