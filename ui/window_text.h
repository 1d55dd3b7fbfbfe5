// Window text, UTF-16 on both toolkits, as the program's UTF-8, and what a
// box may hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// UTF-16 window text as UTF-8. A surrogate that is not half of a pair stands
// for no character: it is written as the three bytes its code would take,
// which no UTF-8 reader accepts, so the text is refused wherever it must be
// encoded (the script, a file name) instead of turning into "?" or U+FFFD,
// which are other characters.
std::string WindowTextToUtf8(std::u16string_view text);

// How many UTF-16 units the first `characters` characters of `text` take: a
// surrogate pair is one character, and so is a surrogate alone.
std::size_t UnitsOfFirstCharacters(std::u16string_view text, std::size_t characters);

}  // namespace morvane
