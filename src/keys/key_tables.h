// The key-code tables and the row tables of the multimedia,
// application-key and fire-key dialogs. Keys travel by name from
// capture to storage; these tables turn names and rows into the bytes the
// mouse receives. Nothing else ever becomes a key code.
#pragma once

#include "lang/language.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace varcel {

struct KeyNameRow {
    const char* name;
    std::uint8_t code; // device key code: a HID keyboard usage, or 0xF0.. for mouse buttons
};

// 106 rows, searched in order; the first whole, case-sensitive match gives
// the code. The left modifiers carry the names the key-name service gives
// them ("Ctrl", "Shift", "Alt", "Left Windows"); "L-Button" … "M-Button" are
// the names under which the macro store records mouse buttons.
extern const std::array<KeyNameRow, 106> kKeyNameTable;

// The device key code of a key name; 0 when the name has no row (the
// backslash and menu keys, an empty name).
std::uint8_t keyCodeOfName(std::string_view name);

struct ModifierRow {
    const char* name;
    std::uint8_t mask; // bit of the HID keyboard modifier byte
};

// The eight rows of the combination dialog's modifier list, in list order,
// the same in every language.
extern const std::array<ModifierRow, 8> kModifierTable;

// The modifier bit mask of a modifier name; 0 for an empty name or one not in
// the table ("left ctrl" in lower case included). "Right Ctrl", "Right Shift"
// and "Right Alt" are also key names, with other results there.
std::uint8_t modifierMaskOfName(std::string_view name);

// Multimedia dialog: seven rows, consumer-page usages sent as one byte.
struct MediaRow {
    LangText text;
    std::uint8_t code;
};
extern const std::array<MediaRow, 7> kMediaRows;
// 0 for a row outside 0 to 6.
std::uint8_t mediaCodeOfRow(int row);

// Application-key dialog: eleven rows, 16-bit consumer-page usages.
struct ApplicationRow {
    LangText text;
    std::uint16_t code;
};
extern const std::array<ApplicationRow, 11> kApplicationRows;
// 0 for a row outside 0 to 10.
std::uint16_t applicationCodeOfRow(int row);
// The low byte the image keeps for a row.
std::uint8_t applicationLowByteOfRow(int row);
// The high byte the image keeps: 1 for rows 0 to 3 (application launch
// keys), 2 for rows 4 to 10 (browser keys), 0 otherwise. The mouse reads it
// as a kind selector, so it is written by row, not taken from the code.
std::uint8_t applicationHighByteOfRow(int row);

// Fire-key dialog: 61 rows, the same texts in every language; no Windows key.
struct FireKeyRow {
    const char* text;
    std::uint8_t code; // device key code
};
extern const std::array<FireKeyRow, 61> kFireKeyRows;
// 0 for a row outside 0 to 60.
std::uint8_t fireKeyCodeOfRow(int row);

// The row of a name in a list, or -1; for the command line, which names rows
// by their text. Compared whole and case-sensitively, as the dialogs show them.
int mediaRowOfName(std::string_view name, Language language);
int applicationRowOfName(std::string_view name, Language language);
int fireKeyRowOfName(std::string_view name);

} // namespace varcel
