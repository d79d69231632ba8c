// Test doubles for the platform seams: an in-memory settings store, scripted message boxes, in-memory text files, a
// fixed calendar, recording sound and shell, a fixed address table, and scripted random numbers.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <tuple>

#include "platform/failure.h"
#include "platform/services.h"

namespace kestrin::testing {

// "number description" of the Failure the action throws, or "0" when it finishes without one.
inline std::string failureText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return std::to_string(failure.number()) + " " + failure.description();
    }
    return "0";
}
inline std::int32_t failureNumber(const std::function<void()>& action) { return std::stoi(failureText(action)); }

inline void failWhen(bool broken, const std::string& path = "") {
    if (broken) throw Failure(failures::kPathFileAccess, "Path/File access error" + path);
}

class MemorySettingsStore : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override {
        return get(application, section, key).value_or(defaultValue);
    }
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        writeAll(application, {{section, key, value}});
    }
    void writeAll(const std::string& application, const std::vector<Write>& writes) override {
        failWhen(failWrites);
        ++saves;
        for (const Write& one : writes) set(application, one.section, one.key, one.value);
    }
    // Direct access for arranging and checking; nullopt when absent.
    std::optional<std::string> get(const std::string& application, const std::string& section,
                                   const std::string& key) const {
        const auto found = values_.find({application, section, key});
        return found == values_.end() ? std::nullopt : std::optional(found->second);
    }
    void set(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) {
        values_[{application, section, key}] = value;
    }
    bool failWrites = false;  // every write throws, as an unwritable folder does
    int saves = 0;            // one per write, one per writeAll

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

// Message boxes answered from a script. Each shown box is recorded; answers are taken from
// the queue (Ok/Yes by default). duringShow runs while the "box is open", as the nested
// event loop of a real modal box runs timers and sockets.
class ScriptedMessageBox : public MessageBox {
public:
    struct Shown {
        std::string text, title;
        MessageIcon icon;
    };
    MessageResult show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override {
        shown.push_back({text, title, icon});
        if (duringShow) duringShow();
        const MessageResult fallback = buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
        if (answers.empty()) return fallback;
        const MessageResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Shown> shown;
    std::deque<MessageResult> answers;
    std::function<void()> duringShow;
};

// Text files held in memory, as raw lines. Paths are compared as given.
class MemoryFiles : public TextFiles {
public:
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    std::vector<std::string> readLines(const std::string& path) override {
        if (!exists(path)) throw Failure(failures::kFileNotFound, "File not found: " + path);
        return files[path];
    }
    void createEmpty(const std::string& path) override {
        failWhen(failWrites, ": " + path);
        files.try_emplace(path);
    }
    void appendLine(const std::string& path, const std::string& text) override {
        failWhen(failWrites, ": " + path);
        files[path].push_back(text);
    }
    std::map<std::string, std::vector<std::string>> files;
    bool failWrites = false;  // creating or appending throws, as a read-only folder does
};

class FixedCalendar : public Calendar {
public:
    std::string nowText() override { return text; }
    std::string text = "05/12/2026 17:50:45";
};

class RecordingSound : public Sound {
public:
    void playFile(const std::string& path) override { played.push_back(path); }
    void beep() override { ++beeps; }
    std::vector<std::string> played;
    int beeps = 0;
};

class RecordingShell : public DesktopShell {
public:
    bool open(const std::string& target, const std::string& /*workingFolder*/) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

class FixedAddressTable : public AddressTable {
public:
    std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() override { return addresses; }
    std::vector<std::array<std::uint8_t, 4>> addresses;
};

// Draws scripted digits: each queued digit d (1 to 9) comes out as the number that the game
// turns into d. An empty script draws 5.
class ScriptedRandom : public RandomSource {
public:
    float next() override {
        const int digit = digits_.empty() ? 5 : digits_.front();
        if (!digits_.empty()) digits_.pop_front();
        return (static_cast<float>(digit) - 0.5f) / 9.0f;  // the middle of digit d's range
    }
    void queueDigits(std::initializer_list<int> digits) { digits_.insert(digits_.end(), digits); }

private:
    std::deque<int> digits_;
};

}  // namespace kestrin::testing
