#include "tests/support/virtual_clock.h"

#include <algorithm>

namespace kestrin::testing {

void VirtualClock::bind(forms::Timer& timer) {
    entries_.push_back({&timer, 0, false});
    const std::size_t index = entries_.size() - 1;
    sync(entries_[index]);
    timer.observers().add([this, index] { sync(entries_[index]); });
}

void VirtualClock::sync(Entry& entry) {
    if (entry.timer->enabled() && !entry.enabled) entry.due = now_ + std::max(1, entry.timer->interval());
    entry.enabled = entry.timer->enabled();
}

void VirtualClock::advance(std::int64_t ms) {
    const std::int64_t target = now_ + ms;
    target_ = std::max(target_, target);
    for (;;) {
        Entry* next = nullptr;
        for (auto& entry : entries_) {
            if (entry.enabled && entry.due <= target && (next == nullptr || entry.due < next->due)) next = &entry;
        }
        if (next == nullptr) break;
        now_ = std::max(now_, next->due);
        next->due = now_ + std::max(1, next->timer->interval());
        if (beforeTick) beforeTick();
        next->timer->tick();
    }
    now_ = std::max(now_, target);
}

}  // namespace kestrin::testing
