#include "platform/key_names.h"

#include "keys/key_tables.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <map>
#include <set>

namespace varcel {
namespace {

// Every key of a full-size keyboard, ANSI and ISO, with the name Windows
// gives it and the HID keyboard usage of that key (USB HID Usage Tables,
// page 7). The usage is what the mouse must receive for the name; keys whose
// usage has no row in the key-name table must come out as code 0.
struct Key {
    unsigned evdev;
    const char* name;
    std::uint8_t usage;
    bool hasRow;
};

const Key kFullSizeKeyboard[] = {
    {KEY_ESC, "Esc", 0x29, true},
    {KEY_F1, "F1", 0x3A, true}, {KEY_F2, "F2", 0x3B, true}, {KEY_F3, "F3", 0x3C, true},
    {KEY_F4, "F4", 0x3D, true}, {KEY_F5, "F5", 0x3E, true}, {KEY_F6, "F6", 0x3F, true},
    {KEY_F7, "F7", 0x40, true}, {KEY_F8, "F8", 0x41, true}, {KEY_F9, "F9", 0x42, true},
    {KEY_F10, "F10", 0x43, true}, {KEY_F11, "F11", 0x44, true}, {KEY_F12, "F12", 0x45, true},
    {KEY_SYSRQ, "Prnt Scrn", 0x46, true}, {KEY_SCROLLLOCK, "Scroll Lock", 0x47, true},
    {KEY_PAUSE, "Pause", 0x48, true},
    {KEY_GRAVE, "`", 0x35, true},
    {KEY_1, "1", 0x1E, true}, {KEY_2, "2", 0x1F, true}, {KEY_3, "3", 0x20, true},
    {KEY_4, "4", 0x21, true}, {KEY_5, "5", 0x22, true}, {KEY_6, "6", 0x23, true},
    {KEY_7, "7", 0x24, true}, {KEY_8, "8", 0x25, true}, {KEY_9, "9", 0x26, true},
    {KEY_0, "0", 0x27, true},
    {KEY_MINUS, "-", 0x2D, true}, {KEY_EQUAL, "=", 0x2E, true},
    {KEY_BACKSPACE, "Backspace", 0x2A, true},
    {KEY_TAB, "Tab", 0x2B, true},
    {KEY_Q, "Q", 0x14, true}, {KEY_W, "W", 0x1A, true}, {KEY_E, "E", 0x08, true},
    {KEY_R, "R", 0x15, true}, {KEY_T, "T", 0x17, true}, {KEY_Y, "Y", 0x1C, true},
    {KEY_U, "U", 0x18, true}, {KEY_I, "I", 0x0C, true}, {KEY_O, "O", 0x12, true},
    {KEY_P, "P", 0x13, true},
    {KEY_LEFTBRACE, "[", 0x2F, true}, {KEY_RIGHTBRACE, "]", 0x30, true},
    {KEY_BACKSLASH, "\\", 0x31, false},  // ANSI: above Enter; ISO: left of Enter
    {KEY_CAPSLOCK, "Caps Lock", 0x39, true},
    {KEY_A, "A", 0x04, true}, {KEY_S, "S", 0x16, true}, {KEY_D, "D", 0x07, true},
    {KEY_F, "F", 0x09, true}, {KEY_G, "G", 0x0A, true}, {KEY_H, "H", 0x0B, true},
    {KEY_J, "J", 0x0D, true}, {KEY_K, "K", 0x0E, true}, {KEY_L, "L", 0x0F, true},
    {KEY_SEMICOLON, ";", 0x33, true}, {KEY_APOSTROPHE, "'", 0x34, true},
    {KEY_ENTER, "Enter", 0x28, true},
    {KEY_LEFTSHIFT, "Shift", 0xE1, true},
    {KEY_102ND, "\\", 0x64, false},      // ISO only: beside left Shift
    {KEY_Z, "Z", 0x1D, true}, {KEY_X, "X", 0x1B, true}, {KEY_C, "C", 0x06, true},
    {KEY_V, "V", 0x19, true}, {KEY_B, "B", 0x05, true}, {KEY_N, "N", 0x11, true},
    {KEY_M, "M", 0x10, true},
    {KEY_COMMA, ",", 0x36, true}, {KEY_DOT, ".", 0x37, true}, {KEY_SLASH, "/", 0x38, true},
    {KEY_RIGHTSHIFT, "Right Shift", 0xE5, true},
    {KEY_LEFTCTRL, "Ctrl", 0xE0, true},
    {KEY_LEFTMETA, "Left Windows", 0xE3, true},
    {KEY_LEFTALT, "Alt", 0xE2, true},
    {KEY_SPACE, "Space", 0x2C, true},
    {KEY_RIGHTALT, "Right Alt", 0xE6, true},  // AltGr on ISO layouts
    {KEY_RIGHTMETA, "Right Windows", 0xE7, true},
    {KEY_COMPOSE, "Application", 0x65, false},
    {KEY_RIGHTCTRL, "Right Ctrl", 0xE4, true},
    {KEY_INSERT, "Insert", 0x49, true}, {KEY_HOME, "Home", 0x4A, true},
    {KEY_PAGEUP, "Page Up", 0x4B, true}, {KEY_DELETE, "Delete", 0x4C, true},
    {KEY_END, "End", 0x4D, true}, {KEY_PAGEDOWN, "Page Down", 0x4E, true},
    {KEY_UP, "Up", 0x52, true}, {KEY_LEFT, "Left", 0x50, true},
    {KEY_DOWN, "Down", 0x51, true}, {KEY_RIGHT, "Right", 0x4F, true},
    {KEY_NUMLOCK, "Num Lock", 0x53, true},
    {KEY_KPSLASH, "Num /", 0x54, true}, {KEY_KPASTERISK, "Num *", 0x55, true},
    {KEY_KPMINUS, "Num -", 0x56, true}, {KEY_KPPLUS, "Num +", 0x57, true},
    {KEY_KPENTER, "Num Enter", 0x58, true},
    {KEY_KP1, "Num 1", 0x59, true}, {KEY_KP2, "Num 2", 0x5A, true}, {KEY_KP3, "Num 3", 0x5B, true},
    {KEY_KP4, "Num 4", 0x5C, true}, {KEY_KP5, "Num 5", 0x5D, true}, {KEY_KP6, "Num 6", 0x5E, true},
    {KEY_KP7, "Num 7", 0x5F, true}, {KEY_KP8, "Num 8", 0x60, true}, {KEY_KP9, "Num 9", 0x61, true},
    {KEY_KP0, "Num 0", 0x62, true},
    {KEY_KPDOT, "Num Del", 0x63, true},
};

TEST(KeyNames, EveryKeyOfAFullSizeKeyboardGetsItsWindowsNameAndUsage)
{
    // 104 ANSI keys plus the ISO key beside left Shift.
    ASSERT_EQ(std::size(kFullSizeKeyboard), 105u);
    for (const Key& key : kFullSizeKeyboard) {
        SCOPED_TRACE(key.name);
        const std::string name = keyNameForEvdevCode(key.evdev);
        EXPECT_EQ(name, key.name);
        EXPECT_EQ(keyCodeOfName(name), key.hasRow ? key.usage : 0);
    }
}

TEST(KeyNames, NamesOnlyRepeatForTheTwoBackslashKeys)
{
    std::map<std::string, int> seen;
    for (const Key& key : kFullSizeKeyboard)
        ++seen[keyNameForEvdevCode(key.evdev)];
    for (const auto& [name, count] : seen)
        EXPECT_EQ(count, name == "\\" ? 2 : 1) << name;
}

TEST(KeyNames, KeysWindowsDoesNotNameGetTheEmptyName)
{
    const unsigned codes[] = {KEY_F13, KEY_F18, KEY_F24, KEY_MUTE, KEY_VOLUMEUP, KEY_PLAYPAUSE,
                              KEY_RESERVED, KEY_MAX, 100000u};
    for (unsigned code : codes) {
        EXPECT_EQ(keyNameForEvdevCode(code), "") << code;
        EXPECT_EQ(keyCodeOfName(keyNameForEvdevCode(code)), 0);
    }
}

TEST(KeyNames, QtNativeScanCodeIsTheEvdevCodePlusEight)
{
    EXPECT_EQ(keyNameForNativeScanCode(KEY_F5 + 8), "F5");
    EXPECT_EQ(keyNameForNativeScanCode(KEY_KPENTER + 8), "Num Enter");
    EXPECT_EQ(keyNameForNativeScanCode(KEY_RIGHTCTRL + 8), "Right Ctrl");
    EXPECT_EQ(keyNameForNativeScanCode(0), "");
}

} // namespace
} // namespace varcel
