#include "platform/random.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrin {
namespace {

TEST(TimeSeededRandom, DrawsStayInRangeDifferWithinOneTickAndSpreadEvenly) {
    TimeSeededRandom random;
    std::set<float> distinct;
    int buckets[10] = {};
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const float value = random.next();
        ASSERT_GE(value, 0.0F);
        ASSERT_LT(value, 1.0F);
        distinct.insert(value);
        ++buckets[static_cast<int>(value * 10.0F)];
    }
    // Thousands of draws run within one clock tick; the running state still moves on.
    EXPECT_GT(distinct.size(), static_cast<std::size_t>(kDraws * 99 / 100));
    // 2000 expected per tenth; a sound generator stays far inside these bounds.
    for (const int count : buckets) {
        EXPECT_GT(count, 1600);
        EXPECT_LT(count, 2400);
    }
}

}  // namespace
}  // namespace kestrin
