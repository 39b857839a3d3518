// The main window's UI string table: 74 strings in eight groups,
// assigned once at start-up for the language. Each row is named after its
// English text; the two "Default" rows differ (the key page's restores the
// buttons, the advanced page's the pointer settings).
#pragma once

#include "lang/language.h"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace varcel {

enum class UiString : std::uint8_t {
    // 1. Page tabs and window buttons.
    BasicSettings,
    AdvancedSettings,
    Ok,
    Apply,
    Cancel,
    // 2. Button function names (in this table's order, not in kind order:
    //    "Shift" comes after "DPI Switch") and their rule message.
    LeftClick,
    RightClick,
    MidClick,
    Forward,
    Backward,
    TripleClick,
    DpiSwitch,
    Shift,
    RgbOnOff,
    Windows,
    Multimedia,
    FireKey,
    SingleKey,
    ComboKey,
    MacroKey,
    KeyOff,
    LeftKeyMustBeSelected,
    // 3. Key page section titles.
    KeySetting,
    ReportRateSetting,
    DpiSetting,
    KeyDefault,             // "Default": restores the button functions
    // 4. Lighting page.
    RgbEffect,
    Mode,
    Parameter,
    LoopColorSetting,
    DpiSelfColorLedSetting, // the English text ends in a blank
    OffMode,
    StandardMode,
    RespirationMode,
    NeonMode,
    // 5. Balloon and tray texts.
    ReportRate1000,
    ReportRate500,
    ReportRate250,
    ReportRate125,
    DpiStage1,              // the English stage texts end in a blank
    DpiStage2,
    DpiStage3,
    DpiStage4,
    KeyMatrix1,
    KeyMatrix2,
    KeyMatrix3,
    KeyMatrix4,
    SwitchToMacroKey,
    Exit,
    // 6. Device status.
    MouseNotDetected,
    MouseDetected,
    // 7. Advanced page.
    MouseSpeed,
    ScrollingSpeed,
    DoubleClickSpeed,
    MacroSetting,
    SelectMacro,
    KeyPressSequence,
    RecordOption,
    EnhancePointerPrecision,
    ScrollOneScreen,
    PointerDefault,         // "Default": restores the pointer settings
    MacroName,
    StartRecording,
    StopRecording,
    LoopTimes,
    InsertAMouseEvent,
    New,
    Delete,
    Confirm,
    MacroNameIsBlank,
    MacroNameAlreadyExists,
    PressCtrlBreakToStop,
    NotRecording,           // "It doesn’t start recording, …" (typographic apostrophe)
    // 8. The str.ini section of the language.
    SectionName,
};
inline constexpr std::size_t kUiStringCount = 74;

// The row of the table.
const LangText& uiText(UiString id);
// The row's text in a language.
inline const char* uiString(Language language, UiString id) { return uiText(id)(language); }

// "assign UI strings": the 74 texts of one language, indexed by UiString.
using UiStringTable = std::array<const char*, kUiStringCount>;
UiStringTable assignUiStrings(Language language);

// The str.ini section that keeps the button labels of a language.
inline constexpr LangText kLabelSection{"Setting-CHS", "Setting-CHT", "Setting-EN"};
inline const char* labelSectionName(Language language) { return kLabelSection(language); }

// Names the window gives its elements for screen readers, where the element
// shows no text of its own or its text alone would not tell it apart. "%1",
// "%2" and "%3" stand for what fillIn() puts there. The settings' own names
// and values are the settings catalogue's.
enum class AccessString : std::uint8_t {
    BasicSettingsPage,
    AdvancedSettingsPage,
    SkinButton,
    MinimiseButton,
    CloseButton,
    ButtonBox,        // "Button %1: %2": a box's number and its label
    StageBar,         // "%1 bar": a DPI stage's bar
    LoopColourSwatch, // "Loop colour %1, %2, %3": number, colour, on or off
    KeyField,         // "Key %1": a key field of the combination dialog
    Modifier,         // its modifier list
    TextColour,       // the skin dialog's colour swatch
    Red,
    Orange,
    Yellow,
    Green,
    Cyan,
    Blue,
    Purple,
    Pink,
    White,
    Grey,
    Black,
    KeyDown,      // "%1 down": a recorded key press
    KeyUp,        // "%1 up": its release
    PauseEntry,   // "pause of %1 ms"
    EditPause,    // an event list row's actions
    DeleteEntry,
    Count
};
const char* accessString(Language language, AccessString id);
// The pattern with "%1", "%2", ... replaced by the arguments in order.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> args);

// The tray menu's named profiles and what their switches tell; "%s" is a
// profile's name.
namespace text {
inline constexpr LangText kProfiles{"配置文件", "設定檔", "Profiles"};
inline constexpr LangText kSaveAsNewProfile{"另存为新配置文件...", "另存為新設定檔...", "Save as new profile..."};
inline constexpr LangText kProfileNamePrompt{"新配置文件的名称：", "新設定檔的名稱：", "Name of the new profile:"};
inline constexpr LangText kSwitchedToProfile{"已切换到配置文件“%s”", "已切換到設定檔「%s」",
                                             "Switched to profile \"%s\""};
inline constexpr LangText kProfileSaved{"已保存配置文件“%s”", "已儲存設定檔「%s」", "Saved profile \"%s\""};
// A label or macro text of a hand-edited file with bytes that no encoding
// explains: a profile is JSON, which cannot hold them.
inline constexpr LangText kTextsNotUtf8Replaced{
    "有标签或宏文字含有既非 UTF-8 也非 GB18030 的字节，配置文件中以 U+FFFD（�）代替它们",
    "有標籤或巨集文字含有既非 UTF-8 也非 GB18030 的位元組，設定檔中以 U+FFFD（�）代替它們",
    "a label or macro text holds bytes that are neither UTF-8 nor GB18030; the profile holds U+FFFD (�) in their "
    "place"};
inline constexpr LangText kRuleProfileMissing{
    "前台应用程序的规则指定了配置文件“%s”，但它不存在：没有切换",
    "前景應用程式的規則指定了設定檔「%s」，但它不存在：沒有切換",
    "A rule for the application in front names profile \"%s\", which does not exist: nothing was switched"};
inline constexpr LangText kProfileSwitchWaits{
    "窗口中有未保存的更改：切换到配置文件“%s”将等待它们被应用或取消",
    "視窗中有未儲存的變更：切換到設定檔「%s」將等待它們被套用或取消",
    "The window holds unsaved changes: the switch to profile \"%s\" waits until they are applied or cancelled"};
} // namespace text

} // namespace varcel
