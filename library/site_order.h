// The order in which circuits, theaters and screens are listed after a scan, in the window's
// tree and in the command-line listing.
#pragma once

#include <string_view>

// Natural order of two names: letter case ignored (ASCII letters; other bytes as they are),
// runs of digits compared by their value ("2" before "10", "007" equal to "7"), and exact byte
// order to break the ties that remain, so that two different names never compare equal.
// Returns a negative value, zero or a positive value as a sorts before, equal to or after b.
int CompareSiteNames(std::string_view a, std::string_view b);

// CompareSiteNames(a, b) < 0: a strict weak order for std::sort and sorted insertion.
inline bool SiteNameLess(std::string_view a, std::string_view b) {
    return CompareSiteNames(a, b) < 0;
}
