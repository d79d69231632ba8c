// clsHighScore: a high score table of a fixed number of places, kept in the settings store
// under its TableName (the application name), section "Scores\", keys "1name", "1score" …
// Scores are held as decimal text, exactly as stored; they become numbers only where they
// are compared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace kestrin {

struct HighScoreEntry {
    std::string Name;
    std::string Score;
};

class HighScore {
public:
    explicit HighScore(SettingsStore& store) : store_(store) {}

    void ReadScores();
    void WriteScores();  // every place, as one operation of the store
    // The table as text: a heading, a rule of 35 hyphens and one row per place, CR LF
    // between lines. BiggestScore 0 or above NumPlaces lists every place and is set to
    // NumPlaces; the caller's variable receives the new value.
    std::string MakeScores(std::int16_t& BiggestScore);
    std::string MakeScores();
    // Puts the score in its place and returns that place (1 …), or 0 when it earns none.
    // Changes only the memory copy. A stored score that is not a number is a type mismatch.
    std::int16_t InsertScores(std::int16_t intScore, const std::string& strName);

    std::string Name(std::int16_t index) const;
    void setName(std::int16_t index, const std::string& value);
    std::int16_t Score(std::int16_t index) const;
    void setScore(std::int16_t index, std::int16_t value);
    std::int16_t NumPlaces() const { return numPlaces_; }
    void setNumPlaces(std::int16_t value);
    std::string BestScore() const;
    std::string WorstScore() const;
    std::int32_t ScoreType() const { return scoreType_; }
    void setScoreType(std::int32_t value) { scoreType_ = value; }
    const std::string& TableName() const { return tableName_; }
    void setTableName(const std::string& value) { tableName_ = value; }

private:
    const HighScoreEntry& place(std::int16_t index) const;  // 1-based; subscript failure
    HighScoreEntry& place(std::int16_t index);

    SettingsStore& store_;
    std::vector<HighScoreEntry> places_;
    std::int16_t numPlaces_ = 0;
    std::int32_t scoreType_ = 0;
    std::string tableName_;
};

}  // namespace kestrin
