// What the window says when the mouse or the files let an Apply down, in the
// three languages of the UI string table.
#pragma once

#include "lang/language.h"

namespace varcel::text {

// An Apply (or OK) whose settings did not all reach the mouse. They are in
// config.bin all the same, so the next Apply sends them again.
inline constexpr LangText kApplyDidNotReachMouse{
    "设置没有全部写入鼠标。设置已保存，鼠标连接好后请再次点击“应用”。",
    "設定沒有全部寫入滑鼠。設定已儲存，滑鼠連接好後請再次點擊「應用」。",
    "Not all settings reached the mouse. They were saved; press \"Apply\" again once the mouse is connected.",
};

} // namespace varcel::text

namespace varcel::text {

// A mouse that ignores the plain probe and answers the scrambled one with
// something else scrambles with other link constants: the user can teach
// them to the program, as the README's section of this name explains.
inline constexpr LangText kLinkConstantsDiffer{
    "鼠标有应答，但它的加扰连接常数与 Varcel 的不同。请教 Varcel 学会鼠标的连接：见 README 中的“Teaching Varcel "
    "the mouse's link”一节。",
    "滑鼠有回應，但它的加擾連線常數與 Varcel 的不同。請教 Varcel 學會滑鼠的連線：見 README 中的「Teaching Varcel "
    "the mouse's link」一節。",
    "The mouse answers, but scrambles with other link constants than Varcel's. Teach Varcel the mouse's link: see "
    "\"Teaching Varcel the mouse's link\" in the README.",
};

} // namespace varcel::text
