#include "keys/key_tables.h"

namespace varcel {

namespace {

// The code of a row, 0 for a row the table does not have.
template <typename Rows>
auto codeAt(const Rows& rows, int row) -> decltype(rows[0].code)
{
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)].code : 0;
}

// The first row whose text is `name`, -1 when none is.
template <typename Rows, typename TextOf>
int rowWhere(const Rows& rows, std::string_view name, TextOf textOf)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (name == textOf(rows[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace

const std::array<KeyNameRow, 106> kKeyNameTable{{
    {"A", 0x04}, {"B", 0x05}, {"C", 0x06}, {"D", 0x07}, {"E", 0x08}, {"F", 0x09},
    {"G", 0x0A}, {"H", 0x0B}, {"I", 0x0C}, {"J", 0x0D}, {"K", 0x0E}, {"L", 0x0F},
    {"M", 0x10}, {"N", 0x11}, {"O", 0x12}, {"P", 0x13}, {"Q", 0x14}, {"R", 0x15},
    {"S", 0x16}, {"T", 0x17}, {"U", 0x18}, {"V", 0x19}, {"W", 0x1A}, {"X", 0x1B},
    {"Y", 0x1C}, {"Z", 0x1D},
    {"1", 0x1E}, {"2", 0x1F}, {"3", 0x20}, {"4", 0x21}, {"5", 0x22},
    {"6", 0x23}, {"7", 0x24}, {"8", 0x25}, {"9", 0x26}, {"0", 0x27},
    {"Enter", 0x28}, {"Esc", 0x29}, {"Backspace", 0x2A}, {"Tab", 0x2B}, {"Space", 0x2C},
    {"-", 0x2D}, {"=", 0x2E}, {"[", 0x2F}, {"]", 0x30},
    // Usage 0x32, the ISO key left of Enter; the name is the design's, no
    // key-name service produces it.
    {"Eurpo(Note 2)", 0x32},
    {";", 0x33}, {"'", 0x34}, {"`", 0x35}, {",", 0x36}, {".", 0x37}, {"/", 0x38},
    {"Caps Lock", 0x39},
    {"F1", 0x3A}, {"F2", 0x3B}, {"F3", 0x3C}, {"F4", 0x3D}, {"F5", 0x3E}, {"F6", 0x3F},
    {"F7", 0x40}, {"F8", 0x41}, {"F9", 0x42}, {"F10", 0x43}, {"F11", 0x44}, {"F12", 0x45},
    {"Prnt Scrn", 0x46}, {"Scroll Lock", 0x47}, {"Pause", 0x48},
    {"Insert", 0x49}, {"Home", 0x4A}, {"Page Up", 0x4B},
    {"Delete", 0x4C}, {"End", 0x4D}, {"Page Down", 0x4E},
    {"Right", 0x4F}, {"Left", 0x50}, {"Down", 0x51}, {"Up", 0x52},
    {"Num Lock", 0x53}, {"Num /", 0x54}, {"Num *", 0x55}, {"Num -", 0x56},
    {"Num +", 0x57}, {"Num Enter", 0x58},
    {"Num 1", 0x59}, {"Num 2", 0x5A}, {"Num 3", 0x5B}, {"Num 4", 0x5C}, {"Num 5", 0x5D},
    {"Num 6", 0x5E}, {"Num 7", 0x5F}, {"Num 8", 0x60}, {"Num 9", 0x61}, {"Num 0", 0x62},
    {"Num Del", 0x63},
    {"Ctrl", 0xE0}, {"Shift", 0xE1}, {"Alt", 0xE2}, {"Left Windows", 0xE3},
    {"Right Ctrl", 0xE4}, {"Right Shift", 0xE5}, {"Right Alt", 0xE6}, {"Right Windows", 0xE7},
    {"L-Button", 0xF0}, {"R-Button", 0xF1}, {"M-Button", 0xF2},
}};

std::uint8_t keyCodeOfName(std::string_view name)
{
    return codeAt(kKeyNameTable, rowWhere(kKeyNameTable, name, [](const KeyNameRow& row) { return row.name; }));
}

const std::array<ModifierRow, 8> kModifierTable{{
    {"Left Ctrl", 0x01}, {"Left Shift", 0x02}, {"Left Alt", 0x04}, {"Left Win", 0x08},
    {"Right Ctrl", 0x10}, {"Right Shift", 0x20}, {"Right Alt", 0x40}, {"Right Win", 0x80},
}};

std::uint8_t modifierMaskOfName(std::string_view name)
{
    const int index = rowWhere(kModifierTable, name, [](const ModifierRow& row) { return row.name; });
    return index < 0 ? 0 : kModifierTable[static_cast<std::size_t>(index)].mask;
}

const std::array<MediaRow, 7> kMediaRows{{
    {{"下一首", "下一首", "Next"}, 0xB5},
    {{"上一首", "上一首", "Previous"}, 0xB6},
    {{"停止", "停止", "Stop"}, 0xB7},
    {{"播放/暂停", "播放/暫停", "Play/Pause"}, 0xCD},
    {{"静音", "靜音", "Mute"}, 0xE2},
    {{"音量+", "音量+", "Vol+"}, 0xE9},
    {{"音量-", "音量-", "Vol-"}, 0xEA},
}};

std::uint8_t mediaCodeOfRow(int row) { return codeAt(kMediaRows, row); }

const std::array<ApplicationRow, 11> kApplicationRows{{
    {{"打开多媒体播放器", "打開多媒體播放器", "Multimedia Player"}, 0x0183},
    {{"邮件", "郵件", "Mail"}, 0x018A},
    {{"计算器", "計算器", "Calculator"}, 0x0192},
    {{"我的电脑", "我的電腦", "My Computer"}, 0x0194},
    {{"浏览器-搜索", "瀏覽器-搜索", "Browser-Search"}, 0x0221},
    {{"浏览器-主页", "瀏覽器-主頁", "Browser-Home"}, 0x0223},
    {{"浏览器-后退", "瀏覽器-後退", "Browser-Back"}, 0x0224},
    {{"浏览器-前进", "瀏覽器-前進", "Browser-Forward"}, 0x0225},
    {{"浏览器-停止", "瀏覽器-停止", "Browser-Stop"}, 0x0226},
    {{"浏览器-刷新", "瀏覽器-刷新", "Browser-Refresh"}, 0x0227},
    {{"浏览器-收藏夹", "瀏覽器-我的最愛", "Browser-My Favorites"}, 0x022A},
}};

std::uint16_t applicationCodeOfRow(int row) { return codeAt(kApplicationRows, row); }

std::uint8_t applicationLowByteOfRow(int row)
{
    return static_cast<std::uint8_t>(applicationCodeOfRow(row) & 0xFF);
}

std::uint8_t applicationHighByteOfRow(int row)
{
    if (row < 0 || row >= static_cast<int>(kApplicationRows.size()))
        return 0;
    return row <= 3 ? 1 : 2;
}

const std::array<FireKeyRow, 61> kFireKeyRows{{
    {"A", 0x04}, {"B", 0x05}, {"C", 0x06}, {"D", 0x07}, {"E", 0x08}, {"F", 0x09},
    {"G", 0x0A}, {"H", 0x0B}, {"I", 0x0C}, {"J", 0x0D}, {"K", 0x0E}, {"L", 0x0F},
    {"M", 0x10}, {"N", 0x11}, {"O", 0x12}, {"P", 0x13}, {"Q", 0x14}, {"R", 0x15},
    {"S", 0x16}, {"T", 0x17}, {"U", 0x18}, {"V", 0x19}, {"W", 0x1A}, {"X", 0x1B},
    {"Y", 0x1C}, {"Z", 0x1D},
    {"1", 0x1E}, {"2", 0x1F}, {"3", 0x20}, {"4", 0x21}, {"5", 0x22},
    {"6", 0x23}, {"7", 0x24}, {"8", 0x25}, {"9", 0x26}, {"0", 0x27},
    {"L-CTRL", 0xE0}, {"L-SHIFT", 0xE1}, {"L-ALT", 0xE2},
    {"R-CTRL", 0xE4}, {"R-SHIFT", 0xE5}, {"R-ALT", 0xE6},
    {"F1", 0x3A}, {"F2", 0x3B}, {"F3", 0x3C}, {"F4", 0x3D}, {"F5", 0x3E}, {"F6", 0x3F},
    {"F7", 0x40}, {"F8", 0x41}, {"F9", 0x42}, {"F10", 0x43}, {"F11", 0x44}, {"F12", 0x45},
    // Mouse buttons and tilts: codes above the keyboard range.
    {"L-Button", 0xF0}, {"R-Button", 0xF1}, {"M-Button", 0xF2},
    {"B4-Button", 0xF3}, {"B5-Button", 0xF4},
    {"L-Tilt Wheel", 0xF5}, {"R-Tilt Wheel", 0xF6},
}};

std::uint8_t fireKeyCodeOfRow(int row) { return codeAt(kFireKeyRows, row); }

int mediaRowOfName(std::string_view name, Language language)
{
    return rowWhere(kMediaRows, name, [language](const MediaRow& row) { return row.text(language); });
}

int applicationRowOfName(std::string_view name, Language language)
{
    return rowWhere(kApplicationRows, name, [language](const ApplicationRow& row) { return row.text(language); });
}

int fireKeyRowOfName(std::string_view name)
{
    return rowWhere(kFireKeyRows, name, [](const FireKeyRow& row) { return row.text; });
}

} // namespace varcel
