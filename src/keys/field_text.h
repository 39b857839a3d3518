// What the text fields of the dialogs and the macro page hold: names
// counted in characters, and numbers typed as text. Buttons and macros both
// read their fields this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varcel {

// The leading decimal integer of a text, read as the C library's wcstol reads
// it on Windows: white space skipped, an optional sign, digits up to the first
// other character; 0 when the text does not begin with a number. Values past
// the 32-bit range stop at its ends.
std::int32_t leadingInteger(std::string_view text);

// Length and prefix of a UTF-8 text in characters (code points), the unit in
// which the name fields count.
std::size_t characterCount(std::string_view text);
std::string firstCharacters(std::string_view text, std::size_t count);

} // namespace varcel
