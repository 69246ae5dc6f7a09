#include "library_listing.h"

#include "library/site_order.h"

#include <algorithm>
#include <vector>

std::string RenderListing(SiteLibrary& library, const std::function<bool()>& hasSettings) {
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
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen())
                text += "    " + library.GetScreenName() + (hasSettings() ? " *" : "") + "\n";
        }
    }
    return text;
}
