#include "library/site_library.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Circuits A and B, each with a theater named 1 holding screens; A also holds Plaza.
struct SampleLibrary {
    SiteLibrary lib;
    SitePos a{}, b{}, a1{}, aPlaza{}, b1{}, a1s1{}, a1s2{}, b1s1{};

    SampleLibrary() {
        a = lib.AddCircuit("A");
        a1 = lib.AddTheater("1");
        a1s1 = lib.AddScreen("1");
        a1s2 = lib.AddScreen("2");
        aPlaza = lib.AddTheater("Plaza");
        b = lib.AddCircuit("B");
        b1 = lib.AddTheater("1");
        b1s1 = lib.AddScreen("1");
    }
    std::vector<SitePos> All() const { return {a, b, a1, aPlaza, b1, a1s1, a1s2, b1s1}; }
};

std::vector<std::string> CircuitNames(SiteLibrary& lib) {
    std::vector<std::string> names;
    for (lib.FirstCircuit(); lib.HasCircuit(); lib.NextCircuit())
        names.push_back(lib.GetCircuitName());
    return names;
}

TEST(SiteLibrary, EmptyLibraryFindsAndLocatesNothing) {
    SiteLibrary lib;
    lib.FirstCircuit();
    EXPECT_FALSE(lib.HasCircuit());
    EXPECT_EQ(lib.GetCircuitPos(), nullptr);
    EXPECT_FALSE(lib.FindCircuit("A"));
    EXPECT_EQ(lib.Locate(nullptr), SiteLevel::None);
    int something = 0;
    EXPECT_EQ(lib.Locate(&something), SiteLevel::None);
    EXPECT_FALSE(lib.LocateScreen(&something));
    EXPECT_EQ(lib.GetCircuitName(), "");
}

TEST(SiteLibrary, ParentsWithoutChildrenHaveNullCursors) {
    SiteLibrary lib;
    lib.AddCircuit("A");
    lib.FirstTheater();
    EXPECT_FALSE(lib.HasTheater());
    EXPECT_FALSE(lib.FindTheater("1"));
    lib.AddTheater("1");
    lib.FirstScreen();
    EXPECT_FALSE(lib.HasScreen());
    EXPECT_FALSE(lib.FindScreen("1"));
}

TEST(SiteLibrary, HandlesAreNonNullAndDistinctAcrossLevels) {
    SampleLibrary s;
    std::set<SitePos> seen;
    for (SitePos p : s.All()) {
        EXPECT_NE(p, nullptr);
        seen.insert(p);
    }
    EXPECT_EQ(seen.size(), s.All().size());
}

