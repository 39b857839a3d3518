// The macro section of the advanced page, everything but the drawing: the
// macro list, the event list, the name and loop fields, the insert face with
// its mouse-event list, and the commands New, Delete, Confirm, insert mouse
// event, edit pause and delete entry. The window shows what this model holds
// and routes clicks and field edits to it; varcelctl drives the same model.
//
// Edits of the event list live only here until "Confirm" saves them to
// record.ini and rebuilds the macro blocks of the image. The loop field
// writes straight into the image.
#pragma once

#include "device/config_image.h"
#include "lang/language.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

class MacroStore;
class Reporter;

class MacroPage {
public:
    static constexpr int kNone = -1;
    static constexpr int kLowestLoopCount = 1;
    static constexpr int kHighestLoopCount = 65535;
    static constexpr int kShortestEditedPause = 50;
    static constexpr int kLongestEditedPause = 10000;

    MacroPage(const MacroStore& store, ConfigImage& image, Language language, Reporter& reporter);

    // The delay dialog: returns its field's text when confirmed with OK,
    // nothing when cancelled. Unset counts as cancelled.
    std::function<std::optional<std::string>()> delayDialog;

    // Shows the page: the lists and fields are built anew from record.ini and
    // the image, which drops unsaved edits and unconfirmed new macros.
    void build();

    const std::vector<std::string>& macros() const { return m_macros; }
    int selectedMacro() const { return m_selectedMacro; }
    const std::vector<std::string>& events() const { return m_events; }
    int selectedEvent() const { return m_selectedEvent; }
    const std::string& nameText() const { return m_name; }
    const std::string& loopText() const { return m_loop; }
    const std::string& insertFace() const { return m_insertFace; }
    bool isMouseEventListOpen() const { return m_mouseListOpen; }
    int hoveredMouseEvent() const { return m_hoveredMouseEvent; }
    Language language() const { return m_language; }
    // A new macro not confirmed yet, or an event list that differs from the
    // one record.ini holds for the selected macro: a build() would drop them.
    bool hasUnconfirmedEdits() const { return !m_newMacros.empty() || m_events != m_storedEvents; }
    // The macro number the mouse knows the selected macro by, 1 to 12, or 0
    // when nothing is selected or it lies past the twelfth block.
    std::size_t selectedBlock() const;

    // A selection change in the macro list.
    void selectMacro(int index);
    // What the user typed into the name field; the field keeps at most 31
    // characters, like an edit box with that limit. Returns whether the whole
    // text was kept.
    bool setNameText(std::string_view text);
    // A change of the loop field's text: a value outside 1 to 65535 (an empty
    // field included) turns into "1" at once; the value goes into the block
    // of the selected macro.
    void setLoopText(std::string_view text);

    // "New": adds the name field's text to the macro list, unless it is blank,
    // twelve macros are listed, the name cannot be a section header, or the
    // name is taken in any letter case. Nothing is written yet. Returns
    // whether the macro was added.
    bool newMacro();
    // "Delete": removes the selected macro from the list and from record.ini.
    void deleteMacro();
    // "Confirm": saves the event list under the selected macro's name (which
    // makes it the last macro of record.ini) and rebuilds every macro block.
    // A list longer than the block is refused with a message. Returns whether
    // the macro was saved.
    bool confirm();

    // The insert face and its list of nine mouse events.
    void toggleMouseEventList();
    void hoverMouseEvent(int row);
    void closeMouseEventList();
    // Row 0 to 8 chosen in the mouse-event list: inserts it after the
    // selected entry, a click as a press and a release, keeping events and
    // pauses alternating.
    void insertMouseEvent(int row);

    // The entry under the pointer, or kNone.
    void selectEvent(int index);
    // A double-click in the event list: runs the delay dialog for a selected
    // pause and replaces it.
    void editPause();
    // The context menu's "Delete": removes the selected entry.
    void deleteEvent();

    // Recording fills the event list through these.
    void clearEvents();
    void appendEntry(std::string entry);

private:
    void report(const std::string& text, const char* caption) const;

    const MacroStore& m_store;
    ConfigImage& m_image;
    Language m_language;
    Reporter& m_reporter;

    std::vector<std::string> m_macros;
    int m_selectedMacro = kNone;
    std::vector<std::string> m_events;
    // The selected macro's list as record.ini holds it.
    std::vector<std::string> m_storedEvents;
    // Macros made by "New" and not confirmed yet.
    std::vector<std::string> m_newMacros;
    int m_selectedEvent = kNone;
    std::string m_name;
    std::string m_loop;
    std::string m_insertFace;
    bool m_mouseListOpen = false;
    int m_hoveredMouseEvent = kNone;
};

// Whether a name can be a section header of record.ini and read back the
// same: not blank, no "[", "]" or "=", no line break or other control
// character, no blank at either end (the reader trims it away).
bool isStorableMacroName(std::string_view name);

} // namespace varcel
