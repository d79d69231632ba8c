// UTF-8 text as the program keeps it: counting and cutting whole characters.
#pragma once

#include <cstddef>
#include <string>

namespace kestrin {

// The first `count` characters of UTF-8 text; a character is never cut in two. Every byte
// that is not a continuation byte (10xxxxxx) starts a character.
std::string firstCharacters(const std::string& text, std::size_t count);

// Text from a peer as it may be shown: a control character (U+0000-U+001F, U+007F-U+009F)
// or a bidirectional control (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) would
// break a line or reorder the text around it, so each shows as a visible stand-in instead:
// the control pictures (U+2400-U+241F, U+2421) for the first 32 and DEL, U+FFFD for the rest.
std::string visibleText(const std::string& text);

}  // namespace kestrin
