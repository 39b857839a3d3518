// The texts of the dialogs and of the key page that are not rows of the main
// window's UI string table, in one place.
// Every dialog chooses them by the same language index as the main window.
//
// Not repeated here: the texts of the macro page and of recording ("Start
// Recording", "Macro name is blank", …) are rows of the UI string table
// (lang/ui_strings.h) with the same three columns; the row texts of the
// multimedia, application-key and fire-key lists and the modifier list are
// in the key tables (keys/key_tables.h).
#pragma once

#include "device/button_codes.h"
#include "lang/language.h"

#include <array>

namespace varcel::text {

// Captions and texts that are the same in every language.
inline constexpr const char* kWarning = "Warning";
inline constexpr const char* kError = "error"; // text of the missing-background boxes

// Key page: the DPI option list and the layer buttons, the same in
// every language.
inline constexpr const auto& kDpiOptions = kDpiSwitchOptionNames;
inline constexpr const char* kDpiLoop = kDpiOptions[kDpiLoopOption - 1];
inline constexpr const char* kModeA = "Mode A";
inline constexpr const char* kModeB = "Mode B";

// The window, when another program changed its files while it holds
// changes not yet saved; "%s" is the file.
inline constexpr LangText kFileChangedKeepEdits{
    "%s 已被其他程序修改，而您在这里还有未保存的更改。\n保留您的更改（其余设置采用文件中的），还是全部采用文件中的内容？",
    "%s 已被其他程式修改，而您在這裡還有未儲存的變更。\n保留您的變更（其餘設定採用檔案中的），還是全部採用檔案中的內容？",
    "%s was changed by another program while you have changes here that are not saved.\nKeep your changes (every "
    "other setting takes the file's), or take the file as it is?"};
inline constexpr LangText kKeepMyChanges{"保留我的更改", "保留我的變更", "Keep my changes"};
inline constexpr LangText kTakeTheFile{"采用文件", "採用檔案", "Take the file"};

// OK and Cancel of every dialog.
inline constexpr LangText kOk{"确定", "確定", "OK"};
inline constexpr LangText kCancel{"取消", "取消", "Cancel"};

// Dialog names on their header strips, where the function list has none.
inline constexpr LangText kDelayTitle{"延时", "延時", "Delay"};
inline constexpr LangText kSkinsTitle{"皮肤", "皮膚", "Skins"};
inline constexpr const char* kDelayUnit = "ms";

// Single-key and combination-key dialogs.
// The modifier face before a modifier is chosen: the combination has none.
inline constexpr LangText kNoModifier{"无", "無", "None"};
inline constexpr LangText kSingleKeyPrompt{"请输入一个按键", "請輸入一個按鍵", "Please enter a key"};
inline constexpr const char* kSingleKeyBackgroundFailed = "Single Key Dialog Load background image failed!!!";
inline constexpr const char* kComboBackgroundFailed = "Combo Dialog Load background image failed!!!";
inline constexpr const char* kSingleKeyHookFailed = "KeyboardHook_SingleDlgKey Install error code :%d\n";
inline constexpr const char* kComboHookFailed = "KeyboardHook_ComboDlg Install error code :%d\n";

// Multimedia, application-key and fire-key dialogs.
inline constexpr const char* kMediaBackgroundFailed = "Media Dialog Load background image failed!!!";
inline constexpr const char* kWindowsBackgroundFailed = "Windows Dialog Load background image failed!!!";
inline constexpr const char* kFireKeyBackgroundFailed = "FireKey Dialog Load background image failed!!!";
inline constexpr LangText kFireKeySpeed{"速度", "速度", "Speed"};
inline constexpr LangText kFireKeyTimes{"次数", "次數", "Times"};
inline constexpr LangText kFireKeyIllustration{
    "说明:\n速度(数值范围5-255，数值越小速度越快)\n次数(数值范围0-255，0表示按键放开火力键结束)",
    "說明:\n速度(數值範圍5-255，數值越小速度越快)\n次數(數值範圍0-255，0表示按鍵放開火力鍵結束)",
    "Illustration:"};
// The English illustration is only its heading; what the Chinese texts
// explain follows it, so an English frame is not left empty.
inline constexpr LangText kFireKeyIllustrationDetail{
    "", "",
    "Speed (value range 5-255, the smaller the value, the faster)\n"
    "Times (value range 0-255, 0 means the fire key ends when the key is released)"};

// Recording: its language texts are UI string rows.
inline constexpr const char* kRecordHookFailed = "JournalRecordHook Install error code :%d\n";

// Macro page and delay dialog; the page's language texts are UI string rows.
inline constexpr const char* kMacroLimit = "Macro numbers up to 12.";
inline constexpr std::array<const char*, 9> kMouseEvents{
    "L-Button Click", "R-Button Click", "M-Button Click",
    "L-Button   Dn", "L-Button   Up",
    "R-Button   Dn", "R-Button   Up",
    "M-Button   Dn", "M-Button   Up",
};
inline constexpr LangText kDelayPrompt{"请输入一个延时", "請輸入一個延時", "Please enter a delay"};
inline constexpr LangText kDelayRange{"(数值范围 50-10000)", "(數值範圍 50-10000)", "(value range 50-10000)"};
inline constexpr const char* kDelayBackgroundFailed = "DelayTime Dialog Load background image failed!!!";

// Macro-key dialog.
inline constexpr LangText kMacroKeyHeading{"请从列表框选择一个宏", "請從清單方塊選擇一個巨集", "Please select a macro"};
inline constexpr LangText kMacroKeyOption1{"重复指定次数或按任意键结束", "重複指定次數或按任意鍵結束",
                                           "Repeat a specified number of times or press any key to end"};
inline constexpr LangText kMacroKeyOption2{"重复直到按任意键结束", "重複直到按任意鍵結束",
                                           "Repeat until press any key to end"};
inline constexpr LangText kMacroKeyOption3{"重复直到该按键松开结束", "重複直到該按鍵鬆開結束",
                                           "Repeat until the key is released"};
inline constexpr const char* kMacroKeyBackgroundFailed = "Macro Key Dialog Load background image failed!!!";

// The advanced page: the pointer block's heading beside "Macro Setting",
// and what the empty macro lists suggest.
inline constexpr LangText kPointerSetting{"指针设置", "指標設置", "Pointer Setting"};
inline constexpr LangText kNoMacrosHint{"输入宏名称，\n然后点击“新建”", "輸入巨集名稱，\n然後點擊「新建」",
                                        "Type a Macro Name, then press New"};
inline constexpr LangText kNoEventsHint{"点击“开始录制”，按下按键，\n再点击“停止录制”",
                                        "點擊「開始錄製」，按下按鍵，\n再點擊「停止錄製」",
                                        "Press Start Recording, type\nthe keys, then Stop Recording"};

// The mouse is not there: where to look next, under the balloon's text and
// in the tray icon's tip.
inline constexpr LangText kNoMouseNextStep{
    "请检查鼠标是否已插好；如已插好，运行 varcelctl doctor 检查 udev 规则",
    "請檢查滑鼠是否已插好；如已插好，執行 varcelctl doctor 檢查 udev 規則",
    "Check that the mouse is plugged in; if it is, run varcelctl doctor to check the udev rule"};

// Skins and the skin dialog.
inline constexpr LangText kSkinColourPrompt{"请点击设置UI文本颜色", "請點擊設置UI文本顏色",
                                            "Please click to set the UI text color"};
inline constexpr const char* kSkinsBackgroundFailed = "Skins Dialog Load background image failed!!!";
inline constexpr const char* kLoadPngFailed = "LoadPng---Load image failed.";

} // namespace varcel::text
