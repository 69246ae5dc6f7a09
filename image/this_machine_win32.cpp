// Windows half of the machine name: the computer's DNS host name, which keeps the letter case it
// was given, else its NetBIOS name.
#include "image/this_machine.h"

#include <windows.h>

std::string SystemHostName() {
    wchar_t name[256] = {};
    DWORD size = sizeof name / sizeof name[0];
    if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &size)) {
        size = sizeof name / sizeof name[0];
        if (!::GetComputerNameW(name, &size))
            return {};
    }
    // The safe name keeps ASCII letters and digits only, so a narrowing copy loses nothing of it.
    std::string text;
    for (DWORD i = 0; i < size; ++i)
        text += name[i] < 0x80 ? static_cast<char>(name[i]) : '-';
    return text;
}
