// The button function model of the key page: the drop-down
// function lists, the DPI option list, the two layers, the left-key and Shift
// rules, restore defaults and the labels. The window draws what this model
// holds and routes clicks to it; varcelctl drives the same operations.
//
// Parameter dialogs are callbacks: each runs its dialog and returns what a
// confirmed dialog gives back, or nothing when it was cancelled. A callback
// that is not set counts as cancelled.
#pragma once

#include "buttons/button_labels.h"
#include "device/config_image.h"
#include "lang/language.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace varcel {

class Reporter;

// What each parameter dialog gives back when it is confirmed.
struct ApplicationKeyChoice {
    int row = 0;          // 0 to 10
    std::string name;     // as the dialog showed it
};
struct MultimediaChoice {
    int row = 0;          // 0 to 6
    std::string name;
};
struct FireKeyChoice {
    int row = 0;          // 0 to 60
    std::string name;
    int speed = 32;       // 5 to 255
    int times = 1;        // 0 to 255
};
struct SingleKeyChoice {
    std::string keyName;  // may be empty
};
struct ComboKeyChoice {
    std::string modifier; // each may be empty
    std::string key1;
    std::string key2;
};
struct MacroKeyChoice {
    int macroNumber = 0;  // position in the macro list, 0 to 11
    int repeatMode = 1;   // the dialog's option, 1 to 3
    std::string macroName;
};

struct ParameterDialogs {
    std::function<std::optional<ApplicationKeyChoice>()> applicationKey;
    std::function<std::optional<MultimediaChoice>()> multimedia;
    std::function<std::optional<FireKeyChoice>()> fireKey;
    std::function<std::optional<SingleKeyChoice>()> singleKey;
    std::function<std::optional<ComboKeyChoice>()> comboKey;
    std::function<std::optional<MacroKeyChoice>()> macroKey;
};

// The function list's row text of a kind in a language (rows 0 to 15).
const char* functionName(Language language, FunctionKind kind);

class ButtonModel {
public:
    // Drop-down boxes of the key page, for slots 0 to 5.
    static constexpr std::size_t kBoxCount = 6;
    // The DPI option list is a 60 by 60 pixel list beside the "DPI Switch" row.
    static constexpr int kDpiListSize = 60;
    static constexpr int kDpiSwitchRow = static_cast<int>(FunctionKind::DpiSwitch);

    ButtonModel(ConfigImage& image, ButtonLabels& labels, Language language, Reporter& reporter);

    ParameterDialogs dialogs;

    Language language() const { return m_language; }
    // Image byte 0x7A8: 0 shows "Mode A"; any other value shows "Mode B".
    Layer shownLayer() const;
    FunctionKind kind(Layer layer, std::size_t slot) const;
    const std::string& label(Layer layer, std::size_t slot) const;
    // The label a drop-down box shows: its slot in the shown layer.
    const std::string& label(std::size_t slot) const { return label(shownLayer(), slot); }
    // The sixteen row texts of the function list, in kind order.
    std::array<const char*, kFunctionKindCount> functionRows() const;

    // Lists.
    std::optional<std::size_t> openSlot() const { return m_openSlot; }
    bool isOpen(std::size_t slot) const { return m_openSlot == slot; }
    bool isDpiListOpen() const { return m_dpiListOpen; }
    int selectedRow() const { return m_selectedRow; }       // -1 when none
    int selectedDpiRow() const { return m_selectedDpiRow; } // -1 when none

    // A click on drop-down box `slot`: closes its open list, or opens it
    // (closing any other) unless the left-key rule refuses, which shows
    // "Left key must be selected!". Returns whether the list is open after.
    // The page has boxes for slots 0 to 5; the rule and the lists work for
    // every slot 0 to 11.
    bool toggleFunctionList(std::size_t slot);
    // The pointer over row `row` of the open function list (-1: off the rows):
    // selects it, and opens the DPI option list on "DPI Switch", closes it elsewhere.
    void hoverFunctionRow(int row);
    // The pointer over a row of the DPI option list.
    void hoverDpiRow(int row);
    // A row chosen in the function list of `slot`. Rows 8 to 13 run their
    // parameter dialog first; a cancelled dialog changes nothing.
    void chooseFunction(std::size_t slot, int row);
    // A row (0 "DPI +", 1 "DPI -", 2 "DPI Loop") chosen in the open DPI option list.
    void chooseDpiOption(int row);
    // A click elsewhere on the key page.
    void closeLists();

    // "Mode A" (0) or "Mode B" (1).
    void showLayer(int layer);
    // The key-restore "Default": both layers, labels included; the shown layer stays.
    void restoreDefaults();
    // First display of the key page while the first-run flag is 0: the
    // default labels of slots 0 to 7 in both layers. The caller writes them
    // to str.ini at once; the image does not change.
    void setFirstRunLabels();

private:
    std::uint8_t& byte(Layer layer, img::LayerArray array, std::size_t slot);
    std::string& labelRef(Layer layer, std::size_t slot);
    bool leftKeyRuleRefuses(std::size_t slot) const;
    // Runs the dialog of kinds 8 to 13; on confirmation writes the parameters
    // and sets the label. Returns whether it was confirmed.
    bool runParameterDialog(Layer layer, std::size_t slot, FunctionKind kind);
    std::string functionText(FunctionKind kind) const { return functionName(m_language, kind); }
    // The label of slots 0 to 8 in the mouse's own settings.
    std::string defaultLabel(std::size_t slot) const;

    ConfigImage& m_image;
    ButtonLabels& m_labels;
    Language m_language;
    Reporter& m_reporter;

    std::optional<std::size_t> m_openSlot;
    bool m_dpiListOpen = false;
    int m_selectedRow = -1;
    int m_selectedDpiRow = -1;
};

} // namespace varcel
