#include "library_listing.h"

#include "library/site_order.h"

#include <algorithm>
#include <vector>

std::string
RenderListing(SiteLibrary& library,
              const std::function<StoredSettingsState(const SiteSelection&)>& settingsState,
              const std::function<bool(const SiteSelection&)>& hasConflict) {
    std::vector<std::string> circuits;
    for (library.FirstCircuit(); library.HasCircuit(); library.NextCircuit())
        circuits.push_back(library.GetCircuitName());
    std::sort(circuits.begin(), circuits.end(),
              [](const std::string& a, const std::string& b) { return SiteNameLess(a, b); });

    std::string text;
    for (const std::string& circuit : circuits) {
        if (!library.FindCircuit(circuit))
            continue;
        text += circuit + "\n";
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater()) {
            text += "  " + library.GetTheaterName() + "\n";
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen()) {
                const SiteSelection screen = library.CurrentSelection(SiteLevel::Screen);
                const StoredSettingsState state = settingsState(screen);
                text += "    " + library.GetScreenName() +
                        (state == StoredSettingsState::Valid         ? " *"
                         : state == StoredSettingsState::FailsChecks ? kFailsChecksMark
                                                                     : "") +
                        (hasConflict && hasConflict(screen) ? kConflictMark : "") + "\n";
            }
        }
    }
    return text;
}
