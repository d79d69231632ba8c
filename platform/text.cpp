#include "platform/text.h"

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

}  // namespace kestrin
