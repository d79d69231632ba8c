// Random numbers for the digits: each draw mixes the time of day into the generator's
// running state and returns a single-precision value uniform in [0, 1). Because the state
// carries over, two draws within one tick of the clock still differ.
#pragma once

#include "platform/services.h"

#include <cstdint>

namespace kestrin {

class TimeSeededRandom final : public RandomSource {
public:
    TimeSeededRandom();
    float next() override;

private:
    std::uint64_t state_;
};

}  // namespace kestrin
