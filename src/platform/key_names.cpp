#include "platform/key_names.h"

#include <array>
#include <utility>
#include <string_view>

namespace varcel {

namespace {

// Indexed by evdev key code. Codes 1 to 88 are the PC/AT set-1 scan codes,
// so this is the table GetKeyNameTextW consults, written out by position.
// Keys without an entry have no name on Windows either (F13 to F24, the
// media keys), which the key-name table of the buttons reads as code 0.
constexpr std::array<std::string_view, 128> kNames = [] {
    std::array<std::string_view, 128> n{};
    n[1] = "Esc";
    n[2] = "1"; n[3] = "2"; n[4] = "3"; n[5] = "4"; n[6] = "5";
    n[7] = "6"; n[8] = "7"; n[9] = "8"; n[10] = "9"; n[11] = "0";
    n[12] = "-"; n[13] = "=";
    n[14] = "Backspace"; n[15] = "Tab";
    n[16] = "Q"; n[17] = "W"; n[18] = "E"; n[19] = "R"; n[20] = "T";
    n[21] = "Y"; n[22] = "U"; n[23] = "I"; n[24] = "O"; n[25] = "P";
    n[26] = "["; n[27] = "]";
    n[28] = "Enter";
    n[29] = "Ctrl";                     // left Ctrl: Windows gives no "Left"
    n[30] = "A"; n[31] = "S"; n[32] = "D"; n[33] = "F"; n[34] = "G";
    n[35] = "H"; n[36] = "J"; n[37] = "K"; n[38] = "L";
    n[39] = ";"; n[40] = "'"; n[41] = "`";
    n[42] = "Shift";                    // left Shift
    n[43] = "\\";                       // ANSI backslash: no row, code 0
    n[44] = "Z"; n[45] = "X"; n[46] = "C"; n[47] = "V"; n[48] = "B";
    n[49] = "N"; n[50] = "M";
    n[51] = ","; n[52] = "."; n[53] = "/";
    n[54] = "Right Shift";
    n[55] = "Num *";
    n[56] = "Alt";                      // left Alt
    n[57] = "Space";
    n[58] = "Caps Lock";
    n[59] = "F1"; n[60] = "F2"; n[61] = "F3"; n[62] = "F4"; n[63] = "F5";
    n[64] = "F6"; n[65] = "F7"; n[66] = "F8"; n[67] = "F9"; n[68] = "F10";
    n[69] = "Num Lock";
    n[70] = "Scroll Lock";
    // The keypad by position: Windows names the scan code, not what Num Lock
    // makes of it.
    n[71] = "Num 7"; n[72] = "Num 8"; n[73] = "Num 9"; n[74] = "Num -";
    n[75] = "Num 4"; n[76] = "Num 5"; n[77] = "Num 6"; n[78] = "Num +";
    n[79] = "Num 1"; n[80] = "Num 2"; n[81] = "Num 3";
    n[82] = "Num 0"; n[83] = "Num Del";
    n[86] = "\\";                       // ISO key beside left Shift: no row either
    n[87] = "F11"; n[88] = "F12";
    // Keys with the extended flag on Windows.
    n[96] = "Num Enter";
    n[97] = "Right Ctrl";
    n[98] = "Num /";
    n[99] = "Prnt Scrn";
    n[100] = "Right Alt";               // AltGr on ISO layouts
    n[102] = "Home"; n[103] = "Up"; n[104] = "Page Up";
    n[105] = "Left"; n[106] = "Right";
    n[107] = "End"; n[108] = "Down"; n[109] = "Page Down";
    n[110] = "Insert"; n[111] = "Delete";
    n[119] = "Pause";
    n[125] = "Left Windows"; n[126] = "Right Windows";
    n[127] = "Application";             // menu key: no row, code 0
    return n;
}();

// Linux's names of keys past the table, written as the table writes names.
// None holds "ms" or "   Dn", which would make its entry read as a pause or
// a press of another key.
constexpr std::pair<std::uint32_t, std::string_view> kLinuxNames[] = {
    {113, "Mute"}, {114, "Volume Down"}, {115, "Volume Up"}, {116, "Power"}, {117, "Num ="},
    {121, "Num ,"}, {128, "Stop"}, {129, "Again"}, {130, "Props"}, {131, "Undo"}, {133, "Copy"},
    {134, "Open"}, {135, "Paste"}, {136, "Find"}, {137, "Cut"}, {138, "Help"}, {139, "Menu"},
    {140, "Calculator"}, {142, "Sleep"}, {143, "Wake Up"}, {150, "WWW"}, {152, "Screen Lock"},
    {155, "Mail"}, {156, "Bookmarks"}, {157, "Computer"}, {158, "Back"}, {159, "Forward"},
    {161, "Eject CD"}, {163, "Next Song"}, {164, "Play/Pause"}, {165, "Previous Song"},
    {166, "Stop CD"}, {167, "Record"}, {168, "Rewind"}, {172, "Homepage"}, {173, "Refresh"},
    {181, "New"}, {182, "Redo"}, {183, "F13"}, {184, "F14"}, {185, "F15"}, {186, "F16"},
    {187, "F17"}, {188, "F18"}, {189, "F19"}, {190, "F20"}, {191, "F21"}, {192, "F22"},
    {193, "F23"}, {194, "F24"}, {207, "Play"}, {208, "Fast Forward"}, {210, "Print"},
    {217, "Search"}, {224, "Brightness Down"}, {225, "Brightness Up"}, {226, "Media"},
};

} // namespace

std::string readableKeyName(std::uint32_t evdevCode)
{
    if (std::string name = keyNameForEvdevCode(evdevCode); !name.empty())
        return name;
    for (const auto& [code, name] : kLinuxNames)
        if (code == evdevCode)
            return std::string(name);
    return evdevCode == 0 ? std::string() : "Key " + std::to_string(evdevCode);
}

std::string keyNameForEvdevCode(std::uint32_t evdevCode)
{
    if (evdevCode >= kNames.size())
        return {};
    return std::string(kNames[evdevCode]);
}

} // namespace varcel
