#include "library/site_order.h"

#include <cstddef>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Compares the runs of digits that begin at a[i] and b[j] by value and moves both indexes past
// them. Leading zeros do not count; of two significant parts the longer is the larger, and of
// two of one length the first differing digit decides.
int CompareDigitRuns(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && IsDigit(a[i + 1]))
        ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && IsDigit(b[j + 1]))
        ++j;
    std::size_t endA = i;
    while (endA < a.size() && IsDigit(a[endA]))
        ++endA;
    std::size_t endB = j;
    while (endB < b.size() && IsDigit(b[endB]))
        ++endB;
    const std::size_t lengthA = endA - i;
    const std::size_t lengthB = endB - j;
    int result = lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
    for (std::size_t k = 0; result == 0 && k < lengthA; ++k)
        result = Sign(static_cast<unsigned char>(a[i + k]) - static_cast<unsigned char>(b[j + k]));
    i = endA;
    j = endB;
    return result;
}

} // namespace

int CompareSiteNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int result = CompareDigitRuns(a, i, b, j); result != 0)
                return result;
            continue;
        }
        const auto x = static_cast<unsigned char>(FoldCase(a[i]));
        const auto y = static_cast<unsigned char>(FoldCase(b[j]));
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    // Equal but for letter case or leading zeros: byte order decides.
    return Sign(a.compare(b));
}
