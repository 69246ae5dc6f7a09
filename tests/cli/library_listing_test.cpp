#include "library_listing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(Listing, SortsCircuitsIgnoringCaseAndKeepsLibraryOrderBelow) {
    SiteLibrary library;
    library.AddCircuit("plaza");
    library.AddTheater("West");
    library.AddScreen("2");
    library.AddScreen("1");
    library.AddCircuit("Odeon");
    library.AddTheater("Main");
    library.AddTheater("Annex");
    library.AddScreen("A");
    library.AddCircuit("Plaza");
    library.AddCircuit("Zeta");
    library.AddCircuit("alpha");

    // Screens "1" of plaza/West and "A" of Odeon/Annex have stored settings.
    const std::set<std::string> withSettings{"plaza/West/1", "Odeon/Annex/A"};
    const auto hasSettings = [&] {
        return withSettings.count(library.GetCircuitName() + "/" + library.GetTheaterName() + "/" +
                                  library.GetScreenName()) > 0;
    };
    EXPECT_EQ(RenderListing(library, hasSettings), "alpha\n"
                                                   "Odeon\n"
                                                   "  Main\n"
                                                   "  Annex\n"
                                                   "    A *\n"
                                                   "Plaza\n"
                                                   "plaza\n"
                                                   "  West\n"
                                                   "    2\n"
                                                   "    1 *\n"
                                                   "Zeta\n");
}

TEST(Listing, EmptyLibraryListsNothing) {
    SiteLibrary library;
    EXPECT_EQ(RenderListing(library, [] { return true; }), "");
}

} // namespace
