#include "image/this_machine.h"

#include <cstdlib>

namespace {

constexpr std::size_t kMaxMachineName = 40;
constexpr const char* kNoName = "machine";

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::string SafeMachineName(std::string_view name) {
    name = name.substr(0, name.find('.'));
    std::string safe;
    bool bGap = false;
    for (const char c : name) {
        if (!IsAsciiAlnum(c)) {
            bGap = true;
            continue;
        }
        if (bGap && !safe.empty())
            safe += '-';
        bGap = false;
        safe += c;
        if (safe.size() >= kMaxMachineName)
            break;
    }
    return safe.empty() ? kNoName : safe;
}

std::string MachineName() {
    if (const char* given = std::getenv(kMachineVariable); given != nullptr && *given != '\0')
        return SafeMachineName(given);
    return SafeMachineName(SystemHostName());
}
