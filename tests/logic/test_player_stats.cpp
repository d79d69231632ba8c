#include <gtest/gtest.h>

#include "records/player_stats.h"
#include "tests/support/doubles.h"
#include "tests/support/failure_number.h"

namespace kestrin {
namespace {

using testing::failureNumber;

PlayerStats filled(std::int32_t value) {
    PlayerStats stats;
    for (int position = 1; position <= PlayerStats::kCount; ++position) stats.at(position) = value;
    return stats;
}

TEST(PlayerStats, RecordsRoundTripPerPlayer) {
    testing::MemorySettingsStore store;
    PlayerStats ann;
    int position = 1;
    for (std::int32_t value : {120, 3, 8, 7, 5, 4, 1, 2, 300, 1, 4, 500}) ann.at(position++) = value;
    WriteStats(store, "Ann", ann);
    EXPECT_EQ(store.get("Kestrin", "Profiles\\Ann", "Statistics"), "120|3|8|7|5|4|1|2|300|1|4|500");
    PlayerStats bob = filled(-2147483647 - 1);
    WriteStats(store, "Bob", bob);

    // A player without a record starts from zeros, never from the counters held before.
    PlayerStats loaded = filled(7);
    ReadStats(store, "Nobody", loaded);
    EXPECT_EQ(loaded, PlayerStats{});
    EXPECT_EQ(NewPlayerRecord(store, "Ann"), std::nullopt) << "a record is never replaced";
    const auto nobody = NewPlayerRecord(store, "Nobody");
    ASSERT_TRUE(nobody.has_value());
    EXPECT_EQ(nobody->section, "Profiles\\Nobody");
    EXPECT_EQ(nobody->key, "Statistics");
    EXPECT_EQ(nobody->value, "0|0|0|0|0|0|0|0|0|0|0|0");
    ReadStats(store, "Ann", loaded);
    EXPECT_EQ(loaded, ann);
    ReadStats(store, "Bob", loaded);
    EXPECT_EQ(loaded, bob);

    // Numbers too small for a double are zero, not an overflow.
    store.set("Kestrin", "Profiles\\Ann", "Statistics",
              " 1 |2.5|3.5|-0.5|1e3|+6|\t7|1e-400|-1e-400|0.000001e-999999999999|1000e-402|12|extra");
    ReadStats(store, "Ann", loaded);
    EXPECT_EQ(loaded.HighGuesses, 0);
    EXPECT_EQ(loaded.CorrectGuesses, 4);
    EXPECT_EQ(loaded.LowGuesses, 1000);
    EXPECT_EQ(StatsRecord(loaded), "1|2|4|0|1000|6|7|0|0|0|0|12");
}

// A bad record keeps what it gave before the bad field; nothing of the counters held before
// survives, so the next save cannot give them to this player.
TEST(PlayerStats, BadRecordLoadsUpToTheFailingFieldAndZerosTheRest) {
    const struct {
        const char* record;
        std::int32_t failure;
        int loaded;  // counters loaded before the failure
    } cases[] = {
        {"", 0, 0},
        {"1|2|3", failures::kSubscriptOutOfRange, 3},
        {"1|2|3|4|5|6|7|8|9|10|11", failures::kSubscriptOutOfRange, 11},
        {"1|2|x|4|5|6|7|8|9|10|11|12", failures::kTypeMismatch, 2},
        {"1|2|3|4||6|7|8|9|10|11|12", failures::kTypeMismatch, 4},
        {"1|99999999999|3|4|5|6|7|8|9|10|11|12", failures::kOverflow, 1},
        {"1|2|3|4|5|6|7|1e400|9|10|11|12", failures::kOverflow, 7},
        {"1|2|3|4|5|6|7|8|-0.1e310|10|11|12", failures::kOverflow, 8},
        {"1|2|3|4|5|6|7|8|9|1e|11|12", failures::kTypeMismatch, 9},
        {"1|2|3|4|5|6|7|8|9|10|2E+|12", failures::kTypeMismatch, 10},
        {"1|2|3|4|5|6|7|8|9|10|11|12x", failures::kTypeMismatch, 11},
    };
    testing::MemorySettingsStore store;
    for (const auto& c : cases) {
        store.set("Kestrin", "Profiles\\Ann", "Statistics", c.record);
        PlayerStats stats = filled(7);  // the previous player's
        EXPECT_EQ(failureNumber([&] { ReadStats(store, "Ann", stats); }), c.failure) << c.record;
        for (int position = 1; position <= PlayerStats::kCount; ++position)
            EXPECT_EQ(stats.at(position), position <= c.loaded ? position : 0) << c.record << " @" << position;
    }
    EXPECT_EQ(failureNumber([] { filled(0).at(13); }), failures::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace kestrin
