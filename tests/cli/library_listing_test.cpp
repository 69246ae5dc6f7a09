#include "library_listing.h"

#include <gtest/gtest.h>

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

    // Screen "1" of plaza/West has valid stored settings, "A" of Odeon/Annex ones that fail.
    const auto state = [](const SiteSelection& screen) {
        const std::string path =
            screen.m_strCircuit + "/" + screen.m_strTheater + "/" + screen.m_strScreen;
        return path == "plaza/West/1"    ? StoredSettingsState::Valid
               : path == "Odeon/Annex/A" ? StoredSettingsState::FailsChecks
                                         : StoredSettingsState::None;
    };
    EXPECT_EQ(RenderListing(library, state), "alpha\n"
                                             "Odeon\n"
                                             "  Main\n"
                                             "  Annex\n"
                                             "    A !\n"
                                             "Plaza\n"
                                             "plaza\n"
                                             "  West\n"
                                             "    2\n"
                                             "    1 *\n"
                                             "Zeta\n");
}

TEST(Listing, EmptyLibraryListsNothing) {
    SiteLibrary library;
    EXPECT_EQ(
        RenderListing(library, [](const SiteSelection&) { return StoredSettingsState::Valid; }),
        "");
}

} // namespace
