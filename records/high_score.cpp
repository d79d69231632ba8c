#include "records/high_score.h"

#include "platform/failure.h"
#include "records/stats_page.h"  // kRule

namespace kestrin {

namespace {

constexpr const char* kSection = "Scores\\";

std::string nameKey(std::int16_t place) { return decimal(place) + "name"; }
std::string scoreKey(std::int16_t place) { return decimal(place) + "score"; }

}  // namespace

const HighScoreEntry& HighScore::place(std::int16_t index) const {
    if (index < 1 || index > numPlaces_) throwSubscriptOutOfRange();
    return places_[static_cast<std::size_t>(index - 1)];
}

HighScoreEntry& HighScore::place(std::int16_t index) {
    if (index < 1 || index > numPlaces_) throwSubscriptOutOfRange();
    return places_[static_cast<std::size_t>(index - 1)];
}

void HighScore::ReadScores() {
    // Every place is overwritten from the store; a place never saved reads as the default.
    for (std::int16_t n = 1; n <= numPlaces_; ++n) {
        HighScoreEntry& entry = place(n);
        entry.Name = store_.read(tableName_, kSection, nameKey(n), "No name");
        entry.Score = store_.read(tableName_, kSection, scoreKey(n), "0");
    }
}

void HighScore::WriteScores() {
    // The whole table is one operation of the store: one save of its file, not twenty.
    std::vector<SettingsStore::Write> writes;
    writes.reserve(static_cast<std::size_t>(numPlaces_) * 2);
    for (std::int16_t n = 1; n <= numPlaces_; ++n) {
        const HighScoreEntry& entry = place(n);
        writes.push_back({kSection, nameKey(n), entry.Name});
        writes.push_back({kSection, scoreKey(n), entry.Score});
    }
    store_.writeAll(tableName_, writes);
}

std::string HighScore::MakeScores(std::int16_t& BiggestScore) {
    if (BiggestScore == 0 || BiggestScore > numPlaces_) BiggestScore = numPlaces_;
    std::string text = "#\tScore\tName\r\n";
    text += kRule;
    for (std::int16_t n = 1; n <= BiggestScore; ++n) {
        const HighScoreEntry& entry = place(n);
        text += "\r\n" + decimal(n) + ")\t" + entry.Score + "\t" + entry.Name;
    }
    return text;
}

std::string HighScore::MakeScores() {
    std::int16_t all = 0;
    return MakeScores(all);
}

std::int16_t HighScore::InsertScores(std::int16_t intScore, const std::string& strName) {
    // ScoreType 1 ranks lower scores first; any other value ranks higher scores first.
    const bool lowerIsBetter = scoreType_ == 1;
    const auto worseThanNew = [&](double stored) { return lowerIsBetter ? stored > intScore : stored < intScore; };

    const double worst = parseNumber(place(numPlaces_).Score);
    if (lowerIsBetter ? worst < intScore : worst > intScore) return 0;

    // Strict comparisons: a score equal to ones already listed goes below them all.
    std::int16_t target = 0;
    for (std::int16_t i = 1; i <= numPlaces_; ++i) {
        if (worseThanNew(parseNumber(place(i).Score))) {
            target = i;
            break;
        }
    }
    if (target == 0) return 0;

    for (std::int16_t i = numPlaces_; i > target; --i) place(i) = place(static_cast<std::int16_t>(i - 1));
    HighScoreEntry& entry = place(target);
    entry.Name = strName.empty() ? "Anonymous" : strName;
    entry.Score = decimal(intScore);
    return target;
}

std::string HighScore::Name(std::int16_t index) const { return place(index).Name; }

void HighScore::setName(std::int16_t index, const std::string& value) { place(index).Name = value; }

std::int16_t HighScore::Score(std::int16_t index) const { return textTo<std::int16_t>(place(index).Score); }

void HighScore::setScore(std::int16_t index, std::int16_t value) { place(index).Score = decimal(value); }

void HighScore::setNumPlaces(std::int16_t value) {
    // A table has at least one place; the entries of places that remain are kept.
    if (value < 1) throwSubscriptOutOfRange();
    places_.resize(static_cast<std::size_t>(value));
    numPlaces_ = value;
}

std::string HighScore::BestScore() const { return place(1).Score; }

std::string HighScore::WorstScore() const { return place(numPlaces_).Score; }

}  // namespace kestrin
