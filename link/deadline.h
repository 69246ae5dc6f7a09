// One way to bound a wait on the line: a deadline computed once on a clock and asked for the
// time that is left. The port, the frame codec and the link check all use it, and a test line
// runs them on a clock it moves by hand, so no real seconds pass.
#pragma once

#include <chrono>

// The time source of a line. The program's ports use the steady clock; a test line brings its
// own.
class LinkClock {
public:
    using duration = std::chrono::steady_clock::duration;
    using time_point = std::chrono::steady_clock::time_point;

    virtual ~LinkClock() = default;
    virtual time_point Now() const = 0;
};

// The steady clock of the machine.
const LinkClock& SteadyLinkClock();

// A clock that moves only when told to.
class ManualLinkClock : public LinkClock {
public:
    time_point Now() const override { return m_now; }
    void Advance(duration step) { m_now += step; }
    void AdvanceTo(time_point when) {
        if (when > m_now) {
            m_now = when;
        }
    }

private:
    time_point m_now{};
};

class Deadline {
public:
    // The deadline `after` from now on `clock`. The clock must outlive the deadline.
    Deadline(const LinkClock& clock, LinkClock::duration after)
        : m_pClock(&clock), m_end(clock.Now() + after) {}

    bool Expired() const { return m_pClock->Now() >= m_end; }
    // What is left, never negative.
    LinkClock::duration Remaining() const {
        const auto left = m_end - m_pClock->Now();
        return left > LinkClock::duration::zero() ? left : LinkClock::duration::zero();
    }
    // What is left in whole milliseconds, rounded up so that a wait of that length does not end
    // before the deadline.
    int RemainingMs() const {
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(Remaining()).count());
    }
    LinkClock::time_point End() const { return m_end; }

private:
    const LinkClock* m_pClock;
    LinkClock::time_point m_end;
};
