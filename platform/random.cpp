#include "platform/random.h"

#include <chrono>

namespace kestrin {

namespace {

std::uint64_t timeOfDay() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto fine = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) ^ (static_cast<std::uint64_t>(fine) << 21);
}

// The SplitMix64 step: a bijective scramble of every bit of the input.
std::uint64_t scramble(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

TimeSeededRandom::TimeSeededRandom() : state_(scramble(timeOfDay())) {}

float TimeSeededRandom::next() {
    state_ = scramble(state_ ^ timeOfDay());
    // The top 24 bits make a float in [0, 1) exactly.
    return static_cast<float>(state_ >> 40) * (1.0F / 16777216.0F);
}

}  // namespace kestrin
