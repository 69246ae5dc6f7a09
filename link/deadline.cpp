#include "link/deadline.h"

namespace {

class SteadyClock : public LinkClock {
public:
    time_point Now() const override { return std::chrono::steady_clock::now(); }
};

} // namespace

const LinkClock& SteadyLinkClock() {
    static const SteadyClock clock;
    return clock;
}
