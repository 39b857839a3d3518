// The main window's layout: one table of every element's rectangle in window
// coordinates, the places where the window draws its texts, the small dialogs'
// sizes and parts, and the skin images with the size each one must have.
//
// Both the window's hit-testing and the skin art generator read this table, so
// what the user sees and where a click lands can never drift apart. Nothing
// here depends on Qt.
//
// Pages and elements:
//   common       skin, minimise and close buttons (top right), the page
//                buttons (top left), OK / Apply / Cancel (bottom right)
//   key page     Mode A / Mode B, key-restore Default, the six drop-down boxes
//                of button slots 0 to 5, report-rate segments, DPI stage
//                enable boxes and value faces, DPI bar segments, and the
//                lighting block (mode and parameter selectors, eight loop
//                colours with enable boxes, DPI colour stage selector and bits)
//   advanced     pointer block (two check boxes, Default, three 11-step
//                sliders) and macro block (five text buttons, two lists, two
//                edit fields, the mouse-event face)
//
// Drawing notes for the window:
//   - Text buttons (OK, Apply, Cancel, both Defaults, Mode A/B, the macro
//     block's buttons) are all kButtonWidth x kButtonHeight and use
//     "button-normal.png" / "button-over.png" with the text centred.
//   - The six slot boxes use "DropdownBox-normal.png" / "-over.png"; the slot
//     number goes in dropdownNumberRect(), the label in dropdownLabelRect().
//   - The lighting mode, lighting parameter and DPI colour stage selectors use
//     "DropdownBox.png"; their text goes in selectorTextRect().
//   - The DPI stage value faces, the macro block's lists, edit fields and the
//     mouse-event face are frames painted into the page background; to redraw a
//     face's text, copy the background's pixels of that rectangle back first.
//   - Loop colour swatches are filled with the stored colour over their whole
//     rectangle; the background frames them.
#pragma once

#include "control/page.h"

#include <array>
#include <span>
#include <string_view>

