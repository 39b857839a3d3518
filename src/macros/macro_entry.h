// The text forms of a macro's entries as record.ini keeps them and the macro
// page shows them: "A   Dn", "A   Up", "50 ms". Every reader classifies them
// with the same tests, so a file written on Windows reads the same here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varcel {

// The separators are part of the file format: three spaces before "Dn" and
// "Up", one before "ms".
inline constexpr std::string_view kPressSeparator = "   Dn";
inline constexpr std::string_view kReleaseSeparator = "   Up";
inline constexpr std::string_view kPauseSuffix = " ms";

// The pause the program puts between two events unless the user edits it.
inline constexpr int kDefaultPause = 50;

// A macro name fits the 32-character buffers of every reader of record.ini.
inline constexpr std::size_t kMacroNameLength = 31;
// Key names come from a 32-character buffer on Windows.
inline constexpr std::size_t kKeyNameLength = 31;

enum class EntryKind {
    KeyPress,   // holds "   Dn"
    KeyRelease, // holds "   Up" (and not "   Dn")
    Pause,      // holds "ms" anywhere, and is no event
    Other,      // anything else a hand-edited file may hold
};

EntryKind classifyEntry(std::string_view entry);
inline bool isKeyEvent(std::string_view entry)
{
    const EntryKind kind = classifyEntry(entry);
    return kind == EntryKind::KeyPress || kind == EntryKind::KeyRelease;
}

// The key name of an event: the entry with every occurrence of its separator
// removed. Empty for a pause.
std::string entryKeyName(std::string_view entry);

std::string pressEntry(std::string_view keyName);
std::string releaseEntry(std::string_view keyName);
std::string pauseEntry(int milliseconds);

// The leading decimal integer of a text, read as the C library's wcstol reads
// it on Windows: white space skipped, an optional sign, digits up to the first
// other character; 0 when the text does not begin with a number. Values past
// the 32-bit range stop at its ends.
std::int32_t leadingInteger(std::string_view text);

// The wait of a pause entry in milliseconds: every " ms" removed, then the
// leading integer. A negative value (only a hand-edited file holds one) is 0.
std::int32_t pauseMilliseconds(std::string_view entry);

// Length and prefix of a UTF-8 text in characters (code points), the unit in
// which the name field counts.
std::size_t characterCount(std::string_view text);
std::string firstCharacters(std::string_view text, std::size_t count);

} // namespace varcel
