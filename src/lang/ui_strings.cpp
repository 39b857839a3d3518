#include "lang/ui_strings.h"

#include "platform/failure.h"

namespace varcel {

namespace {

using U = UiString;
using A = AccessString;

// Columns: simplified Chinese, traditional Chinese, English; rows in UiString order.
constexpr CodeText<UiString> kUiTable[] = {
    // 1. Page tabs and window buttons.
    {U::BasicSettings, "基本设置", "基本設置", "Basic Settings"},
    {U::AdvancedSettings, "高级设置", "高級設置", "Advanced Settings"},
    {U::Ok, "确定", "確定", "OK"},
    {U::Apply, "应用", "應用", "Apply"},
    {U::Cancel, "取消", "取消", "Cancel"},
    // 2. Button function names and their rule message.
    {U::LeftClick, "左键", "左鍵", "Left Click"},
    {U::RightClick, "右键", "右鍵", "Right Click"},
    {U::MidClick, "中键", "中鍵", "Mid Click"},
    {U::Forward, "前进方向键", "前進方向鍵", "Forward"},
    {U::Backward, "后退方向键", "後退方向鍵", "Backward"},
    {U::TripleClick, "三连发", "三連發", "Triple-click"},
    {U::DpiSwitch, "DPI切换", "DPI切換", "DPI Switch"},
    {U::Shift, "Shift", "Shift", "Shift"},
    {U::RgbOnOff, "RGB打开/关闭", "RGB打開/關閉", "RGB On/Off"},
    {U::Windows, "Windows", "Windows", "Windows"},
    {U::Multimedia, "多媒体", "多媒體", "Multimedia"},
    {U::FireKey, "火力键", "火力鍵", "Fire Key"},
    {U::SingleKey, "单键", "單鍵", "Single Key"},
    {U::ComboKey, "组合键", "複合鍵", "Combo Key"},
    {U::MacroKey, "宏", "巨集", "Macro Key"},
    {U::KeyOff, "按键关闭", "按鍵關閉", "Key Off"},
    {U::LeftKeyMustBeSelected, "左键功能必须选择！", "左鍵功能必須選擇！", "Left key must be selected!"},
    // 3. Key page section titles.
    {U::KeySetting, "按键设置", "按鍵設置", "Key Setting"},
    {U::ReportRateSetting, "报告率设置", "報告率設置", "Report Rate Setting"},
    {U::DpiSetting, "DPI设置", "DPI設置", "DPI Setting"},
    {U::KeyDefault, "按键恢复", "按鍵恢復", "Default"},
    // 4. Lighting page.
    {U::RgbEffect, "RGB显示特效", "RGB顯示特效", "RGB Effect"},
    {U::Mode, "模式", "模式", "Mode"},
    {U::Parameter, "参数", "參數", "Parameter"},
    {U::LoopColorSetting, "循环颜色设置", "迴圈顏色設置", "Loop Color Setting"},
    {U::DpiSelfColorLedSetting, "DPI单色灯设置", "DPI單色燈設置", "DPI Self-Color LED Setting "},
    {U::OffMode, "关闭模式", "關閉模式", "Off Mode"},
    {U::StandardMode, "标准模式", "標準模式", "Standard Mode"},
    {U::RespirationMode, "呼吸模式", "呼吸模式", "Respiration Mode"},
    {U::NeonMode, "霓虹模式", "霓虹模式", "Neon Mode"},
    // 5. Balloon and tray texts.
    {U::ReportRate1000, "报告率切换到1000HZ", "報告率切換到1000HZ", "Switch report rate into 1000HZ"},
    {U::ReportRate500, "报告率切换到500HZ", "報告率切換到500HZ", "Switch report rate into 500HZ"},
    {U::ReportRate250, "报告率切换到250HZ", "報告率切換到250HZ", "Switch report rate into 250HZ"},
    {U::ReportRate125, "报告率切换到125HZ", "報告率切換到125HZ", "Switch report rate into 125HZ"},
    {U::DpiStage1, "DPI切换到第一段", "DPI切換到第一段", "Switch DPI into the first stage "},
    {U::DpiStage2, "DPI切换到第二段", "DPI切換到第二段", "Switch DPI into the second stage "},
    {U::DpiStage3, "DPI切换到第三段", "DPI切換到第三段", "Switch DPI into the third stage "},
    {U::DpiStage4, "DPI切换到第四段", "DPI切換到第四段", "Switch DPI into the fourth stage "},
    {U::KeyMatrix1, "切换到按键组1", "切換到按鍵群組1", "Switch to key matrix 1"},
    {U::KeyMatrix2, "切换到按键组2", "切換到按鍵群組2", "Switch to key matrix 2"},
    {U::KeyMatrix3, "切换到按键组3", "切換到按鍵群組3", "Switch to key matrix 3"},
    {U::KeyMatrix4, "切换到按键组4", "切換到按鍵群組4", "Switch to key matrix 4"},
    {U::SwitchToMacroKey, "切换到宏", "切換到巨集", "Switch to macro key"},
    {U::Exit, "退出", "退出", "Exit"},
    // 6. Device status.
    {U::MouseNotDetected, "系统没有检测到游戏鼠标！", "系統沒有檢測到遊戲滑鼠！",
     "The system did not detect the gaming mouse!"},
    {U::MouseDetected, "系统检测到游戏鼠标。", "系統檢測到遊戲滑鼠。", "The system detect the gaming mouse."},
    // 7. Advanced page.
    {U::MouseSpeed, "鼠标移动速度", "滑鼠移動速度", "Mouse Speed"},
    {U::ScrollingSpeed, "鼠标滚动速度", "滑鼠滾動速度", "Scrolling Speed"},
    {U::DoubleClickSpeed, "鼠标双击速度", "滑鼠雙擊速度", "Double-Click Speed"},
    {U::MacroSetting, "宏设置", "巨集設置", "Macro Setting"},
    {U::SelectMacro, "选择宏", "選擇巨集", "Select Macro"},
    {U::KeyPressSequence, "按键序列", "按鍵序列", "Key Press Sequence"},
    {U::RecordOption, "录制选项", "錄製選項", "Record Option"},
    {U::EnhancePointerPrecision, "提高指针准确度", "提高指針準確度", "Enhance Pointer Precision"},
    {U::ScrollOneScreen, "一次滚动一个屏幕", "一次滾動一個螢幕", "Scroll One Screen"},
    {U::PointerDefault, "恢复默认", "恢復默認", "Default"},
    {U::MacroName, "宏名称", "巨集名稱", "Macro Name"},
    {U::StartRecording, "开始录制", "開始錄製", "Start Recording"},
    {U::StopRecording, "停止录制", "停止錄製", "Stop Recording"},
    {U::LoopTimes, "循环次数", "迴圈次數", "Loop Times"},
    {U::InsertAMouseEvent, "插入一个鼠标事件", "插入一個滑鼠事件", "Insert A Mouse Event"},
    {U::New, "新建", "新建", "New"},
    {U::Delete, "删除", "刪除", "Delete"},
    {U::Confirm, "确认", "確認", "Confirm"},
    {U::MacroNameIsBlank, "宏名称为空", "巨集名稱為空", "Macro name is blank"},
    {U::MacroNameAlreadyExists, "宏名称已经存在", "巨集名稱已經存在", "Macro name already exists"},
    {U::PressCtrlBreakToStop, "按Ctrl+Break可以停止录制", "按Ctrl+Break可以停止錄製",
     "Press Ctrl+Break key to stop recording"},
    {U::NotRecording, "没有开始录制,点击停止录制按钮没有意义！", "沒有開始錄製，點擊停止錄製按鈕沒有意義！",
     "It doesn\u2019t start recording, unnecessary to press Stop key!"},
    // 8. The str.ini section of the language.
    {U::SectionName, kLabelSection},
};

static_assert(rowsInCodeOrder(kUiTable, kUiStringCount));

// Columns as above; rows in AccessString order.
constexpr CodeText<AccessString> kAccessTable[] = {
    {A::BasicSettingsPage, "基本设置", "基本設置", "Basic settings"},
    {A::AdvancedSettingsPage, "高级设置", "高級設置", "Advanced settings"},
    {A::SkinButton, "皮肤", "皮膚", "Skin"},
    {A::MinimiseButton, "最小化", "最小化", "Minimise"},
    {A::CloseButton, "关闭", "關閉", "Close"},
    {A::ButtonBox, "按键%1：%2", "按鍵%1：%2", "Button %1: %2"},
    {A::StageBar, "%1滑块", "%1滑塊", "%1 bar"},
    {A::LoopColourSwatch, "循环颜色%1，%2，%3", "迴圈顏色%1，%2，%3", "Loop colour %1, %2, %3"},
    {A::KeyField, "按键%1", "按鍵%1", "Key %1"},
    {A::Modifier, "修饰键", "修飾鍵", "Modifier"},
    {A::TextColour, "文本颜色", "文本顏色", "Text colour"},
    {A::Red, "红色", "紅色", "red"},
    {A::Orange, "橙色", "橙色", "orange"},
    {A::Yellow, "黄色", "黃色", "yellow"},
    {A::Green, "绿色", "綠色", "green"},
    {A::Cyan, "青色", "青色", "cyan"},
    {A::Blue, "蓝色", "藍色", "blue"},
    {A::Purple, "紫色", "紫色", "purple"},
    {A::Pink, "粉色", "粉色", "pink"},
    {A::White, "白色", "白色", "white"},
    {A::Grey, "灰色", "灰色", "grey"},
    {A::Black, "黑色", "黑色", "black"},
    {A::KeyDown, "%1 按下", "%1 按下", "%1 down"},
    {A::KeyUp, "%1 松开", "%1 放開", "%1 up"},
    {A::PauseEntry, "暂停 %1 毫秒", "暫停 %1 毫秒", "pause of %1 milliseconds"},
    {A::EditPause, "编辑暂停", "編輯暫停", "Edit pause"},
    {A::DeleteEntry, "删除此项", "刪除此項", "Delete entry"},
};
static_assert(rowsInCodeOrder(kAccessTable, static_cast<std::size_t>(AccessString::Count)));

} // namespace

const LangText& uiText(UiString id) { return kUiTable[static_cast<std::size_t>(id)].text; }

const char* accessString(Language language, AccessString id)
{
    return kAccessTable[static_cast<std::size_t>(id)](language);
}

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto n = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && n < args.size()) {
            out += *(args.begin() + n);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

UiStringTable assignUiStrings(Language language)
{
    UiStringTable table{};
    for (std::size_t i = 0; i < kUiStringCount; ++i)
        table[i] = kUiTable[i](language);
    return table;
}

} // namespace varcel
