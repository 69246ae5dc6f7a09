#include "library_listing.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    const auto folded = [](unsigned char c) { return std::tolower(c); };
    const bool bLess = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    const bool bGreater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    return bLess || (!bGreater && a < b);
}

} // namespace

std::string RenderListing(SiteLibrary& library, const std::function<bool()>& hasSettings) {
    return RenderListing(library, [&hasSettings] {
        return hasSettings() ? StoredSettingsState::Valid : StoredSettingsState::None;
    });
}

std::string RenderListing(SiteLibrary& library,
                          const std::function<StoredSettingsState()>& settingsState) {
    std::vector<std::string> circuits;
    for (library.FirstCircuit(); library.HasCircuit(); library.NextCircuit())
        circuits.push_back(library.GetCircuitName());
    std::sort(circuits.begin(), circuits.end(), LessIgnoringCase);

    std::string text;
    for (const std::string& circuit : circuits) {
        if (!library.FindCircuit(circuit))
            continue;
        text += circuit + "\n";
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater()) {
            text += "  " + library.GetTheaterName() + "\n";
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen()) {
                const StoredSettingsState state = settingsState();
                text += "    " + library.GetScreenName() +
                        (state == StoredSettingsState::Valid         ? " *"
                         : state == StoredSettingsState::FailsChecks ? kFailsChecksMark
                                                                     : "") +
                        "\n";
            }
        }
    }
    return text;
}
