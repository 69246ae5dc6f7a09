#include "library/name_text.h"

#include "image/windows_api.h"

namespace {

std::optional<std::wstring> Widen(std::string_view utf8) {
    if (utf8.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                          nullptr, nullptr);
    return utf8;
}

// NormalizeString's own estimate may be short; it says so, and the call is repeated with more.
std::optional<std::wstring> Normalize(const std::wstring& wide) {
    if (wide.empty())
        return wide;
    int size =
        ::NormalizeString(NormalizationC, wide.data(), static_cast<int>(wide.size()), nullptr, 0);
    for (int attempt = 0; attempt < 10 && size > 0; ++attempt) {
        std::wstring out(static_cast<std::size_t>(size), L'\0');
        const int n = ::NormalizeString(NormalizationC, wide.data(), static_cast<int>(wide.size()),
                                        out.data(), size);
        if (n > 0) {
            out.resize(static_cast<std::size_t>(n));
            return out;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        size = -n;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ComposeNfc(std::string_view utf8) {
    const auto wide = Widen(utf8);
    if (!wide)
        return std::nullopt;
    const auto composed = Normalize(*wide);
    return composed ? std::optional<std::string>(Narrow(*composed)) : std::nullopt;
}

std::size_t CountVisibleCharacters(std::string_view utf8) {
    const auto wide = Widen(utf8);
    if (!wide) {
        std::size_t count = 0;
        for (const char c : utf8)
            count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return count;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i < wide->size(); ++i) {
        const wchar_t unit = (*wide)[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            continue; // the second half of a character outside the basic plane
        WORD type = 0;
        ::GetStringTypeW(CT_CTYPE3, &unit, 1, &type);
        if (count == 0 || (type & C3_NONSPACING) == 0)
            ++count;
    }
    return count;
}

std::string FoldNameForComparison(std::string_view utf8) {
    const auto wide = Widen(utf8);
    const auto composed = wide ? Normalize(*wide) : std::nullopt;
    if (!composed)
        return std::string(utf8);
    // Upper case, as the file systems of Windows compare names.
    std::wstring upper(*composed);
    if (!upper.empty())
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, composed->data(),
                        static_cast<int>(composed->size()), upper.data(),
                        static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return Narrow(upper);
}
