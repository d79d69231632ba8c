#include "link/protocol.h"

#include <array>
#include <charconv>

namespace kestrin::protocol {

namespace {

constexpr std::string_view kRefusalEnd = " didn't accept the connection.";
constexpr std::string_view kReadyEnd = " is ready to start the game";
constexpr std::string_view kStoppedEnd = " has stopped play";
constexpr std::array<std::string_view, 10> kCodes{kCon, kNam, kVer, kRef, kRed, kStg, kScu, kMsg, kStp, kDis};

std::string join(std::string_view code, std::string_view payload) {
    std::string message;
    message.reserve(code.size() + payload.size());
    message.append(code);
    message.append(payload);
    return message;
}

bool startsWithKnownCode(std::string_view text) { return text.size() >= 3 && isKnownCode(text.substr(0, 3)); }

std::string_view fixedEnding(std::string_view code) {
    if (code == kRef) return kRefusalEnd;
    if (code == kRed) return kReadyEnd;
    if (code == kStp) return kStoppedEnd;
    return {};
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

Message unrecognised(std::string_view text) {
    Message message;
    message.code = std::string(text.substr(0, 3));
    message.text = std::string(text);
    return message;
}

}  // namespace

std::string connectionRequest(const std::string& playerName) { return join(kCon, playerName); }
std::string hostName(const std::string& playerName) { return join(kNam, playerName); }
std::string version() { return join(kVer, std::to_string(kVersion)); }
std::string refusal(const std::string& playerName) { return join(kRef, "* " + playerName + std::string(kRefusalEnd)); }
std::string ready(const std::string& playerName) { return join(kRed, "* " + playerName + std::string(kReadyEnd)); }
std::string startCountdown() { return std::string(kStg); }
std::string score(std::int16_t value) {
    return join(kScu, value >= 0 ? " " + std::to_string(value) : std::to_string(value));
}
std::string chat(const std::string& text) { return join(kMsg, text); }
std::string stopped(const std::string& playerName) { return join(kStp, "* " + playerName + std::string(kStoppedEnd)); }
std::string disconnecting() { return std::string(kDis); }

bool isKnownCode(std::string_view code) {
    for (const std::string_view known : kCodes) {
        if (code == known) return true;
    }
    return false;
}

std::optional<std::int16_t> parseInteger(std::string_view payload) {
    while (!payload.empty() && isBlank(payload.front())) payload.remove_prefix(1);
    while (!payload.empty() && isBlank(payload.back())) payload.remove_suffix(1);
    if (!payload.empty() && payload.front() == '+') payload.remove_prefix(1);
    if (payload.empty()) return std::nullopt;
    std::int16_t value = 0;
    const char* end = payload.data() + payload.size();
    const auto [stop, error] = std::from_chars(payload.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<Message> ReceiveReader::next() {
    if (text_.empty()) return std::nullopt;
    const std::string_view text = text_;
    text_ = {};  // unless a split below leaves a rest for the next call
    if (text.size() < 3 || !isKnownCode(text.substr(0, 3))) return unrecognised(text);

    const std::string_view code = text.substr(0, 3);
    const std::string_view rest = text.substr(3);
    Message message;
    message.code = std::string(code);
    message.recognised = true;

    if (code == kStg || code == kDis) {
        // An empty payload: a known code right after it is the next message.
        if (startsWithKnownCode(rest)) {
            text_ = rest;
        } else {
            message.payload = std::string(rest);
        }
        return message;
    }

    if (code == kVer || code == kScu) {
        if (const auto whole = parseInteger(rest)) {
            message.payload = std::string(rest);
            message.number = *whole;
            return message;
        }
        // The first place where a known code starts after a whole integer splits it. Codes
        // are capital letters, so they can never be part of the number.
        for (std::size_t at = 1; at + 3 <= rest.size(); ++at) {
            if (!startsWithKnownCode(rest.substr(at))) continue;
            const auto number = parseInteger(rest.substr(0, at));
            if (!number) break;
            message.payload = std::string(rest.substr(0, at));
            message.number = *number;
            text_ = rest.substr(at);
            return message;
        }
        return unrecognised(text);
    }

    if (const std::string_view ending = fixedEnding(code); !ending.empty()) {
        // The refusal, ready and stopped lines end in a fixed text, and the messages that
        // follow them at once ("DIS" behind a refusal, "STG" behind a ready line) may share
        // their receive: a known code right after that end is the next message.
        const auto end = rest.find(ending);
        const std::size_t after = end == std::string_view::npos ? 0 : end + ending.size();
        if (after != 0 && startsWithKnownCode(rest.substr(after))) {
            message.payload = std::string(rest.substr(0, after));
            text_ = rest.substr(after);
            return message;
        }
    }
    message.payload = std::string(rest);  // text payloads run to the end of the receive
    return message;
}

std::vector<Message> parseReceive(std::string_view text) {
    std::vector<Message> messages;
    ReceiveReader reader(text);
    while (auto message = reader.next()) messages.push_back(std::move(*message));
    return messages;
}

}  // namespace kestrin::protocol
