// POSIX half of the account's name: the password entry's GECOS field, whose first comma-separated
// field is the full name, else the login name.
#include "library/user_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

std::string AccountFullName() {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return {};
    std::string full = entry.pw_gecos != nullptr ? entry.pw_gecos : "";
    full = full.substr(0, full.find(','));
    if (!full.empty())
        return full;
    return entry.pw_name != nullptr ? entry.pw_name : "";
}
