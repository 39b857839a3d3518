#include "keys/key_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace varcel {
namespace {

// Expected codes are the HID keyboard usages, built here from the usage page's
// own order rather than read back from the table.
TEST(KeyNameTable, NamesGiveTheirKeyboardUsages)
{
    std::size_t checked = 0;
    const auto expect = [&checked](const std::string& name, int code) {
        EXPECT_EQ(keyCodeOfName(name), code) << '"' << name << '"';
        ++checked;
    };
    for (int i = 0; i < 26; ++i)
        expect(std::string(1, static_cast<char>('A' + i)), 0x04 + i);
    for (int i = 1; i <= 9; ++i)
        expect(std::to_string(i), 0x1E + i - 1);
    expect("0", 0x27);
    const char* run1[] = {"Enter", "Esc", "Backspace", "Tab", "Space", "-", "=", "[", "]"};
    for (int i = 0; i < 9; ++i)
        expect(run1[i], 0x28 + i);
    expect("Eurpo(Note 2)", 0x32);
    const char* run2[] = {";", "'", "`", ",", ".", "/", "Caps Lock"};
    for (int i = 0; i < 7; ++i)
        expect(run2[i], 0x33 + i);
    for (int i = 1; i <= 12; ++i)
        expect("F" + std::to_string(i), 0x3A + i - 1);
    const char* run3[] = {"Prnt Scrn", "Scroll Lock", "Pause", "Insert", "Home", "Page Up",
                          "Delete", "End", "Page Down", "Right", "Left", "Down", "Up",
                          "Num Lock", "Num /", "Num *", "Num -", "Num +", "Num Enter"};
    for (int i = 0; i < 19; ++i)
        expect(run3[i], 0x46 + i);
    for (int i = 1; i <= 9; ++i)
        expect("Num " + std::to_string(i), 0x59 + i - 1);
    expect("Num 0", 0x62);
    expect("Num Del", 0x63);
    const char* modifiers[] = {"Ctrl", "Shift", "Alt", "Left Windows",
                               "Right Ctrl", "Right Shift", "Right Alt", "Right Windows"};
    for (int i = 0; i < 8; ++i)
        expect(modifiers[i], 0xE0 + i);
    expect("L-Button", 0xF0);
    expect("R-Button", 0xF1);
    expect("M-Button", 0xF2);
    EXPECT_EQ(checked, 106u);
    EXPECT_EQ(kKeyNameTable.size(), 106u);
}

TEST(KeyNameTable, NamesWithoutARowGiveZero)
{
    const char* names[] = {"", "\\", "Application", "a", "f5", "ctrl", "Left Ctrl", "Num 10", "F13",
                           "Enter ", " Enter", "Windows", "B4-Button", "L-CTRL"};
    for (const char* name : names)
        EXPECT_EQ(keyCodeOfName(name), 0) << '"' << name << '"';
}

TEST(ModifierTable, NamesGiveOneBitEach)
{
    const char* names[] = {"Left Ctrl", "Left Shift", "Left Alt", "Left Win",
                           "Right Ctrl", "Right Shift", "Right Alt", "Right Win"};
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_EQ(modifierMaskOfName(names[bit]), 1 << bit) << names[bit];
    for (const char* other : {"", "left ctrl", "Ctrl", "Left Windows", "Right Windows", "LEFT CTRL"})
        EXPECT_EQ(modifierMaskOfName(other), 0) << '"' << other << '"';
}

TEST(ModifierTable, RightModifiersMeanDifferentThingsInTheTwoTables)
{
    EXPECT_EQ(modifierMaskOfName("Right Alt"), 0x40);
    EXPECT_EQ(keyCodeOfName("Right Alt"), 0xE6);
    EXPECT_EQ(modifierMaskOfName("Right Ctrl"), 0x10);
    EXPECT_EQ(keyCodeOfName("Right Ctrl"), 0xE4);
    EXPECT_EQ(modifierMaskOfName("Right Shift"), 0x20);
    EXPECT_EQ(keyCodeOfName("Right Shift"), 0xE5);
}

TEST(RowTables, MediaApplicationAndFireKeyCodes)
{
    struct Media { int row; const char* en; const char* zhCN; int code; } media[] = {
        {0, "Next", "下一首", 0xB5}, {3, "Play/Pause", "播放/暂停", 0xCD}, {4, "Mute", "静音", 0xE2},
        {5, "Vol+", "音量+", 0xE9}, {6, "Vol-", "音量-", 0xEA}, {7, nullptr, nullptr, 0}, {-1, nullptr, nullptr, 0},
    };
    for (const Media& m : media) {
        EXPECT_EQ(mediaCodeOfRow(m.row), m.code) << m.row;
        if (m.en) {
            EXPECT_EQ(mediaRowOfName(m.en, Language::English), m.row);
            EXPECT_EQ(mediaRowOfName(m.zhCN, Language::SimplifiedChinese), m.row);
        }
    }

    struct App { int row; const char* en; int low; int high; } apps[] = {
        {0, "Multimedia Player", 0x83, 1}, {3, "My Computer", 0x94, 1},
        {4, "Browser-Search", 0x21, 2}, {10, "Browser-My Favorites", 0x2A, 2},
        {11, nullptr, 0, 0}, {-1, nullptr, 0, 0},
    };
    for (const App& a : apps) {
        EXPECT_EQ(applicationLowByteOfRow(a.row), a.low) << a.row;
        EXPECT_EQ(applicationHighByteOfRow(a.row), a.high) << a.row;
        if (a.en) {
            EXPECT_EQ(applicationRowOfName(a.en, Language::English), a.row);
        }
    }
    EXPECT_EQ(applicationRowOfName("瀏覽器-我的最愛", Language::TraditionalChinese), 10);
    EXPECT_EQ(applicationRowOfName("浏览器-收藏夹", Language::SimplifiedChinese), 10);

    struct Fire { const char* name; int row; int code; } fire[] = {
        {"A", 0, 0x04}, {"Z", 25, 0x1D}, {"1", 26, 0x1E}, {"0", 35, 0x27},
        {"L-CTRL", 36, 0xE0}, {"L-ALT", 38, 0xE2}, {"R-CTRL", 39, 0xE4}, {"R-SHIFT", 40, 0xE5},
        {"R-ALT", 41, 0xE6}, {"F1", 42, 0x3A}, {"F12", 53, 0x45}, {"L-Button", 54, 0xF0},
        {"M-Button", 56, 0xF2}, {"B4-Button", 57, 0xF3}, {"B5-Button", 58, 0xF4},
        {"L-Tilt Wheel", 59, 0xF5}, {"R-Tilt Wheel", 60, 0xF6},
    };
    for (const Fire& f : fire) {
        EXPECT_EQ(fireKeyRowOfName(f.name), f.row) << f.name;
        EXPECT_EQ(fireKeyCodeOfRow(f.row), f.code) << f.name;
    }
    EXPECT_EQ(kFireKeyRows.size(), 61u);
    EXPECT_EQ(fireKeyCodeOfRow(61), 0);
    EXPECT_EQ(fireKeyRowOfName("Left Windows"), -1); // no Windows key in the list
    EXPECT_EQ(fireKeyRowOfName("r-ctrl"), -1);
}

} // namespace
} // namespace varcel
