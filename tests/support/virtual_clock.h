// A virtual clock that runs the form models' timers: a test advances it and every timer
// that falls due ticks in time order, so a whole 60-second game plays in microseconds.
// Handlers may advance the clock again from inside a tick (as a modal box's nested event
// loop keeps timers running); the clock stays consistent.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/forms.h"

namespace kestrin::testing {

class VirtualClock {
public:
    void bind(forms::Timer& timer);
    // Moves time forward by ms, ticking every enabled timer as it falls due.
    void advance(std::int64_t ms);
    std::int64_t now() const { return now_; }
    // Runs before each tick, for example to deliver pending network events.
    std::function<void()> beforeTick;

private:
    struct Entry {
        forms::Timer* timer;
        std::int64_t due;
        bool enabled;
    };
    void sync(Entry& entry);

    std::vector<Entry> entries_;
    std::int64_t now_ = 0;
    std::int64_t target_ = 0;
};

}  // namespace kestrin::testing
