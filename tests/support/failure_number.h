// Test helper: the number of the Failure an action throws.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/failure.h"

namespace kestrin::testing {

// The number of the Failure that the action throws, or 0 when it finishes without one.
inline std::int32_t failureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

}  // namespace kestrin::testing
