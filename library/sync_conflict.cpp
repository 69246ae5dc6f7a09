#include "library/sync_conflict.h"

#include <algorithm>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDeviceCharacter(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool Digits(std::string_view text, std::size_t at, std::size_t count) {
    return at + count <= text.size() &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + count), IsDigit);
}

// What may follow the engine's mark: nothing, or the original's extension.
bool IsExtensionOrNothing(std::string_view rest) {
    return rest.empty() || (rest.size() > 1 && rest[0] == '.' &&
                            rest.find_first_of("()") == std::string_view::npos);
}

// NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE[.EXT]: the device is the first characters of the
// identity of the computer whose version lost.
std::optional<std::string> SyncthingOriginal(std::string_view name) {
    constexpr std::string_view kMark = ".sync-conflict-";
    const std::size_t at = name.rfind(kMark);
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    const std::size_t stamp = at + kMark.size();
    if (!Digits(name, stamp, 8) || stamp + 8 >= name.size() || name[stamp + 8] != '-' ||
        !Digits(name, stamp + 9, 6) || stamp + 15 >= name.size() || name[stamp + 15] != '-')
        return std::nullopt;
    std::size_t end = stamp + 16;
    while (end < name.size() && IsDeviceCharacter(name[end]))
        ++end;
    if (end == stamp + 16)
        return std::nullopt;
    const std::string_view rest = name.substr(end);
    if (!rest.empty() && (rest[0] != '.' || rest.find('.', 1) != std::string_view::npos))
        return std::nullopt;
    return std::string(name.substr(0, at)) + std::string(rest);
}

// NAME (conflicted copy ...)[.EXT] and NAME (MACHINE's conflicted copy ...)[.EXT]; the part in
// parentheses holds a date and may hold parentheses of its own ("2026-12-08 (1)").
std::optional<ConflictCopyName> ConflictedCopyOriginal(std::string_view name) {
    constexpr std::string_view kMark = "conflicted copy";
    const std::size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos)
        return std::nullopt;
    const std::size_t open = name.rfind(" (", mark);
    if (open == std::string_view::npos || open == 0)
        return std::nullopt;
    const std::string_view owner = name.substr(open + 2, mark - open - 2);
    if (owner.find_first_of("()") != std::string_view::npos)
        return std::nullopt;
    SyncEngine engine = SyncEngine::Nextcloud;
    if (!owner.empty()) {
        // "Laptop's " with an ASCII or a typographic apostrophe.
        const bool bAscii = owner.size() > 3 && owner.substr(owner.size() - 3) == "'s ";
        const bool bTypographic =
            owner.size() > 5 && owner.substr(owner.size() - 5) == "\xE2\x80\x99s ";
        if (!bAscii && !bTypographic)
            return std::nullopt;
        engine = SyncEngine::Dropbox;
    }
    int depth = 1;
    std::size_t close = mark + kMark.size();
    bool bDigit = false;
    for (; close < name.size() && depth > 0; ++close) {
        depth += name[close] == '(' ? 1 : name[close] == ')' ? -1 : 0;
        bDigit = bDigit || IsDigit(name[close]);
    }
    if (depth != 0 || !bDigit)
        return std::nullopt;
    const std::string_view rest = name.substr(close);
    if (!IsExtensionOrNothing(rest))
        return std::nullopt;
    return ConflictCopyName{std::string(name.substr(0, open)) + std::string(rest), engine};
}

std::optional<ConflictCopyName> ParseOnce(std::string_view name) {
    if (std::optional<std::string> original = SyncthingOriginal(name))
        return ConflictCopyName{std::move(*original), SyncEngine::Syncthing};
    return ConflictedCopyOriginal(name);
}

} // namespace

std::optional<ConflictCopyName> ParseConflictCopyName(std::string_view name) {
    std::optional<ConflictCopyName> copy = ParseOnce(name);
    // A copy of a copy: the engine of the outermost mark, the name of the first original.
    for (int i = 0; copy && i < 8; ++i) {
        std::optional<ConflictCopyName> inner = ParseOnce(copy->m_strOriginal);
        if (!inner)
            break;
        copy->m_strOriginal = std::move(inner->m_strOriginal);
    }
    return copy;
}

const char* SyncEngineText(SyncEngine engine) {
    switch (engine) {
    case SyncEngine::Nextcloud:
        return "Nextcloud or ownCloud";
    case SyncEngine::Dropbox:
        return "Dropbox";
    case SyncEngine::Syncthing:
        break;
    }
    return "Syncthing";
}
