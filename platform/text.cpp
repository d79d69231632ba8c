#include "platform/text.h"

#include <utility>

namespace kestrin {

std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (characters == count) return text.substr(0, at);
        ++characters;
    }
    return text;
}

namespace {

// The character starting at text[at] (valid UTF-8) and its length in bytes.
std::pair<char32_t, std::size_t> characterAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(at + i < text.size() ? text[at + i] : 0);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (byte(i) & 0x3F);
    return {value, length};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string visibleText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [c, length] = characterAt(text, at);
        if (c < 0x20) {
            appendUtf8(out, 0x2400 + c);
        } else if (c == 0x7F) {
            appendUtf8(out, 0x2421);
        } else if ((c >= 0x80 && c <= 0x9F) || isBidiControl(c)) {
            appendUtf8(out, 0xFFFD);
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

}  // namespace kestrin
