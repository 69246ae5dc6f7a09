#include "library/site_status.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ScreenStateOf, FollowsTheStoredSettingsAndTheirAge) {
    constexpr std::time_t kNow = 1'800'000'000;
    constexpr std::time_t kDay = 24 * 60 * 60;
    using S = StoredSettingsState;
    struct Case {
        S stored;
        std::optional<std::time_t> lastRead;
        int nDays;
        ScreenState expected;
    };
    const Case cases[] = {
        {S::None, std::nullopt, 365, ScreenState::NeverRead},
        {S::Valid, kNow, 365, ScreenState::UpToDate},
        {S::Valid, kNow - 365 * kDay, 365, ScreenState::UpToDate},
        {S::Valid, kNow - 365 * kDay - 1, 365, ScreenState::Overdue},
        {S::Valid, kNow - 400 * kDay, 500, ScreenState::UpToDate},
        {S::Valid, kNow - 1, 0, ScreenState::Overdue},
        {S::Valid, kNow + 30 * kDay, 0, ScreenState::UpToDate}, // a clock set wrong
        // Settings a Send would refuse need a new Load, however recent or old they are; so does
        // a Vrx.cfg of another length.
        {S::FailsChecks, kNow, 365, ScreenState::FailsChecks},
        {S::FailsChecks, kNow - 400 * kDay, 365, ScreenState::FailsChecks},
        {S::None, kNow, 365, ScreenState::FailsChecks},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScreenStateOf(c.stored, c.lastRead, kNow, c.nDays), c.expected)
            << ScreenStateText(c.expected) << " " << (c.lastRead ? kNow - *c.lastRead : -1);
}

} // namespace
