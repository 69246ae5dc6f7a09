#include "library/name_text.h"

#include <utf8proc.h>

#include <cstdlib>

namespace {

// Maps text through utf8proc with these options; nullopt when it is not valid UTF-8.
std::optional<std::string> Map(std::string_view text, int options) {
    utf8proc_uint8_t* mapped = nullptr;
    const utf8proc_ssize_t n = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                            static_cast<utf8proc_ssize_t>(text.size()), &mapped,
                                            static_cast<utf8proc_option_t>(options));
    if (n < 0)
        return std::nullopt;
    std::string result(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(n));
    std::free(mapped);
    return result;
}

} // namespace

std::optional<std::string> ComposeNfc(std::string_view utf8) {
    return Map(utf8, UTF8PROC_STABLE | UTF8PROC_COMPOSE);
}

std::size_t CountVisibleCharacters(std::string_view utf8) {
    const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(utf8.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(utf8.size());
    std::size_t count = 0;
    utf8proc_int32_t previous = -1;
    utf8proc_int32_t state = 0;
    while (left > 0) {
        utf8proc_int32_t codepoint = 0;
        utf8proc_ssize_t n = utf8proc_iterate(at, left, &codepoint);
        if (n <= 0) {
            // Not UTF-8: the byte stands for a character of its own.
            n = 1;
            codepoint = -1;
        }
        if (previous < 0 || codepoint < 0 ||
            utf8proc_grapheme_break_stateful(previous, codepoint, &state))
            ++count;
        previous = codepoint;
        at += n;
        left -= n;
    }
    return count;
}

std::string FoldNameForComparison(std::string_view utf8) {
    return Map(utf8, UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD)
        .value_or(std::string(utf8));
}