TEST(SiteLibrary, LocateFindsEachEntryWithItsAncestors) {
    SampleLibrary s;
    struct Row {
        SitePos pos;
        SiteLevel level;
        const char* circuit;
        const char* theater;
        const char* screen;
    };
    const Row rows[] = {
        {s.a, SiteLevel::Circuit, "A", nullptr, nullptr},
        {s.b, SiteLevel::Circuit, "B", nullptr, nullptr},
        {s.a1, SiteLevel::Theater, "A", "1", nullptr},
        {s.b1, SiteLevel::Theater, "B", "1", nullptr},
        {s.aPlaza, SiteLevel::Theater, "A", "Plaza", nullptr},
        {s.a1s2, SiteLevel::Screen, "A", "1", "2"},
        {s.b1s1, SiteLevel::Screen, "B", "1", "1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.circuit) + (r.theater ? r.theater : "-"));
        EXPECT_EQ(s.lib.Locate(r.pos), r.level);
        EXPECT_EQ(s.lib.GetCircuitName(), r.circuit);
        if (r.level == SiteLevel::Circuit) {
            EXPECT_EQ(s.lib.GetCircuitPos(), r.pos);
        }
        if (r.theater != nullptr) {
            EXPECT_EQ(s.lib.GetTheaterName(), r.theater);
        }
        if (r.screen != nullptr) {
            EXPECT_EQ(s.lib.GetScreenName(), r.screen);
            EXPECT_EQ(s.lib.GetScreenPos(), r.pos);
            EXPECT_TRUE(s.lib.LocateScreen(r.pos));
            EXPECT_EQ(s.lib.GetCircuitName(), r.circuit);
            EXPECT_EQ(s.lib.GetTheaterName(), r.theater);
        } else {
            EXPECT_FALSE(s.lib.LocateScreen(r.pos));
        }
    }
    EXPECT_EQ(s.lib.Locate(nullptr), SiteLevel::None);
    EXPECT_FALSE(s.lib.LocateScreen(nullptr));
}

TEST(SiteLibrary, MissedLookupLeavesCursorNullAndLastEntryCurrent) {
    SampleLibrary s;
    EXPECT_FALSE(s.lib.FindCircuit("C"));
    EXPECT_FALSE(s.lib.HasCircuit());
    EXPECT_EQ(s.lib.GetCircuitName(), "B");
    EXPECT_EQ(s.lib.Locate(&s), SiteLevel::None);
    EXPECT_FALSE(s.lib.HasCircuit());
}

TEST(SiteLibrary, NamesCompareExactlyAndDuplicatesAreKept) {
    SiteLibrary lib;
    lib.AddCircuit("Cinema");
    lib.AddTheater("ABC");
    EXPECT_FALSE(lib.FindTheater("abc"));
    SitePos lower = lib.AddTheater("abc");
    EXPECT_TRUE(lib.FindTheater("abc"));
    EXPECT_EQ(lib.GetTheaterPos(), lower);
    EXPECT_FALSE(lib.FindCircuit("cinema"));

    SitePos first = lib.AddCircuit("Twin");
    SitePos second = lib.AddCircuit("Twin");
    EXPECT_NE(first, second);
    EXPECT_EQ(CircuitNames(lib), (std::vector<std::string>{"Cinema", "Twin", "Twin"}));
    EXPECT_TRUE(lib.FindCircuit("Twin"));
    EXPECT_EQ(lib.GetCircuitPos(), first);
    // With the first gone the second is found; with both gone, none.
    lib.RemoveCurrentCircuit();
    EXPECT_TRUE(lib.FindCircuit("Twin"));
    EXPECT_EQ(lib.GetCircuitPos(), second);
    lib.RemoveCurrentCircuit();
    EXPECT_FALSE(lib.FindCircuit("Twin"));
    EXPECT_EQ(lib.GetCircuitName(), "Cinema");
}

TEST(SiteLibrary, AddMakesNewEntryCurrentAndLeavesLowerCursors) {
    SampleLibrary s;
    EXPECT_EQ(s.lib.Locate(s.a1s1), SiteLevel::Screen);
    SitePos p = s.lib.AddScreen("3");
    EXPECT_EQ(s.lib.GetScreenName(), "3");
    EXPECT_EQ(s.lib.GetScreenPos(), p);
    // Adding a theater leaves the screen cursor on the old theater's screen.
    s.lib.AddTheater("New");
    EXPECT_EQ(s.lib.GetScreenPos(), p);
    // Removing "the current screen" now must not touch the new theater or the old screen.
    s.lib.RemoveCurrentScreen();
    EXPECT_EQ(s.lib.Locate(p), SiteLevel::Screen);
}

TEST(SiteLibrary, MovingOneCursorLeavesTheLevelsBelow) {
    SampleLibrary s;
    s.lib.Locate(s.a1s2);
    s.lib.NextCircuit();
    EXPECT_EQ(s.lib.GetCircuitName(), "B");
    EXPECT_EQ(s.lib.GetTheaterPos(), s.a1);
    EXPECT_EQ(s.lib.GetScreenPos(), s.a1s2);
    s.lib.NextCircuit();
    EXPECT_FALSE(s.lib.HasCircuit());
    EXPECT_EQ(s.lib.GetCircuitName(), "B");
    s.lib.NextCircuit(); // on a null cursor: nothing happens
    EXPECT_FALSE(s.lib.HasCircuit());
    EXPECT_EQ(s.lib.GetCircuitName(), "B");
}

TEST(SiteLibrary, PreconditionViolationsAreHarmless) {
    SiteLibrary lib;
    EXPECT_EQ(lib.AddTheater("T"), nullptr);
    EXPECT_EQ(lib.AddScreen("S"), nullptr);
    lib.RemoveCurrentCircuit();
    lib.RemoveCurrentTheater();
    lib.RemoveCurrentScreen();
    lib.NextTheater();
    lib.NextScreen();
    lib.AddCircuit("C");
    EXPECT_EQ(lib.AddScreen("S"), nullptr);
    EXPECT_EQ(CircuitNames(lib), std::vector<std::string>{"C"});
}

TEST(SiteLibrary, HandlesStayStableWhileOthersComeAndGo) {
    SampleLibrary s;
    for (int i = 0; i < 50; ++i) {
        s.lib.Locate(s.a1);
        s.lib.AddScreen("x" + std::to_string(i));
        s.lib.AddCircuit("c" + std::to_string(i));
    }
    s.lib.Locate(s.a1s1);
    s.lib.RemoveCurrentScreen();
    s.lib.Locate(s.b);
    s.lib.RemoveCurrentCircuit();
    for (SitePos p : {s.a, s.a1, s.aPlaza, s.a1s2}) {
        EXPECT_NE(s.lib.Locate(p), SiteLevel::None);
    }
    EXPECT_EQ(s.lib.Locate(s.a1s2), SiteLevel::Screen);
    EXPECT_EQ(s.lib.GetScreenName(), "2");
    EXPECT_EQ(s.lib.Locate(s.aPlaza), SiteLevel::Theater);
    EXPECT_EQ(s.lib.GetTheaterName(), "Plaza");
}

TEST(SiteLibrary, RemovedEntriesLocateNothingOrALaterEntry) {
    SampleLibrary s;
    struct Row {
        SitePos pos;
        SiteLevel level;
        std::vector<SitePos> gone;
    };
    // Removing from the bottom up, as Delete does.
    const Row rows[] = {{s.b1s1, SiteLevel::Screen, {s.b1s1}},
                        {s.b1, SiteLevel::Theater, {s.b1}},
                        {s.a, SiteLevel::Circuit, {s.a, s.a1, s.aPlaza, s.a1s1, s.a1s2}}};
    for (const Row& r : rows) {
        ASSERT_EQ(s.lib.Locate(r.pos), r.level);
        if (r.level == SiteLevel::Screen)
            s.lib.RemoveCurrentScreen();
        else if (r.level == SiteLevel::Theater)
            s.lib.RemoveCurrentTheater();
        else
            s.lib.RemoveCurrentCircuit();
        // The selection afterwards must be safe to read.
        (void)s.lib.GetScreenName();
        (void)s.lib.GetTheaterName();
        for (SitePos g : r.gone)
            EXPECT_EQ(s.lib.Locate(g), SiteLevel::None);
    }
    EXPECT_EQ(CircuitNames(s.lib), std::vector<std::string>{"B"});
    s.lib.Locate(s.b);
    s.lib.FirstTheater();
    EXPECT_FALSE(s.lib.HasTheater());
    // A new entry may reuse a freed handle; it is then the one located.
    SitePos fresh = s.lib.AddTheater("again");
    EXPECT_EQ(s.lib.Locate(fresh), SiteLevel::Theater);
    EXPECT_EQ(s.lib.GetTheaterName(), "again");
}

} // namespace