namespace varcel::ui {

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    constexpr bool contains(int px, int py) const
    {
        return px >= x && px < x + w && py >= y && py < y + h;
    }
    constexpr bool empty() const { return w <= 0 || h <= 0; }
    constexpr int right() const { return x + w; }
    constexpr int bottom() const { return y + h; }
    constexpr bool intersects(const Rect& o) const
    {
        return !empty() && !o.empty() && x < o.right() && o.x < right() && y < o.bottom() &&
               o.y < bottom();
    }
    constexpr bool containsRect(const Rect& o) const
    {
        return o.x >= x && o.y >= y && o.right() <= right() && o.bottom() <= bottom();
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr int kWindowWidth = 868;
inline constexpr int kWindowHeight = 630;
inline constexpr Rect kWindowRect{0, 0, kWindowWidth, kWindowHeight};

// Sizes shared by several elements (each is also the size of its image).
inline constexpr int kSmallButtonSize = 18;  // skin, minimise, close
inline constexpr int kPageButtonSize = 40;
inline constexpr int kButtonWidth = 105;     // every text button
inline constexpr int kButtonHeight = 21;
inline constexpr int kDropdownWidth = 216;   // a button slot's box
inline constexpr int kDropdownHeight = 28;
inline constexpr int kDropdownNumberWidth = 20;
inline constexpr int kSelectorWidth = 160;   // lighting and colour-stage selectors
inline constexpr int kSelectorHeight = 22;
inline constexpr int kCheckBoxSize = 16;
inline constexpr int kReportRateSegmentWidth = 92;
inline constexpr int kReportRateSegmentHeight = 14;
inline constexpr int kDpiSegmentWidth = 44;
inline constexpr int kDpiSegmentHeight = 12;
inline constexpr int kDpiSegmentPitch = 18;  // the mouse's DPI rows are this far apart
inline constexpr int kPointerSegmentWidth = 22;
inline constexpr int kPointerSegmentHeight = 12;
inline constexpr int kPointerSegmentPitch = 24;
inline constexpr int kListRowHeight = 18;    // rows of every drop-down list: the text fits with room
inline constexpr int kDpiOptionListSize = 60;

inline constexpr int kDropdownBoxes = 6;
inline constexpr int kReportRatePositions = 4;
inline constexpr int kDpiStages = 4;
inline constexpr int kDpiBarSegments = 12;   // the longest DPI value list
inline constexpr int kDpiShortList = 8;      // the other sensors' DPI value lists
inline constexpr int kLoopColours = 8;
inline constexpr int kDpiColourBits = 4;
inline constexpr int kPointerSliders = 3;
inline constexpr int kPointerSteps = 11;
inline constexpr int kFunctionRows = 16;

using varcel::Page;

// Every clickable element. Groups of numbered elements are consecutive; use
// the accessors below rather than arithmetic on the values.
enum class Element : int {
    None = -1,

    // Common to both pages, in the order a click is offered to them.
    Ok = 0,
    Apply,
    SkinButton,
    MinimiseButton,
    CloseButton,
    Page1Button,
    Page2Button,
    Cancel,

    // Key page, in the order a click is offered to them.
    ModeA,
    ModeB,
    KeyDefault,
    DropdownBox1,
    DropdownBox6 = DropdownBox1 + kDropdownBoxes - 1,
    ReportRate125,
    ReportRate250,
    ReportRate500,
    ReportRate1000,
    DpiStageEnable1,
    DpiStageEnable4 = DpiStageEnable1 + kDpiStages - 1,
    DpiStageList1,
    DpiStageList4 = DpiStageList1 + kDpiStages - 1,
    LightingMode,
    LightingParameter,
    LoopColourEnable1,
    LoopColourEnable8 = LoopColourEnable1 + kLoopColours - 1,
    LoopColourSwatch1,
    LoopColourSwatch8 = LoopColourSwatch1 + kLoopColours - 1,
    DpiColourStage,
    DpiColourBit1,
    DpiColourBit4 = DpiColourBit1 + kDpiColourBits - 1,
    // Stage 1 segments 1 (bottom) to 12, then stage 2, ...
    DpiBarSegmentFirst,
    DpiBarSegmentLast = DpiBarSegmentFirst + kDpiStages * kDpiBarSegments - 1,

    // Advanced page, in the order a click is offered to them.
    PrecisionBox,
    OneScreenBox,
    PointerDefault,
    MacroNew,
    MacroDelete,
    MacroConfirm,
    StartRecording,
    StopRecording,
    MacroList,
    EventList,
    MacroNameEdit,
    LoopEdit,
    InsertFace,
    // Mouse speed steps 1 to 11, then scroll lines, then double-click.
    PointerSegmentFirst,
    PointerSegmentLast = PointerSegmentFirst + kPointerSliders * kPointerSteps - 1,

    Count
};

inline constexpr int kElementCount = static_cast<int>(Element::Count);

// Numbered elements; indexes start at 0 (box 0 is the box labelled "1").
Element dropdownBox(int box);
Element reportRateSegment(int position);           // 0 "125" ... 3 "1000"
Element dpiStageEnable(int stage);
Element dpiStageList(int stage);
Element dpiBarSegment(int stage, int segment);     // segment 0 is the bottom one
Element loopColourEnable(int colour);
Element loopColourSwatch(int colour);
Element dpiColourBit(int bit);
Element pointerSegment(int slider, int step);      // slider 0 speed, 1 lines, 2 double-click
// Whether `e` is one of a group, and which of it from 0.
inline bool inRange(Element e, Element first, Element last)
{
    return static_cast<int>(e) >= static_cast<int>(first) && static_cast<int>(e) <= static_cast<int>(last);
}
inline int indexIn(Element e, Element first) { return static_cast<int>(e) - static_cast<int>(first); }

// The element's rectangle in window coordinates.
Rect rect(Element element);

// Page::None for the common elements.
Page pageOf(Element element);

// A readable name for messages and test output ("DropdownBox3").
std::string_view name(Element element);

// The first element of the common set or of the given page whose rectangle
// holds the point, in the order the window offers a click: OK, Apply, skin,
// minimise, close, the page buttons, Cancel, then the page's own elements
// (DPI bar segments last on the key page, slider segments last on the advanced
// page). DPI bar segments above dpiRows (the length of the mouse's DPI value
// list, 8 or 12) are not there and are not hit. Element::None when the point
// is on empty background.
Element hitTest(Page page, int x, int y, int dpiRows = kDpiBarSegments);

// Elements that change their look under the pointer: the eight common ones,
// on the key page its Default and the six drop-down boxes, on the advanced
// page its Default and the New, Delete and Confirm buttons.
bool isHoverable(Element element, Page page);

// ---- Texts the window draws ----------------------------------------------

enum class Align { Left, Centre, Right };

struct TextSpot {
    Rect rect;
    Align align = Align::Left;
};

enum class Caption {
    PageTitle,              // "Basic Settings" / "Advanced Settings", title font, white
    KeySetting,
    ReportRateSetting,
    DpiSetting,
    RgbEffect,
    LightingModeLabel,      // "Mode"
    LightingParameterLabel, // "Parameter"
    LoopColorSetting,
    DpiSelfColorSetting,
    MouseSpeed,
    ScrollingSpeed,
    DoubleClickSpeed,
    PrecisionLabel,         // "Enhance Pointer Precision", 10 pixels right of its box
    OneScreenLabel,         // "Scroll One Screen"
    MacroSetting,
    SelectMacro,
    KeyPressSequence,
    RecordOption,
    MacroName,
    LoopTimes,
    InsertMouseEvent,
    PointerSetting,         // the pointer block's heading, beside "Macro Setting"
    Count
};

// Where a caption goes and on which page (Page::None: both pages).
struct CaptionSpot {
    TextSpot spot;
    Page page = Page::None;
};
const CaptionSpot& caption(Caption which);

TextSpot dropdownNumberRect(int box);   // slot number, 20-pixel column
TextSpot dropdownLabelRect(int box);    // the slot's label
TextSpot reportRateLabel(int position); // "125" ... under its segment
TextSpot dpiScaleLabel(int row);        // the DPI value of row 0..11, beside the bars
TextSpot dpiStageCaption(int stage);    // right of the stage's enable box
TextSpot dpiStageValue(int stage);      // the stage's DPI value on its face
TextSpot selectorTextRect(Element selector); // LightingMode, LightingParameter, DpiColourStage
TextSpot dpiColourBitLabel(int bit);
TextSpot pointerStepLabel(int slider, int step); // "1" ... "11" under each step

// ---- Drop-down lists (child list boxes) ------------------------------------

Rect functionListRect(int box);         // under the box, 16 rows
Rect dpiOptionListRect(int box);        // beside the "DPI Switch" row of that box's list
Rect dpiStageListRect(int stage);       // under the stage's value face, 12 rows
Rect lightingModeListRect();
Rect lightingParameterListRect(int rows); // the current mode's 10, 5 or 30 rows
Rect dpiColourStageListRect();
Rect mouseEventListRect();              // under the mouse-event face

// The most rows a list shows at once; a longer one scrolls.
inline constexpr int kListRowsShown = 12;
// A list of `rows` rows opened from `face`: all of them up to
// kListRowsShown, under the face where they fit inside the window, else
// above it, so every row shown can be reached and none hides under the
// window's edge.
Rect listRectFor(const Rect& face, int rows);
// Where a text button's text goes: centred, clear of the button's ends.
TextSpot buttonTextSpot(const Rect& button);

// ---- Page art (used by the art generator) ----------------------------------

// The key page's background holds the DPI tracks and scale ticks of the
// eight-row lists; "slider-DPI-upper.png" adds rows 9 to 12 over this
// rectangle for the twelve-row list.
Rect dpiUpperRowsRect();
inline constexpr const char* kDpiUpperRowsImage = "slider-DPI-upper.png";
inline constexpr const char* kRadioImage = "radio.png";
inline constexpr const char* kRadioChosenImage = "radio-chosen.png";

// Raised panels of a page's background.
std::span<const Rect> panels(Page page);
// The header band across the top and the footer band holding OK / Cancel.
inline constexpr Rect kHeaderBand{0, 0, kWindowWidth, 62};
inline constexpr Rect kFooterBand{0, 584, kWindowWidth, kWindowHeight - 584};
// Where the mouse is drawn on the key page, and the spot on it of each
// configurable button (slots 0 to 5), joined by a line to its box.
inline constexpr Rect kMouseArea{22, 100, 150, 336};
Point mouseButtonSpot(int box);

// ---- Dialogs ---------------------------------------------------------------

enum class Dialog { SingleKey, ComboKey, MediaKey, WindowsKey, FireKey, DelayTime, MacroKey, Skins, Count };

// Every dialog has a header strip this high across its top, dark or saturated
// in every skin, so white text reads on it.
inline constexpr int kDialogHeaderHeight = 38;

// Dialog coordinates are relative to the dialog's top-left corner. An empty
// rectangle means the dialog has no such part.
struct DialogLayout {
    std::string_view image; // background file in the skin folder
    int width = 0;
    int height = 0;
    Rect ok;
    Rect cancel;
    Rect close;
    TextSpot title;    // the dialog's name, white on the header strip
    TextSpot prompt;   // prompt or heading; the skin dialog's colour prompt band
    TextSpot hint;     // second prompt line (delay range)
    Rect face;         // drop-down face: key list, macro list, modifier, skin name
    Rect list;         // the list opened under the face
    std::array<Rect, 2> fields{};   // edit fields: key name; key 1, key 2; speed, times; delay
    std::array<TextSpot, 2> fieldCaptions{}; // "Speed", "Times"; the combo dialog's "+" signs
    std::array<TextSpot, 3> columnCaptions{}; // the combo dialog's modifier, key 1 and key 2
    TextSpot unit;     // the unit after the delay field
    Rect note;         // the fire-key dialog's illustration frame
    std::array<Rect, 3> options{};  // macro repeat option boxes
    std::array<TextSpot, 3> optionTexts{};
    Rect swatch;       // the skin dialog's text-colour swatch
};
const DialogLayout& dialogLayout(Dialog dialog);

// ---- Skin images -----------------------------------------------------------

struct SkinImage {
    std::string_view file; // name inside the skin folder, without the leading "/"
    int width = 0;
    int height = 0;
};
// Every image a skin folder holds, with the size the layout draws it at.
std::span<const SkinImage> skinImages();

} // namespace varcel::ui
