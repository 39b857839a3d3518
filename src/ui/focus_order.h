// The window's elements as the keyboard and a screen reader meet them: the
// stops of the focus in reading order, and for each its role, name, state
// and value in the window's language. Everything comes from the layout table
// and the controller the drawing and the clicks use, so what is read out is
// what is drawn. Nothing here depends on Qt.
#pragma once

#include "lang/language.h"
#include "lang/ui_strings.h"
#include "settings/key_page_settings.h"
#include "ui/layout.h"

#include <optional>
#include <string>
#include <vector>

namespace varcel {
class MainController;
} // namespace varcel

namespace varcel::ui {

enum class Role { Button, CheckBox, RadioButton, List, ListItem, Slider, TextField, PageTab };

// A DPI bar and a pointer slider are one stop each, its first (bottom or
// leftmost) segment standing for the whole.
bool isDpiBar(Element stop);
bool isPointerSlider(Element stop);
inline int dpiBarStage(Element stop) { return indexIn(stop, Element::DpiBarSegmentFirst) / kDpiBarSegments; }
inline int pointerSliderIndex(Element stop) { return indexIn(stop, Element::PointerSegmentFirst) / kPointerSteps; }

// The page's stops in reading order: the page buttons and the frame's
// buttons along the top, the page's blocks from top left to bottom right,
// OK, Apply, Cancel last.
const std::vector<Element>& focusOrder(Page page);

// The area the focus mark surrounds: the element, or a bar's segments that
// are there (dpiRows of them).
Rect focusRect(Element stop, int dpiRows);

struct ElementInfo {
    Role role = Role::Button;
    std::string name;
    bool checkable = false;
    bool checked = false;
    bool disabled = false;
    bool selected = false;   // the page button of the page shown
    bool expandable = false; // a face that opens a list
    bool expanded = false;
    std::string value;       // what the element shows: a DPI, a mode, a position
    std::string description; // the group it belongs to, where its name alone does not say
    int current = 0;         // sliders: position (a bar: its DPI), with its bounds
    int minimum = 0;
    int maximum = 0;
    friend bool operator==(const ElementInfo&, const ElementInfo&) = default;
};

// The section headings of a page, in reading order, with where they are drawn.
struct Heading {
    std::string name;
    Rect rect;
};
std::vector<Heading> headings(Page page, Language language);

// A macro's entry as a screen reader says it: "R down", "pause of 50
// milliseconds"; a line a hand-edited file may hold as it is.
std::string spokenEntry(const std::string& entry, Language language);

// The DPI bar's row (1 up) that a value given as a DPI asks for: the
// nearest row of the current list.
int dpiBarRowOfValue(MainController& controller, int dpi);

// What an element of the key page shows and sets: an instance of a setting,
// and for a position or a DPI bar's segment the row of the values it stands
// for (-1: the element shows the stored value). The parameter face shows the
// stored mode's parameter, the colour bits the colour stage's.
struct ElementSetting {
    SettingId id = SettingId::Count;
    int instance = 0;
    int row = -1;
};
std::optional<ElementSetting> elementSetting(Element element, const KeyPageSettings& settings);
// The face a list of the key page opens from; Element::None for no list.
Element faceOf(SettingsList list);

// The text a text button carries (OK, Apply, the Defaults, the macro block's
// buttons).
std::optional<UiString> buttonText(Element element);

// The stop as the page shows it now, named in the controller's language.
ElementInfo describe(Element stop, MainController& controller);

// A small dialog's stops in reading order: its list face, its fields, its
// option boxes and its colour swatch where its layout has them, then OK,
// Cancel and the close button. A dialog without its background has only
// those three.
enum class DialogPart { Face, Field, Option, Swatch, Ok, Cancel, Close };
struct DialogStop {
    DialogPart part = DialogPart::Ok;
    Rect rect;
};
std::vector<DialogStop> dialogStops(Dialog dialog, bool withBackground);
// What a screen reader calls a dialog's stop: the text drawn beside or on
// it, else a name from the language tables. `index` counts the fields and
// the option boxes from 0.
std::string dialogStopName(Dialog dialog, DialogPart part, int index, Language language);

// A colour 0xRRGGBB by its everyday name in the language ("orange").
std::string colourName(Language language, unsigned colour);

} // namespace varcel::ui
