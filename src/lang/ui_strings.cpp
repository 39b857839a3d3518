#include "lang/ui_strings.h"

namespace varcel {

namespace {

// Columns: simplified Chinese, traditional Chinese, English; rows in UiString order.
constexpr std::array<LangText, kUiStringCount> kUiTable{{
    // 1. Page tabs and window buttons.
    {"基本设置", "基本設置", "Basic Settings"},
    {"高级设置", "高級設置", "Advanced Settings"},
    {"确定", "確定", "OK"},
    {"应用", "應用", "Apply"},
    {"取消", "取消", "Cancel"},
    // 2. Button function names and their rule message.
    {"左键", "左鍵", "Left Click"},
    {"右键", "右鍵", "Right Click"},
    {"中键", "中鍵", "Mid Click"},
    {"前进方向键", "前進方向鍵", "Forward"},
    {"后退方向键", "後退方向鍵", "Backward"},
    {"三连发", "三連發", "Triple-click"},
    {"DPI切换", "DPI切換", "DPI Switch"},
    {"Shift", "Shift", "Shift"},
    {"RGB打开/关闭", "RGB打開/關閉", "RGB On/Off"},
    {"Windows", "Windows", "Windows"},
    {"多媒体", "多媒體", "Multimedia"},
    {"火力键", "火力鍵", "Fire Key"},
    {"单键", "單鍵", "Single Key"},
    {"组合键", "複合鍵", "Combo Key"},
    {"宏", "巨集", "Macro Key"},
    {"按键关闭", "按鍵關閉", "Key Off"},
    {"左键功能必须选择！", "左鍵功能必須選擇！", "Left key must be selected!"},
    // 3. Key page section titles.
    {"按键设置", "按鍵設置", "Key Setting"},
    {"报告率设置", "報告率設置", "Report Rate Setting"},
    {"DPI设置", "DPI設置", "DPI Setting"},
    {"按键恢复", "按鍵恢復", "Default"},
    // 4. Lighting page.
    {"RGB显示特效", "RGB顯示特效", "RGB Effect"},
    {"模式", "模式", "Mode"},
    {"参数", "參數", "Parameter"},
    {"循环颜色设置", "迴圈顏色設置", "Loop Color Setting"},
    {"DPI单色灯设置", "DPI單色燈設置", "DPI Self-Color LED Setting "},
    {"关闭模式", "關閉模式", "Off Mode"},
    {"标准模式", "標準模式", "Standard Mode"},
    {"呼吸模式", "呼吸模式", "Respiration Mode"},
    {"霓虹模式", "霓虹模式", "Neon Mode"},
    // 5. Balloon and tray texts.
    {"报告率切换到1000HZ", "報告率切換到1000HZ", "Switch report rate into 1000HZ"},
    {"报告率切换到500HZ", "報告率切換到500HZ", "Switch report rate into 500HZ"},
    {"报告率切换到250HZ", "報告率切換到250HZ", "Switch report rate into 250HZ"},
    {"报告率切换到125HZ", "報告率切換到125HZ", "Switch report rate into 125HZ"},
    {"DPI切换到第一段", "DPI切換到第一段", "Switch DPI into the first stage "},
    {"DPI切换到第二段", "DPI切換到第二段", "Switch DPI into the second stage "},
    {"DPI切换到第三段", "DPI切換到第三段", "Switch DPI into the third stage "},
    {"DPI切换到第四段", "DPI切換到第四段", "Switch DPI into the fourth stage "},
    {"切换到按键组1", "切換到按鍵群組1", "Switch to key matrix 1"},
    {"切换到按键组2", "切換到按鍵群組2", "Switch to key matrix 2"},
    {"切换到按键组3", "切換到按鍵群組3", "Switch to key matrix 3"},
    {"切换到按键组4", "切換到按鍵群組4", "Switch to key matrix 4"},
    {"切换到宏", "切換到巨集", "Switch to macro key"},
    {"退出", "退出", "Exit"},
    // 6. Device status.
    {"系统没有检测到游戏鼠标！", "系統沒有檢測到遊戲滑鼠！", "The system did not detect the gaming mouse!"},
    {"系统检测到游戏鼠标。", "系統檢測到遊戲滑鼠。", "The system detect the gaming mouse."},
    // 7. Advanced page.
    {"鼠标移动速度", "滑鼠移動速度", "Mouse Speed"},
    {"鼠标滚动速度", "滑鼠滾動速度", "Scrolling Speed"},
    {"鼠标双击速度", "滑鼠雙擊速度", "Double-Click Speed"},
    {"宏设置", "巨集設置", "Macro Setting"},
    {"选择宏", "選擇巨集", "Select Macro"},
    {"按键序列", "按鍵序列", "Key Press Sequence"},
    {"录制选项", "錄製選項", "Record Option"},
    {"提高指针准确度", "提高指針準確度", "Enhance Pointer Precision"},
    {"一次滚动一个屏幕", "一次滾動一個螢幕", "Scroll One Screen"},
    {"恢复默认", "恢復默認", "Default"},
    {"宏名称", "巨集名稱", "Macro Name"},
    {"开始录制", "開始錄製", "Start Recording"},
    {"停止录制", "停止錄製", "Stop Recording"},
    {"循环次数", "迴圈次數", "Loop Times"},
    {"插入一个鼠标事件", "插入一個滑鼠事件", "Insert A Mouse Event"},
    {"新建", "新建", "New"},
    {"删除", "刪除", "Delete"},
    {"确认", "確認", "Confirm"},
    {"宏名称为空", "巨集名稱為空", "Macro name is blank"},
    {"宏名称已经存在", "巨集名稱已經存在", "Macro name already exists"},
    {"按Ctrl+Break可以停止录制", "按Ctrl+Break可以停止錄製", "Press Ctrl+Break key to stop recording"},
    {"没有开始录制,点击停止录制按钮没有意义！", "沒有開始錄製，點擊停止錄製按鈕沒有意義！",
     "It doesn\u2019t start recording, unnecessary to press Stop key!"},
    // 8. The str.ini section of the language.
    kLabelSection,
}};

static_assert(static_cast<std::size_t>(UiString::SectionName) + 1 == kUiStringCount);

// Columns as above; rows in AccessString order.
constexpr std::array<LangText, static_cast<std::size_t>(AccessString::Count)> kAccessTable{{
    {"基本设置", "基本設置", "Basic settings"},
    {"高级设置", "高級設置", "Advanced settings"},
    {"皮肤", "皮膚", "Skin"},
    {"最小化", "最小化", "Minimise"},
    {"关闭", "關閉", "Close"},
    {"按键%1：%2", "按鍵%1：%2", "Button %1: %2"},
    {"%1数值", "%1數值", "%1 value"},
    {"%1滑块", "%1滑塊", "%1 bar"},
    {"循环颜色%1", "迴圈顏色%1", "Loop colour %1"},
    {"循环颜色%1，%2，%3", "迴圈顏色%1，%2，%3", "Loop colour %1, %2, %3"},
    {"按键%1", "按鍵%1", "Key %1"},
    {"修饰键", "修飾鍵", "Modifier"},
    {"文本颜色", "文本顏色", "Text colour"},
    {"开", "開", "on"},
    {"关", "關", "off"},
    {"红色", "紅色", "red"},
    {"橙色", "橙色", "orange"},
    {"黄色", "黃色", "yellow"},
    {"绿色", "綠色", "green"},
    {"青色", "青色", "cyan"},
    {"蓝色", "藍色", "blue"},
    {"紫色", "紫色", "purple"},
    {"粉色", "粉色", "pink"},
    {"白色", "白色", "white"},
    {"灰色", "灰色", "grey"},
    {"黑色", "黑色", "black"},
    {"%1 赫兹", "%1 赫茲", "%1 Hz"},
    {"%1 按下", "%1 按下", "%1 down"},
    {"%1 松开", "%1 放開", "%1 up"},
    {"暂停 %1 毫秒", "暫停 %1 毫秒", "pause of %1 milliseconds"},
    {"编辑暂停", "編輯暫停", "Edit pause"},
    {"删除此项", "刪除此項", "Delete entry"},
    {"%1 DPI", "%1 DPI", "%1 DPI"},
}};

} // namespace

const LangText& uiText(UiString id)
{
    return kUiTable[static_cast<std::size_t>(id)];
}

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
