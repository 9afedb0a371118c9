// Stopping a long loop from outside.  A loop whose length comes from a
// caller's number or from the size of its input takes an Interrupt and calls
// tick() once per step.  Every `period` ticks the Interrupt asks its poll
// function whether the caller wants the work abandoned and, if so, throws
// Interrupted; the loop's owner lets it pass, so nothing half-built is ever
// handed back.  A default-constructed Interrupt never polls: a kernel called
// without one runs to the end, at the cost of one counter and one branch per
// step.
//
// The poll function is a plain function pointer with its context, so core
// stays free of any knowledge of who asks (the bindings poll the
// interpreter's signal handlers).  tick() is const so that kernels can take
// `const Interrupt &stop = {}`: the step counter is the Interrupt's own
// bookkeeping, not part of its value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace geom {

// Thrown by Interrupt::tick() and Interrupt::poll() when the poll function
// reports a pending interrupt.  Deliberately not a std::exception: a
// `catch (const std::exception &)` meant for failures never swallows it.
struct Interrupted {};

class Interrupt {
public:
    // Whether an interrupt is pending; may do the poller's own work first
    // (run signal handlers).
    using Poll = bool (*)(void *context);

    // Steps between two polls.  A step is a few hundred nanoseconds at most
    // where it matters, so a pending interrupt is seen well within a
    // millisecond; a loop whose steps are longer ticks inside them.
    static constexpr std::uint32_t period = 1024;

    constexpr Interrupt() = default;
    constexpr Interrupt(Poll poll, void *context) : poll_(poll), context_(context) {}

    // One step: every `period`-th call polls.
    void tick() const {
        if (--countdown_ == 0) [[unlikely]]
            poll();
    }

    // `steps` steps at once, for a step that is itself a pass over the
    // input: polls once `period` steps have gathered.  Keeps the inner pass
    // free of any check.
    void tick(std::size_t steps) const {
        if (steps >= countdown_)
            poll();
        else
            countdown_ -= (std::uint32_t) steps;
    }

    // Polls now (and starts a new period): throws Interrupted when an
    // interrupt is pending.  Never throws for a default-constructed one.
    void poll() const {
        countdown_ = period;
        if (poll_ && poll_(context_))
            throw Interrupted{};
    }

    // Whether this Interrupt can stop anything at all.
    bool active() const { return poll_ != nullptr; }

private:
    Poll poll_ = nullptr;
    void *context_ = nullptr;
    mutable std::uint32_t countdown_ = period;
};

}  // namespace geom
