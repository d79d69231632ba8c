// A virtual clock that runs the form models' timers: a test advances it and every timer that falls due ticks in time
// order, so a whole 60-second game plays in microseconds. Handlers may advance the clock again from inside a tick (as a
// modal box's nested event loop keeps timers running); the clock stays consistent.
#pragma once

#include <cstdint>
#include <functional>
#include <list>

#include "platform/forms.h"

namespace kestrin::testing {

class VirtualClock {
public:
    void bind(forms::Timer& timer) {
        Entry& entry = entries_.emplace_back(Entry{&timer, 0, false});
        const auto sync = [this, &entry] {
            // Enabling starts a fresh full interval.
            if (entry.timer->enabled() && !entry.enabled) entry.due = now_ + entry.timer->interval();
            entry.enabled = entry.timer->enabled();
        };
        sync();
        timer.observers().add(sync);
    }
    // Moves time forward by ms, ticking every enabled timer as it falls due.
    void advance(std::int64_t ms) {
        const std::int64_t target = now_ + ms;
        for (Entry* next = due(target); next != nullptr; next = due(target)) {
            now_ = std::max(now_, next->due);
            next->due = now_ + next->timer->interval();
            if (beforeTick) beforeTick();
            next->timer->tick();
        }
        now_ = std::max(now_, target);
    }
    // Runs before each tick, for example to deliver pending network events.
    std::function<void()> beforeTick;

private:
    struct Entry {
        forms::Timer* timer;
        std::int64_t due;
        bool enabled;
    };
    // The enabled timer that falls due first, by the target time.
    Entry* due(std::int64_t target) {
        Entry* next = nullptr;
        for (Entry& entry : entries_)
            if (entry.enabled && entry.due <= target && (!next || entry.due < next->due)) next = &entry;
        return next;
    }
    std::list<Entry> entries_;  // entries keep their places: the timers' observers point at them
    std::int64_t now_ = 0;
};

}  // namespace kestrin::testing
