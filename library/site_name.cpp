#include "library/site_name.h"

std::optional<std::string> CheckSiteName(std::string_view name) {
    if (name.empty())
        return "Please enter a name.";
    if (name == "." || name == "..")
        return "The name \"" + std::string(name) + "\" cannot be used as a folder name.";
    if (IsHiddenName(name))
        return "The name cannot begin with a full stop: a folder of that name is hidden and is "
               "not part of the library.\nPlease enter the name without the leading full stop.";
    if (SiteNameLength(name) > kMaxSiteNameLength)
        return "Please enter no more than " + std::to_string(kMaxSiteNameLength) + " characters.";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return "The name cannot hold control characters.";
    }
    constexpr std::string_view kRefused = "\\/:*?\"<>|";
    if (const auto at = name.find_first_of(kRefused); at != std::string_view::npos)
        return "The name cannot hold the character " + std::string(1, name[at]) +
               ".\nThese characters are not allowed: \\ / : * ? \" < > |";
    if (name.back() == ' ')
        return "The name cannot end in a space.";
    if (name.back() == '.')
        return "The name cannot end in a full stop.";
    return std::nullopt;
}

std::size_t SiteNameLength(std::string_view name) {
    std::size_t count = 0;
    for (char c : name)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}
