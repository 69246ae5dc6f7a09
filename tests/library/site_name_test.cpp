#include "library/site_name.h"

#include <gtest/gtest.h>

#include <string>

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

INSTANTIATE_TEST_SUITE_P(
    Names, CheckSiteNameTest,
    testing::Values(NameCase{"Main", true}, NameCase{"1", true}, NameCase{"Plaza 2", true},
                    NameCase{"A.B", true}, NameCase{".hidden", true}, NameCase{" lead", true},
                    NameCase{"Caf\xc3\xa9", true}, NameCase{std::string(32, 'x'), true},
                    NameCase{std::string(33, 'x'), false}, NameCase{"", false},
                    NameCase{".", false}, NameCase{"..", false}, NameCase{"a\\b", false},
                    NameCase{"a/b", false}, NameCase{"../x", false}, NameCase{"C:", false},
                    NameCase{"a*", false}, NameCase{"a?", false}, NameCase{"say \"hi\"", false},
                    NameCase{"<a", false}, NameCase{"a>", false}, NameCase{"a|b", false},
                    NameCase{"tab\there", false}, NameCase{"line\nbreak", false},
                    NameCase{std::string("nul\0x", 5), false}, NameCase{"del\x7f", false},
                    NameCase{"trailing ", false}, NameCase{"trailing.", false},
                    NameCase{"...", false}));

TEST(CheckSiteName, RefusalNamesTheOffendingCharacter) {
    const auto refusal = CheckSiteName("Main*");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find("character *."), std::string::npos) << *refusal;
}

} // namespace
