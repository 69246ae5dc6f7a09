// Windows half of the account's name: its display name, else the user name.
#include "library/user_settings.h"

#include <windows.h>
#define SECURITY_WIN32
#include <security.h>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1); // the terminating null
    return out;
}

} // namespace

std::string AccountFullName() {
    wchar_t name[512] = {};
    ULONG size = sizeof name / sizeof name[0];
    if (::GetUserNameExW(NameDisplay, name, &size) && name[0] != L'\0')
        return Utf8(name);
    DWORD userSize = sizeof name / sizeof name[0];
    if (::GetUserNameW(name, &userSize))
        return Utf8(name);
    return {};
}
