#include "library/site_name.h"

#include "library/name_text.h"
#include "library/sync_conflict.h"

namespace {

// True for a C0 or C1 control character, DEL included: U+0000..U+001F, U+007F..U+009F (in UTF-8
// the C1 controls are 0xC2 followed by 0x80..0x9F).
bool HoldsControlCharacter(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F)
            return true;
        if (byte == 0xC2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9F)
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::string> CheckSiteName(std::string_view name) {
    if (name.empty())
        return "Please enter a name.";
    if (name == "." || name == "..")
        return "The name \"" + std::string(name) + "\" cannot be used as a folder name.";
    if (IsHiddenName(name))
        return "The name cannot begin with a full stop: a folder of that name is hidden and is "
               "not part of the library.\nPlease enter the name without the leading full stop.";
    if (HoldsControlCharacter(name))
        return "The name cannot hold control characters.";
    if (!ComposeNfc(name))
        return "The name is not valid UTF-8 text. Please type it again (or set the terminal to "
               "UTF-8).";
    if (SiteNameLength(name) > kMaxSiteNameLength)
        return "Please enter no more than " + std::to_string(kMaxSiteNameLength) + " characters.";
    constexpr std::string_view kRefused = "\\/:*?\"<>|";
    if (const auto at = name.find_first_of(kRefused); at != std::string_view::npos)
        return "The name cannot hold the character " + std::string(1, name[at]) +
               ".\nThese characters are not allowed: \\ / : * ? \" < > |";
    if (name.back() == ' ')
        return "The name cannot end in a space.";
    if (name.back() == '.')
        return "The name cannot end in a full stop.";
    if (IsConflictCopyName(name))
        return "The name looks like the copy a sync engine makes of a folder after a conflict "
               "(\"conflicted copy\", \".sync-conflict-\"); such folders are not part of the "
               "library.\nPlease enter another name.";
    return std::nullopt;
}

std::size_t SiteNameLength(std::string_view name) {
    return CountVisibleCharacters(name);
}

std::optional<std::string> NormalizeSiteName(std::string_view name) {
    return ComposeNfc(name);
}

bool IsSameSiteName(std::string_view a, std::string_view b) {
    return a == b || FoldNameForComparison(a) == FoldNameForComparison(b);
}
