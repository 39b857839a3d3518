// The text forms of a macro's entries as record.ini keeps them and the macro
// page shows them: "A   Dn", "A   Up", "50 ms". Every reader classifies them
// with the same tests, so a file written on Windows reads the same here.
#pragma once

#include "keys/field_text.h"

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

// The wait of a pause entry in milliseconds: every " ms" removed, then the
// leading integer. A negative value (only a hand-edited file holds one) is 0.
std::int32_t pauseMilliseconds(std::string_view entry);

} // namespace varcel
