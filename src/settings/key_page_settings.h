// The key page's settings beside the buttons: report rate, the four DPI
// stages, and the lighting block (RGB effect, loop colours, DPI colour bits).
// Every control only changes the working image; the window draws what this
// model says and routes clicks to it, and varcelctl drives the same
// operations. The texts of every list live here, so the window, varcelctl and
// the balloons show the same ones.
//
// A foreign config.bin may hold any byte anywhere. Rows at or past the end of
// their list are kept as they are (the page never converts a stored value),
// but they never index a table: such a DPI stage shows no value and a full
// bar, such a parameter shows no text, and an open list then has no row
// selected.
#pragma once

#include "device/config_image.h"
#include "lang/language.h"
#include "lang/ui_strings.h"
#include "settings/setting_catalogue.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace varcel {

// The values the lists hold (report rates, DPI values, effects and their
// parameters) come from the settings catalogue.

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// ---- The model ---------------------------------------------------------------

// The key page's list boxes besides the function lists. At most one is open.
enum class SettingsList : std::uint8_t {
    None,
    DpiStage1,
    DpiStage2,
    DpiStage3,
    DpiStage4,
    RgbMode,
    RgbParameter,
    DpiColourStage,
};
SettingsList settingsListOfStage(int stage); // 0 to 3
// The stage 0 to 3 of a DPI stage list; -1 for the other lists.
int stageOfSettingsList(SettingsList list);

class KeyPageSettings {
public:
    // `sensorType` answers the sensor type of the last sensor record exchange
    // (0 before the first); the DPI lists follow it whenever it changes.
    KeyPageSettings(ConfigImage& image, Language language, std::function<std::uint8_t()> sensorType);

    Language language() const { return m_language; }

    // Any setting of the catalogue by its code, as the page's controls set
    // it and refused where they refuse (the last enabled stage, the colour of
    // a disabled loop colour, a code no list holds). Returns whether it is
    // stored.
    bool choose(SettingId id, int instance, unsigned code);
    // What a screen reader says of a setting: its name and its value as the
    // lists show it, in the page's language.
    std::string name(SettingId id, int instance) const { return settingName(id, instance, m_language); }
    std::string valueText(SettingId id, int instance) const
    {
        return settingValueText(m_image, id, instance, sensorType(), m_language);
    }
    // Row `row` of the setting's values as valueText() would say it: one
    // position of the report rate or the layer; empty past the list.
    std::string choiceText(SettingId id, int instance, int row) const
    {
        const auto rows = settingChoices(id, instance, sensorType());
        return row >= 0 && static_cast<std::size_t>(row) < rows.size()
                   ? settingChoiceText(id, rows[static_cast<std::size_t>(row)], m_language)
                   : std::string();
    }

    // Report rate.
    int reportRatePosition() const;
    // Stores the position's code. Returns the position that was lit before
    // (-1 when none), so the page redraws just the two.
    int chooseReportRate(int position);

    // DPI stages 0 to 3.
    std::uint8_t sensorType() const { return m_sensorType ? m_sensorType() : 0; }
    // Rows of the current list: also the number of segments of every bar.
    int dpiRowCount() const;
    // The current sensor's DPI values as the lists show them ("250", "500", ...).
    std::vector<const char*> dpiRows() const;
    bool stageEnabled(int stage) const;
    // The stored row when it is in the current list, else -1.
    int stageRow(int stage) const;
    // The stage's value as its list shows it; empty for a row past the list.
    const char* stageValueText(int stage) const;
    // Light segments of the stage's bar from the bottom: none while disabled,
    // all of them for a row past the list.
    int litSegments(int stage) const;
    // The enable box: enables a disabled stage; disables an enabled one only
    // while one of the other seven stage flags (stages 5 to 8 count too) is
    // set. Returns whether the flag changed.
    bool toggleStage(int stage);
    // A row chosen in the stage's list, or segment `row` + 1 of its bar
    // clicked. Rows past the current list are refused. Returns whether the
    // row is stored (a disabled stage keeps the row for when it is enabled).
    bool chooseStageRow(int stage, int row);

    // RGB effect: the stored mode and the current mode's first parameter.
    int rgbMode() const;
    bool rgbModeValid() const { return rgbMode() >= 1 && rgbMode() <= kRgbModeCount; }
    const char* rgbModeText() const { return rgbModeName(m_language, rgbMode()); }
    // The current mode's stored parameter when it is in its list, else -1.
    int rgbParameterRow() const;
    const char* rgbParameterText() const;
    // A row of the mode list: stores row + 1; every mode keeps its own parameter.
    bool chooseRgbMode(int row);
    // A row of the parameter list, stored for the current mode. Refused while
    // the mode is outside 1 to 3 or the row past the mode's list.
    bool chooseRgbParameter(int row);

    // Loop colours 0 to 7.
    bool loopColourEnabled(int colour) const;
    Rgb loopColour(int colour) const;
    void toggleLoopColour(int colour);
    // Only an enabled colour opens the colour chooser.
    bool canChooseLoopColour(int colour) const { return loopColourEnabled(colour); }
    // The chooser's answer; refused for a disabled colour.
    bool setLoopColour(int colour, Rgb rgb);

    // DPI colour bits of the selected stage (kept in memory only, 0 at start).
    int colourStage() const { return m_colourStage; }
    bool chooseColourStage(int row);
    bool colourBit(int bit) const;
    void toggleColourBit(int bit);
    // The bits of any stage, for the command line.
    bool colourBit(int stage, int bit) const;

    // The list boxes. Opening one closes any other; the parameter list does
    // not open while the mode is outside 1 to 3 (it would have no rows).
    SettingsList openList() const { return m_openList; }
    bool isOpen(SettingsList list) const { return m_openList != SettingsList::None && m_openList == list; }
    // A click on the list's face: opens it, or closes it when it is open.
    // Returns whether it is open after.
    bool toggleList(SettingsList list);
    void closeList() { m_openList = SettingsList::None; }
    // The rows a list shows and the row selected when it opens (-1: none).
    std::vector<std::string> listRows(SettingsList list) const;
    int listCurrentRow(SettingsList list) const;
    // A row chosen in the open list: stored, and the list closes.
    bool chooseListRow(int row);

private:
    ConfigImage& m_image;
    Language m_language;
    std::function<std::uint8_t()> m_sensorType;
    int m_colourStage = 0;
    SettingsList m_openList = SettingsList::None;
};

} // namespace varcel
