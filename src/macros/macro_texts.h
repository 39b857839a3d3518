// Messages of the macro page that the main window's string table does not
// hold: refusals that keep a macro from being lost or mangled on its way to
// record.ini and the mouse. "%1", "%2" and "%3" stand for the values, so each
// language can place them where its grammar wants them.
#pragma once

#include "lang/language.h"

#include <string>
#include <string_view>
#include <vector>

namespace varcel::text {

// A name that the section header of record.ini could not carry.
inline constexpr LangText kMacroNameInvalid{
    "宏名称不能包含 [、]、= 或换行符。",
    "巨集名稱不能包含 [、]、= 或換行符號。",
    "A macro name cannot contain [, ], = or a line break."};

// "Confirm" on an event list longer than the mouse's 126-byte block:
// %1 events fit, %2 events in the list.
inline constexpr LangText kMacroTooLong{
    "宏太长，鼠标无法保存：%2 个按键事件中只能保存 %1 个。请删除一些事件，或缩短超过 1270 ms 的延时（这种延时占用两倍空间）。",
    "巨集太長，滑鼠無法儲存：%2 個按鍵事件中只能儲存 %1 個。請刪除一些事件，或縮短超過 1270 ms 的延時（這種延時佔用兩倍空間）。",
    "This macro is too long for the mouse: only %1 of its %2 key events fit. Delete some events, or shorten "
    "pauses above 1270 ms, which take twice the room."};

// record.ini holds more than twelve macros (a hand-edited file): %1 names those left out.
inline constexpr LangText kMacrosIgnored{
    "record.ini 中的宏超过 12 个，鼠标只能保存前 12 个。未写入鼠标：%1",
    "record.ini 中的巨集超過 12 個，滑鼠只能儲存前 12 個。未寫入滑鼠：%1",
    "record.ini holds more than 12 macros; the mouse keeps only the first 12. Not written to the mouse: %1"};

// A macro of a hand-edited record.ini longer than its block: %1 its name,
// %2 events written, %3 events in the macro.
inline constexpr LangText kMacroCut{
    "record.ini 中的宏“%1”太长：%3 个按键事件中只有前 %2 个写入鼠标。",
    "record.ini 中的巨集「%1」太長：%3 個按鍵事件中只有前 %2 個寫入滑鼠。",
    "Macro \"%1\" in record.ini is too long for the mouse: only the first %2 of its %3 key events were written."};

// record.ini could not be written.
inline constexpr LangText kMacroSaveFailed{
    "无法写入 record.ini，宏没有保存。",
    "無法寫入 record.ini，巨集沒有儲存。",
    "record.ini could not be written; the macro was not saved."};
inline constexpr LangText kMacroDeleteFailed{
    "无法写入 record.ini，宏没有删除。",
    "無法寫入 record.ini，巨集沒有刪除。",
    "record.ini could not be written; the macro was not deleted."};

// The text with "%1", "%2", … replaced by the arguments in order.
inline std::string fillIn(std::string_view pattern, const std::vector<std::string>& args)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto arg = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (arg < args.size()) {
                out += args[arg];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace varcel::text
