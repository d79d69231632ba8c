#include <gtest/gtest.h>

#include "records/high_score.h"
#include "tests/support/doubles.h"
#include "tests/support/failure_number.h"

namespace kestrin {
namespace {

using testing::failureNumber;

const std::string kHeading = "#\tScore\tName\r\n" + std::string(35, '-');

class HighScoreTest : public ::testing::Test {
protected:
    HighScoreTest() {
        table.setNumPlaces(10);
        table.setTableName("KestrinSolo");
    }
    // Stores scores from place 1 down, named P1, P2 …, and reads the table.
    void storeScores(std::initializer_list<const char*> scores) {
        int place = 1;
        for (const char* score : scores) {
            store.set("KestrinSolo", "Scores\\", std::to_string(place) + "name", "P" + std::to_string(place));
            store.set("KestrinSolo", "Scores\\", std::to_string(place++) + "score", score);
        }
        table.ReadScores();
    }
    std::string names() const {
        std::string result;
        for (std::int16_t i = 1; i <= table.NumPlaces(); ++i) result += table.Name(i) + ",";
        return result;
    }

    testing::MemorySettingsStore store;
    HighScore table{store};
};

TEST_F(HighScoreTest, MakeScoresListsTheChosenNumberOfRows) {
    storeScores({"120"});
    std::int16_t two = 2;
    EXPECT_EQ(table.MakeScores(two), kHeading + "\r\n1)\t120\tP1\r\n2)\t0\tNo name");
    for (std::int16_t asked : {0, 11}) {
        std::int16_t biggest = asked;
        const std::string text = table.MakeScores(biggest);
        EXPECT_EQ(biggest, 10);
        EXPECT_TRUE(text.ends_with("\r\n9)\t0\tNo name\r\n10)\t0\tNo name")) << asked;
    }
    std::int16_t negative = -1;
    EXPECT_EQ(table.MakeScores(negative), kHeading);
    EXPECT_EQ(negative, -1);
}

TEST_F(HighScoreTest, InsertGoesBelowEqualScoresInMemoryOnly) {
    table.ReadScores();
    EXPECT_EQ(table.InsertScores(0, "Bob"), 0) << "0 beats nothing in a fresh table";
    EXPECT_EQ(table.InsertScores(50, ""), 1);
    EXPECT_EQ(table.Name(1), "Anonymous");
    EXPECT_EQ(store.size(), 0u);

    storeScores({"100", "80", "80", "60"});
    EXPECT_EQ(table.InsertScores(80, "New"), 4);
    EXPECT_EQ(names(), "P1,P2,P3,New,P4,No name,No name,No name,No name,No name,");

    storeScores({"100", "90", "80", "70", "60", "50", "40", "30", "20", "10"});
    EXPECT_EQ(table.InsertScores(10, "Tie"), 0);
    EXPECT_EQ(table.InsertScores(95, "Bob"), 2);
    EXPECT_EQ(table.WorstScore(), "20") << "the old last place is dropped";

    table.setScoreType(1);  // lower is better
    storeScores({"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"});
    EXPECT_EQ(table.InsertScores(150, "Slow"), 0);
    EXPECT_EQ(table.InsertScores(25, "Ann"), 3);
    EXPECT_EQ(names(), "P1,P2,Ann,P3,P4,P5,P6,P7,P8,P9,");
}

TEST_F(HighScoreTest, HandEditedScoresFailOnlyWhereTheyAreCompared) {
    storeScores({"100", "1e2x", "80"});
    EXPECT_NE(table.MakeScores().find("\r\n2)\t1e2x\tP2\r\n"), std::string::npos);
    EXPECT_EQ(table.InsertScores(120, "Top"), 1) << "stops before the bad text";
    const std::string before = names();
    EXPECT_EQ(failureNumber([&] { table.InsertScores(90, "Ann"); }), failures::kTypeMismatch);
    EXPECT_EQ(names(), before);

    storeScores({" 2.5 ", "3.5", "40000", "x"});
    EXPECT_EQ(table.Score(1), 2);
    EXPECT_EQ(table.Score(2), 4);
    EXPECT_EQ(failureNumber([&] { table.Score(3); }), failures::kOverflow);
    EXPECT_EQ(failureNumber([&] { table.Score(4); }), failures::kTypeMismatch);
}

TEST_F(HighScoreTest, PlacesOutsideTheTableAreSubscriptFailures) {
    HighScore unset(store);
    for (const std::function<void()>& action : std::initializer_list<std::function<void()>>{
             [&] { unset.BestScore(); }, [&] { unset.InsertScores(10, "Ann"); }, [&] { table.Name(0); },
             [&] { table.setName(11, "Ann"); }, [&] { table.setNumPlaces(0); }}) {
        EXPECT_EQ(failureNumber(action), failures::kSubscriptOutOfRange);
    }

    storeScores({"100", "90", "80", "70", "60", "50"});
    HighScore single(store);
    single.setNumPlaces(1);  // the smallest table there is
    EXPECT_EQ(single.WorstScore(), single.BestScore());
    table.setNumPlaces(5);
    EXPECT_EQ(table.WorstScore(), "60");
    table.setNumPlaces(10);
    EXPECT_EQ(table.Name(5), "P5");
    EXPECT_EQ(table.Name(6), "") << "grown places stay empty until read";
}

TEST_F(HighScoreTest, WriteScoresStoresEveryPlaceUnderItsTable) {
    table.ReadScores();
    table.InsertScores(70, "Ann");
    table.WriteScores();
    EXPECT_EQ(store.size(), 20u);
    EXPECT_EQ(store.operationCount, 1) << "the table is saved as one operation";
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1name"), "Ann");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "1score"), "70");
    EXPECT_EQ(store.get("KestrinSolo", "Scores\\", "10score"), "0");

    table.setTableName("Kestrin");
    table.ReadScores();
    EXPECT_EQ(table.Name(1), "No name");

    table.InsertScores(90, "Bob");
    store.failWrites = true;  // a failed save reaches the caller
    EXPECT_EQ(failureNumber([&] { table.WriteScores(); }), failures::kPathFileAccess);
    EXPECT_FALSE(store.get("Kestrin", "Scores\\", "1name"));
}

}  // namespace
}  // namespace kestrin
