#include "library/site_name.h"
#include "library/site_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct NameCase {
    std::string name;
    bool accepted;
};

class CheckSiteNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(CheckSiteNameTest, AcceptsOnlySafeFolderNames) {
    const NameCase& c = GetParam();
    const auto refusal = CheckSiteName(c.name);
    EXPECT_EQ(!refusal.has_value(), c.accepted) << "name: \"" << c.name << "\"";
    if (refusal) {
        EXPECT_FALSE(refusal->empty());
    }
}

// Letters of two bytes each in UTF-8 ("Ж"): the limit counts letters, not bytes.
std::string Cyrillic(int letters) {
    std::string name;
    for (int i = 0; i < letters; ++i)
        name += "\xd0\x96";
    return name;
}

// Letters written as "e" and a combining acute accent: one character each to a reader.
std::string Accented(int letters) {
    std::string name;
    for (int i = 0; i < letters; ++i)
        name += "e\xcc\x81";
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CheckSiteNameTest,
    testing::Values(NameCase{"Main", true}, NameCase{"1", true}, NameCase{"Plaza 2", true},
                    NameCase{"A.B", true}, NameCase{".hidden", false}, NameCase{" lead", true},
                    NameCase{"Caf\xc3\xa9", true}, NameCase{std::string(32, 'x'), true},
                    NameCase{std::string(33, 'x'), false}, NameCase{Cyrillic(28), true},
                    NameCase{Cyrillic(32), true}, NameCase{Cyrillic(33), false},
                    NameCase{"", false}, NameCase{".", false}, NameCase{"..", false},
                    NameCase{"a\\b", false}, NameCase{"a/b", false}, NameCase{"../x", false},
                    NameCase{"C:", false}, NameCase{"a*", false}, NameCase{"a?", false},
                    NameCase{"say \"hi\"", false}, NameCase{"<a", false}, NameCase{"a>", false},
                    NameCase{"a|b", false}, NameCase{"tab\there", false},
                    NameCase{"line\nbreak", false}, NameCase{std::string("nul\0x", 5), false},
                    NameCase{"del\x7f", false}, NameCase{"trailing ", false},
                    NameCase{"trailing.", false}, NameCase{"...", false},
                    NameCase{Accented(32), true}, NameCase{Accented(33), false},
                    NameCase{"c1\xc2\x85", false}, NameCase{"Caf\xe9", false}));

TEST(CheckSiteName, RefusalNamesTheOffendingCharacter) {
    const auto refusal = CheckSiteName("Main*");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find("character *."), std::string::npos) << *refusal;
}

TEST(CompareSiteNames, NaturalOrderIgnoringCaseWithByteOrderForTies) {
    const std::vector<std::string> sorted{"",
                                          "01",
                                          "1",
                                          "2",
                                          "10",
                                          "99999999999999999999",
                                          "100000000000000000000",
                                          "A",
                                          "a",
                                          "a1b",
                                          "a01c",
                                          "Screen 2",
                                          "screen 3",
                                          "Screen 10",
                                          "Screen 10a",
                                          "Theater",
                                          "theater",
                                          "\xc3\x89"
                                          "cran"};
    std::vector<std::string> shuffled = sorted;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(14));
    std::sort(shuffled.begin(), shuffled.end(),
              [](const std::string& a, const std::string& b) { return SiteNameLess(a, b); });
    EXPECT_EQ(shuffled, sorted);
    for (const std::string& name : sorted)
        EXPECT_EQ(CompareSiteNames(name, name), 0) << name;
}

} // namespace
