// UTF-8 text as the program keeps it: counting and cutting whole characters.
#pragma once

#include <cstddef>
#include <string>

namespace kestrin {

// The first `count` characters of UTF-8 text; a character is never cut in two. Every byte
// that is not a continuation byte (10xxxxxx) starts a character.
std::string firstCharacters(const std::string& text, std::size_t count);

}  // namespace kestrin
