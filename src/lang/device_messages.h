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
