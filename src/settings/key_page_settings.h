// The key page's settings beside the buttons, each a row of the settings
// catalogue: the rate, the four DPI stages, and the lighting block (RGB
// effect, loop colours, DPI colour bits). Every control only changes the
// working image; the window draws what this model says and routes clicks to
// it, and varcelctl and the bus drive the same operations.
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
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace varcel {

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
// The stage 0 to 3 of a DPI stage list; -1 for the other lists.
int stageOfSettingsList(SettingsList list);

class KeyPageSettings {
public:
    // `sensorType` answers the sensor type of the last sensor record exchange
    // (0 before the first); the DPI lists follow it whenever it changes.
    KeyPageSettings(ConfigImage& image, Language language, std::function<std::uint8_t()> sensorType);

    Language language() const { return m_language; }
    std::uint8_t sensorType() const { return m_sensorType ? m_sensorType() : 0; }

    // ---- Any setting of the catalogue, by its id and instance ----------------

    // The values its list or positions offer, the DPI values the current sensor's.
    std::span<const SettingChoice> choices(SettingId id, int instance) const
    {
        return settingChoices(id, instance, sensorType());
    }
    unsigned code(SettingId id, int instance) const { return settingCode(m_image, id, instance); }
    // A flag or bit as its box shows it. A DPI stage counts as on for any byte
    // but 0, as the mouse takes it; a loop colour only for 1, as an apply
    // sends no other.
    bool isOn(SettingId id, int instance) const;
    // The stored code's row of the values; -1 for a code they lack (a foreign
    // config.bin), which the page keeps but never uses as an index.
    int row(SettingId id, int instance) const;
    // The stored value as its face shows it ("800", "Neon Mode", "2.5S");
    // empty for a code the list lacks, "Off Mode" for such a mode.
    const char* faceText(SettingId id, int instance) const;
    // Stores a code as the page's controls do, refused where they refuse (the
    // last enabled stage, the colour of a disabled loop colour, a code no list
    // holds). Returns whether it is stored, or already was.
    bool choose(SettingId id, int instance, unsigned code);
    // A row of the values, as a list row or a position is chosen.
    bool chooseRow(SettingId id, int instance, int row);
    // A box clicked: flips the flag or bit. Returns whether it changed.
    bool toggle(SettingId id, int instance) { return choose(id, instance, isOn(id, instance) ? 0 : 1); }
    // What a screen reader says of a setting: its name and its value as the
    // lists show it, in the page's language.
    std::string name(SettingId id, int instance) const { return settingName(id, instance, m_language); }
    std::string valueText(SettingId id, int instance) const
    {
        return settingValueText(m_image, id, instance, sensorType(), m_language);
    }
    // Row `row` of the values as valueText() would say it; empty past the list.
    std::string choiceText(SettingId id, int instance, int row) const;

    // ---- The instances the page shows -----------------------------------------

    // The parameter of the stored mode, each mode keeping its own; -1 while
    // the mode is outside the list (no parameter list then).
    int parameterInstance() const;
    // Bit `bit` of the DPI colour stage the page shows.
    int colourBitInstance(int bit) const { return m_colourStage * kDpiColourBitCount + bit; }
    // The DPI colour stage shown (kept in memory only, 0 at start).
    int colourStage() const { return m_colourStage; }
    bool chooseColourStage(int row);
    // Rows of the current DPI list: also the number of segments of every bar.
    int dpiRowCount() const { return static_cast<int>(choices(SettingId::DpiStageValue, 0).size()); }
    // Light segments of the stage's bar from the bottom: none while disabled,
    // all of them for a row past the list.
    int litSegments(int stage) const;

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
    // The setting a list chooses a value of, and its instance; nothing for
    // the colour stage list, which only picks the bits shown.
    std::optional<std::pair<SettingId, int>> listSetting(SettingsList list) const;

    ConfigImage& m_image;
    Language m_language;
    std::function<std::uint8_t()> m_sensorType;
    int m_colourStage = 0;
    SettingsList m_openList = SettingsList::None;
};

} // namespace varcel
