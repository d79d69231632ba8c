#include "link/protocol.h"

#include <array>
#include <charconv>

namespace kestrin::protocol {

namespace {

constexpr std::string_view kRefusalEnd = " didn't accept the connection.";
constexpr std::string_view kReadyEnd = " is ready to start the game";
constexpr std::string_view kStoppedEnd = " has stopped play";
constexpr std::array<std::string_view, 10> kCodes{kCon, kNam, kVer, kRef, kRed, kStg, kScu, kMsg, kStp, kDis};

std::string join(std::string_view code, std::string_view payload) { return std::string(code).append(payload); }

bool startsWithKnownCode(std::string_view text) { return text.size() >= 3 && isKnownCode(text.substr(0, 3)); }

std::string_view fixedEnding(std::string_view code) {
    if (code == kRef) return kRefusalEnd;
    if (code == kRed) return kReadyEnd;
    if (code == kStp) return kStoppedEnd;
    return {};
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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
    Message message;
    message.code = std::string(text.substr(0, 3));
    const auto unrecognised = [&] {
        message.text = std::string(text);
        return message;
    };
    if (!isKnownCode(message.code)) return unrecognised();  // fewer than three characters are no code either

    const std::string_view rest = text.substr(3);
    std::size_t end = rest.size();  // where this message's payload ends
    if (message.code == kStg || message.code == kDis) {
        // An empty payload: a known code right after it is the next message.
        if (startsWithKnownCode(rest)) end = 0;
    } else if (message.code == kVer || message.code == kScu) {
        // The first place where a known code starts after a whole integer splits it. Codes
        // are capital letters, so they can never be part of the number.
        if (!parseInteger(rest)) {
            end = 0;
            for (std::size_t at = 1; at + 3 <= rest.size() && end == 0; ++at) {
                if (startsWithKnownCode(rest.substr(at))) end = at;
            }
        }
        const auto number = parseInteger(rest.substr(0, end));
        if (!number) return unrecognised();
        message.number = *number;
    } else if (const std::string_view ending = fixedEnding(message.code); !ending.empty()) {
        end = statusLineEnd(rest, ending);
    }
    message.recognised = true;
    message.payload = std::string(rest.substr(0, end));
    message.text = message.code + message.payload;
    text_ = rest.substr(end);
    return message;
}

std::size_t ReceiveReader::statusLineEnd(std::string_view rest, std::string_view ending) const {
    // Exactly the line the peer's name makes, and another message after it.
    const std::string line = "* " + peerName_ + std::string(ending);
    if (rest.starts_with(line) && startsWithKnownCode(rest.substr(line.size()))) return line.size();
    // The line's ending, then only the start of the countdown or the host's goodbye.
    for (const std::string_view next : {kStg, kDis}) {
        if (rest.ends_with(std::string(ending) + std::string(next))) return rest.size() - next.size();
    }
    return rest.size();  // the line runs to the end of the receive
}

}  // namespace kestrin::protocol
