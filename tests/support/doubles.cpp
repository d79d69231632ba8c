#include "tests/support/doubles.h"

namespace kestrin::testing {

std::int32_t failureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

std::string MemorySettingsStore::read(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) {
    return get(application, section, key).value_or(defaultValue);
}

void MemorySettingsStore::write(const std::string& application, const std::string& section, const std::string& key,
                                const std::string& value) {
    writeAll(application, {{section, key, value}});
}

void MemorySettingsStore::writeAll(const std::string& application, const std::vector<Write>& writes) {
    if (failWrites) throw Failure(failures::kPathFileAccess, "Path/File access error");
    ++saves;
    for (const Write& one : writes) set(application, one.section, one.key, one.value);
}

std::optional<std::string> MemorySettingsStore::get(const std::string& application, const std::string& section,
                                                    const std::string& key) const {
    const auto found = values_.find({application, section, key});
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void MemorySettingsStore::set(const std::string& application, const std::string& section, const std::string& key,
                              const std::string& value) {
    values_[{application, section, key}] = value;
}

MessageResult ScriptedMessageBox::show(const std::string& text, const std::string& title, MessageButtons buttons,
                                       MessageIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (duringShow) duringShow();
    if (!answers.empty()) {
        const MessageResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

std::vector<std::string> MemoryFiles::readLines(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end()) throw Failure(failures::kFileNotFound, "File not found: " + path);
    return found->second;
}

void MemoryFiles::createEmpty(const std::string& path) {
    if (failWrites) throw Failure(failures::kPathFileAccess, "Path/File access error: " + path);
    files.try_emplace(path);
}

void MemoryFiles::appendLine(const std::string& path, const std::string& text) {
    if (failWrites) throw Failure(failures::kPathFileAccess, "Path/File access error: " + path);
    files[path].push_back(text);
}

float ScriptedRandom::next() {
    int digit = 5;
    if (!digits_.empty()) {
        digit = digits_.front();
        digits_.pop_front();
    }
    // The game draws floor(r * 9 + 1); the middle of digit d's range gives d.
    return (static_cast<float>(digit) - 0.5f) / 9.0f;
}

}  // namespace kestrin::testing
