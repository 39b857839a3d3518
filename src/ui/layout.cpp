#include "ui/layout.h"

#include "buttons/button_model.h"
#include "control/pointer_page.h"
#include "device/config_image.h"
#include "device/dpi_table.h"
#include "settings/key_page_settings.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace varcel::ui {

// The window draws and hit-tests as many of each as the core keeps.
static_assert(kDropdownBoxes == ButtonModel::kBoxCount);
static_assert(kFunctionRows == kFunctionKindCount);
static_assert(kDpiOptionListSize == ButtonModel::kDpiListSize);
static_assert(kReportRatePositions == kReportRates.size());
static_assert(kDpiStages == img::kDpiStages);
static_assert(kDpiBarSegments == kMaxDpiRows);
// Every sensor's list fills the whole bar or its eight lower rows.
static_assert([] {
    for (int type = 0; type <= 0xFF; ++type) {
        const auto rows = static_cast<int>(dpiRowCount(static_cast<std::uint8_t>(type)));
        if (rows != kDpiBarSegments && rows != kDpiShortList)
            return false;
    }
    return true;
}());
static_assert(kLoopColours == img::kLoopColourCount);
static_assert(kDpiColourBits == kDpiColourBitCount);
static_assert(kPointerSliders == static_cast<int>(PointerSlider::DoubleClick));
static_assert(kPointerSteps == kSliderSteps);

namespace {

constexpr int idx(Element e) { return static_cast<int>(e); }
constexpr Element at(Element first, int offset) { return static_cast<Element>(idx(first) + offset); }

// ---- Geometry ---------------------------------------------------------------
// The key page: the key block on the left, report rate and DPI on the right,
// lighting across the bottom. The advanced page: pointer block left, macro
// block right. Panels leave a 10-pixel margin to the window edge.

constexpr Rect kLeftPanel{10, 70, 410, 372};      // key block
constexpr Rect kRightPanel{430, 70, 428, 372};    // report rate and DPI
constexpr Rect kLightingPanel{10, 450, 848, 126};
constexpr Rect kPointerPanel{10, 70, 410, 506};
constexpr Rect kMacroPanel{430, 70, 428, 506};

constexpr int kBoxX = 188;
constexpr int kBoxTop = 142;
constexpr int kBoxPitch = 40;

constexpr int kReportRateX = 451;
constexpr int kReportRateY = 106;
constexpr int kReportRatePitch = 98;

constexpr int kDpiColumnX = 500;
constexpr int kDpiColumnPitch = 86;
constexpr int kDpiColumnWidth = 80;
constexpr int kDpiEnableY = 176;
constexpr int kDpiFaceY = 198;
constexpr int kDpiFaceHeight = 22;
constexpr int kDpiBottomSegmentY = 424;
constexpr int kDpiScaleX = 446;
constexpr int kDpiScaleWidth = 44;

constexpr int kLightingRow1 = 484;
constexpr int kLightingRow2 = 516;
constexpr int kLightingSelectorX = 106;
constexpr int kLoopX = 316;
constexpr int kLoopPitchX = 70;
constexpr int kLoopRowY = 482;
constexpr int kLoopPitchY = 36;
constexpr int kSwatchWidth = 40;
constexpr int kSwatchHeight = 26;
constexpr int kColourStageX = 620;
constexpr int kColourBitY = 522;
constexpr int kColourBitPitch = 56;

// As far into the pointer block as the macro block's texts are into theirs,
// under the block's heading.
constexpr int kSliderX = 26;
constexpr int kSliderY[kPointerSliders] = {134, 238, 376};

constexpr Rect button(int x, int y) { return {x, y, kButtonWidth, kButtonHeight}; }
constexpr Rect checkBox(int x, int y) { return {x, y, kCheckBoxSize, kCheckBoxSize}; }

constexpr Rect boxRect(int box) { return {kBoxX, kBoxTop + box * kBoxPitch, kDropdownWidth, kDropdownHeight}; }
constexpr int dpiColumnX(int stage) { return kDpiColumnX + stage * kDpiColumnPitch; }
constexpr Rect dpiSegmentRect(int stage, int segment)
{
    return {dpiColumnX(stage) + (kDpiColumnWidth - kDpiSegmentWidth) / 2,
            kDpiBottomSegmentY - segment * kDpiSegmentPitch, kDpiSegmentWidth, kDpiSegmentHeight};
}
constexpr Rect pointerSegmentRect(int slider, int step)
{
    return {kSliderX + step * kPointerSegmentPitch, kSliderY[slider], kPointerSegmentWidth,
            kPointerSegmentHeight};
}
constexpr Rect swatchRect(int colour)
{
    return {kLoopX + (colour % 4) * kLoopPitchX + 22, kLoopRowY + (colour / 4) * kLoopPitchY,
            kSwatchWidth, kSwatchHeight};
}

using RectTable = std::array<Rect, kElementCount>;

constexpr RectTable buildRects()
{
    RectTable r{};
    const int right = kWindowWidth - 10;

    r[idx(Element::CloseButton)] = {right - kSmallButtonSize, 14, kSmallButtonSize, kSmallButtonSize};
    r[idx(Element::MinimiseButton)] = {right - 2 * kSmallButtonSize - 8, 14, kSmallButtonSize, kSmallButtonSize};
    r[idx(Element::SkinButton)] = {right - 3 * kSmallButtonSize - 16, 14, kSmallButtonSize, kSmallButtonSize};
    r[idx(Element::Page1Button)] = {10, 11, kPageButtonSize, kPageButtonSize};
    r[idx(Element::Page2Button)] = {56, 11, kPageButtonSize, kPageButtonSize};
    r[idx(Element::Cancel)] = button(right - kButtonWidth, 596);
    r[idx(Element::Apply)] = button(right - 2 * kButtonWidth - 8, 596);
    r[idx(Element::Ok)] = button(right - 3 * kButtonWidth - 16, 596);

    // Key block.
    r[idx(Element::ModeA)] = button(kBoxX, 104);
    r[idx(Element::ModeB)] = button(kBoxX + kDropdownWidth - kButtonWidth, 104);
    r[idx(Element::KeyDefault)] = button(kBoxX + kDropdownWidth - kButtonWidth, 406);
    for (int b = 0; b < kDropdownBoxes; ++b)
        r[idx(Element::DropdownBox1) + b] = boxRect(b);

    // Report rate and DPI.
    for (int p = 0; p < kReportRatePositions; ++p)
        r[idx(Element::ReportRate125) + p] = {kReportRateX + p * kReportRatePitch, kReportRateY,
                                              kReportRateSegmentWidth, kReportRateSegmentHeight};
    for (int s = 0; s < kDpiStages; ++s) {
        r[idx(Element::DpiStageEnable1) + s] = checkBox(dpiColumnX(s), kDpiEnableY);
        r[idx(Element::DpiStageList1) + s] = {dpiColumnX(s), kDpiFaceY, kDpiColumnWidth, kDpiFaceHeight};
        for (int k = 0; k < kDpiBarSegments; ++k)
            r[idx(Element::DpiBarSegmentFirst) + s * kDpiBarSegments + k] = dpiSegmentRect(s, k);
    }

    // Lighting.
    r[idx(Element::LightingMode)] = {kLightingSelectorX, kLightingRow1, kSelectorWidth, kSelectorHeight};
    r[idx(Element::LightingParameter)] = {kLightingSelectorX, kLightingRow2, kSelectorWidth, kSelectorHeight};
    for (int c = 0; c < kLoopColours; ++c) {
        const Rect sw = swatchRect(c);
        r[idx(Element::LoopColourSwatch1) + c] = sw;
        r[idx(Element::LoopColourEnable1) + c] =
            checkBox(sw.x - 22, sw.y + (kSwatchHeight - kCheckBoxSize) / 2);
    }
    r[idx(Element::DpiColourStage)] = {kColourStageX, kLightingRow1, kSelectorWidth, kSelectorHeight};
    for (int b = 0; b < kDpiColourBits; ++b)
        r[idx(Element::DpiColourBit1) + b] = checkBox(kColourStageX + b * kColourBitPitch, kColourBitY);

    // Pointer block.
    r[idx(Element::OneScreenBox)] = checkBox(kSliderX, kSliderY[1] + 48);
    r[idx(Element::PrecisionBox)] = checkBox(kSliderX, kSliderY[2] + 74);
    r[idx(Element::PointerDefault)] = button(kSliderX, 520);
    for (int s = 0; s < kPointerSliders; ++s)
        for (int i = 0; i < kPointerSteps; ++i)
            r[idx(Element::PointerSegmentFirst) + s * kPointerSteps + i] = pointerSegmentRect(s, i);

    // Macro block: the macro list holds all twelve macros without scrolling.
    r[idx(Element::MacroList)] = {446, 124, 180, 218};
    r[idx(Element::MacroNameEdit)] = {446, 374, 180, 22};
    r[idx(Element::LoopEdit)] = {446, 426, 180, 22};
    r[idx(Element::InsertFace)] = {640, 124, 202, 22};
    r[idx(Element::EventList)] = {640, 178, 202, 270};
    r[idx(Element::StartRecording)] = button(446, 484);
    r[idx(Element::StopRecording)] = button(446 + kButtonWidth + 6, 484);
    r[idx(Element::MacroNew)] = button(446, 536);
    r[idx(Element::MacroDelete)] = button(446 + kButtonWidth + 6, 536);
    r[idx(Element::MacroConfirm)] = button(842 - kButtonWidth, 536);
    return r;
}

constexpr RectTable kRects = buildRects();

constexpr bool allPlaced()
{
    for (const Rect& r : kRects)
        if (r.empty())
            return false;
    return true;
}
static_assert(allPlaced(), "every element needs a rectangle");

constexpr Page pageOfIndex(int i)
{
    if (i < idx(Element::ModeA))
        return Page::None;
    if (i < idx(Element::PrecisionBox))
        return Page::Key;
    return Page::Advanced;
}

// ---- Names ------------------------------------------------------------------

struct NamedGroup {
    Element first;
    int count;
    std::string_view name;
};

constexpr NamedGroup kNames[] = {
    {Element::Ok, 1, "Ok"},
    {Element::Apply, 1, "Apply"},
    {Element::SkinButton, 1, "SkinButton"},
    {Element::MinimiseButton, 1, "MinimiseButton"},
    {Element::CloseButton, 1, "CloseButton"},
    {Element::Page1Button, 1, "Page1Button"},
    {Element::Page2Button, 1, "Page2Button"},
    {Element::Cancel, 1, "Cancel"},
    {Element::ModeA, 1, "ModeA"},
    {Element::ModeB, 1, "ModeB"},
    {Element::KeyDefault, 1, "KeyDefault"},
    {Element::DropdownBox1, kDropdownBoxes, "DropdownBox"},
    {Element::ReportRate125, 1, "ReportRate125"},
    {Element::ReportRate250, 1, "ReportRate250"},
    {Element::ReportRate500, 1, "ReportRate500"},
    {Element::ReportRate1000, 1, "ReportRate1000"},
    {Element::DpiStageEnable1, kDpiStages, "DpiStageEnable"},
    {Element::DpiStageList1, kDpiStages, "DpiStageList"},
    {Element::LightingMode, 1, "LightingMode"},
    {Element::LightingParameter, 1, "LightingParameter"},
    {Element::LoopColourEnable1, kLoopColours, "LoopColourEnable"},
    {Element::LoopColourSwatch1, kLoopColours, "LoopColourSwatch"},
    {Element::DpiColourStage, 1, "DpiColourStage"},
    {Element::DpiColourBit1, kDpiColourBits, "DpiColourBit"},
    {Element::DpiBarSegmentFirst, kDpiStages * kDpiBarSegments, "DpiBarSegment"},
    {Element::PrecisionBox, 1, "PrecisionBox"},
    {Element::OneScreenBox, 1, "OneScreenBox"},
    {Element::PointerDefault, 1, "PointerDefault"},
    {Element::MacroNew, 1, "MacroNew"},
    {Element::MacroDelete, 1, "MacroDelete"},
    {Element::MacroConfirm, 1, "MacroConfirm"},
    {Element::StartRecording, 1, "StartRecording"},
    {Element::StopRecording, 1, "StopRecording"},
    {Element::MacroList, 1, "MacroList"},
    {Element::EventList, 1, "EventList"},
    {Element::MacroNameEdit, 1, "MacroNameEdit"},
    {Element::LoopEdit, 1, "LoopEdit"},
    {Element::InsertFace, 1, "InsertFace"},
    {Element::PointerSegmentFirst, kPointerSliders * kPointerSteps, "PointerSegment"},
};

// Readable names of the numbered elements ("DropdownBox3", "DpiBarSegment2.7",
// "PointerSegment3.11").
std::array<std::string, kElementCount> elementNames()
{
    std::array<std::string, kElementCount> names;
    for (const NamedGroup& g : kNames) {
        for (int i = 0; i < g.count; ++i) {
            std::string& s = names[static_cast<std::size_t>(idx(g.first) + i)];
            s = g.name;
            if (g.first == Element::DpiBarSegmentFirst)
                s += std::to_string(i / kDpiBarSegments + 1) + "." + std::to_string(i % kDpiBarSegments + 1);
            else if (g.first == Element::PointerSegmentFirst)
                s += std::to_string(i / kPointerSteps + 1) + "." + std::to_string(i % kPointerSteps + 1);
            else if (g.count > 1)
                s += std::to_string(i + 1);
        }
    }
    return names;
}

// ---- Texts ------------------------------------------------------------------

constexpr std::array<CaptionSpot, static_cast<int>(Caption::Count)> kCaptions = {{
    {{{110, 11, 420, 40}, Align::Left}, Page::None},                 // PageTitle
    {{{26, 78, 300, 18}, Align::Left}, Page::Key},                   // KeySetting
    {{{446, 78, 300, 18}, Align::Left}, Page::Key},                  // ReportRateSetting
    {{{446, 148, 300, 18}, Align::Left}, Page::Key},                 // DpiSetting
    {{{26, 458, 260, 18}, Align::Left}, Page::Key},                  // RgbEffect
    {{{26, kLightingRow1, 76, kSelectorHeight}, Align::Left}, Page::Key},  // LightingModeLabel
    {{{26, kLightingRow2, 76, kSelectorHeight}, Align::Left}, Page::Key},  // LightingParameterLabel
    {{{kLoopX, 458, 270, 18}, Align::Left}, Page::Key},              // LoopColorSetting
    {{{kColourStageX, 458, 230, 18}, Align::Left}, Page::Key},       // DpiSelfColorSetting
    {{{kSliderX, kSliderY[0] - 30, 300, 18}, Align::Left}, Page::Advanced},  // MouseSpeed
    {{{kSliderX, kSliderY[1] - 30, 300, 18}, Align::Left}, Page::Advanced},  // ScrollingSpeed
    {{{kSliderX, kSliderY[2] - 30, 300, 18}, Align::Left}, Page::Advanced},  // DoubleClickSpeed
    {{{kSliderX + kCheckBoxSize + 10, kSliderY[2] + 74, 300, kCheckBoxSize}, Align::Left}, Page::Advanced},
    {{{kSliderX + kCheckBoxSize + 10, kSliderY[1] + 48, 300, kCheckBoxSize}, Align::Left}, Page::Advanced},
    {{{446, 78, 300, 18}, Align::Left}, Page::Advanced},             // MacroSetting
    {{{446, 104, 180, 18}, Align::Left}, Page::Advanced},            // SelectMacro
    {{{640, 158, 202, 18}, Align::Left}, Page::Advanced},            // KeyPressSequence
    {{{446, 462, 300, 18}, Align::Left}, Page::Advanced},            // RecordOption
    {{{446, 354, 180, 18}, Align::Left}, Page::Advanced},            // MacroName
    {{{446, 406, 180, 18}, Align::Left}, Page::Advanced},            // LoopTimes
    {{{640, 104, 202, 18}, Align::Left}, Page::Advanced},            // InsertMouseEvent
    {{{kSliderX, 78, 300, 18}, Align::Left}, Page::Advanced},        // PointerSetting
}};

constexpr Rect kKeyPanels[] = {kLeftPanel, kRightPanel, kLightingPanel};
constexpr Rect kAdvancedPanels[] = {kPointerPanel, kMacroPanel};

// ---- Dialogs ----------------------------------------------------------------

// The parts every dialog has: its image and size, close at the top right, the
// name on the header strip after the dialog's icon and clear of close, and OK
// and Cancel side by side, centred, at height buttonsY.
constexpr DialogLayout dialogFrame(std::string_view image, int width, int height, int buttonsY)
{
    DialogLayout d;
    d.image = image;
    d.width = width;
    d.height = height;
    d.close = {width - 10 - kSmallButtonSize, 10, kSmallButtonSize, kSmallButtonSize};
    d.title = {{38, 9, width - 38 - 36, 20}, Align::Left};
    d.ok = {width / 2 - kButtonWidth - 8, buttonsY, kButtonWidth, kButtonHeight};
    d.cancel = {width / 2 + 8, buttonsY, kButtonWidth, kButtonHeight};
    return d;
}

constexpr DialogLayout singleKeyDialog()
{
    DialogLayout d = dialogFrame("single-key.png", 320, 190, 148);
    d.prompt = {{20, 50, d.width - 40, 20}, Align::Centre};
    d.fields[0] = {60, 78, 200, 26};
    return d;
}

constexpr DialogLayout comboKeyDialog()
{
    DialogLayout d = dialogFrame("combo-key.png", 400, 262, 222);
    d.face = {20, 76, 120, 26};
    d.list = {20, 102, 120, 8 * kListRowHeight + 2};
    d.fields[0] = {162, 76, 100, 26};
    d.fields[1] = {284, 76, 96, 26};
    d.fieldCaptions[0] = {{140, 76, 22, 26}, Align::Centre};
    d.fieldCaptions[1] = {{262, 76, 22, 26}, Align::Centre};
    d.columnCaptions[0] = {{20, 52, 120, 20}, Align::Left};
    d.columnCaptions[1] = {{162, 52, 100, 20}, Align::Left};
    d.columnCaptions[2] = {{284, 52, 96, 20}, Align::Left};
    return d;
}

constexpr DialogLayout listDialog(std::string_view image, int rows)
{
    DialogLayout d = dialogFrame(image, 320, 220, 176);
    d.face = {50, 64, 220, 26};
    const int fit = (d.height - 4 - d.face.bottom() - 2) / kListRowHeight;
    d.list = {50, d.face.bottom(), 220, (rows < fit ? rows : fit) * kListRowHeight + 2};
    return d;
}

constexpr DialogLayout fireKeyDialog()
{
    DialogLayout d = dialogFrame("fire-key.png", 380, 330, 290);
    d.face = {80, 50, 220, 26};
    d.list = {80, 76, 220, 12 * kListRowHeight + 2};
    d.fieldCaptions[0] = {{60, 92, 110, 18}, Align::Centre};
    d.fieldCaptions[1] = {{210, 92, 110, 18}, Align::Centre};
    d.fields[0] = {60, 112, 110, 26};
    d.fields[1] = {210, 112, 110, 26};
    d.note = {20, 152, 340, 120};
    return d;
}

constexpr DialogLayout delayDialog()
{
    DialogLayout d = dialogFrame("delay-time.png", 300, 196, 154);
    d.prompt = {{20, 48, 260, 20}, Align::Centre};
    d.hint = {{20, 70, 260, 18}, Align::Centre};
    d.fields[0] = {90, 98, 120, 26};
    d.unit = {{214, 98, 40, 26}, Align::Left};
    return d;
}

constexpr DialogLayout macroKeyDialog()
{
    DialogLayout d = dialogFrame("macro-key.png", 500, 290, 248);
    d.prompt = {{24, 48, 452, 18}, Align::Left};
    d.face = {24, 68, 452, 26};
    d.list = {24, 94, 452, 8 * kListRowHeight + 2};
    // Room for the longest option on one line; a longer one wraps to two.
    for (int i = 0; i < 3; ++i) {
        d.options[i] = {30, 122 + i * 34, kCheckBoxSize, kCheckBoxSize};
        d.optionTexts[i] = {{30 + kCheckBoxSize + 10, 114 + i * 34, 424, 32}, Align::Left};
    }
    return d;
}

constexpr DialogLayout skinsDialog()
{
    DialogLayout d = dialogFrame("skins.png", 340, 230, 186);
    d.face = {50, 50, 240, 26};
    d.list = {50, 76, 240, 6 * kListRowHeight + 2};
    d.swatch = {80, 128, 180, 30};
    // The colour prompt sits in a band 30 pixels high above the swatch and
    // 30 pixels wider on each side.
    d.prompt = {{d.swatch.x - 30, d.swatch.y - 30, d.swatch.w + 60, 30}, Align::Centre};
    return d;
}

const std::array<DialogLayout, static_cast<int>(Dialog::Count)> kDialogs = {
    singleKeyDialog(),
    comboKeyDialog(),
    listDialog("media-key.png", 7),
    listDialog("windows-key.png", 11),
    fireKeyDialog(),
    delayDialog(),
    macroKeyDialog(),
    skinsDialog(),
};

// ---- Images -----------------------------------------------------------------

SkinImage dialogImage(Dialog d)
{
    const DialogLayout& l = kDialogs[static_cast<int>(d)];
    return {l.image, l.width, l.height};
}

// From the scale's ticks to the right of the last track, from above row 12's
// track down to where an eight-row track has rounded off, above row 8's tick.
constexpr Rect kDpiUpperRows = [] {
    const Rect top = dpiSegmentRect(0, kDpiBarSegments - 1);
    const Rect eighth = dpiSegmentRect(0, kDpiShortList - 1);
    const int left = kDpiScaleX + kDpiScaleWidth;
    const int right = dpiSegmentRect(kDpiStages - 1, 0).right() + 5;
    return Rect{left, top.y - 4, right - left, eighth.y + 4 - (top.y - 4)};
}();

const std::array<SkinImage, 38> kImages = {{
    {"main.png", kWindowWidth, kWindowHeight},
    {"BasicSet2.png", kWindowWidth, kWindowHeight},
    {"AdvancedSet2.png", kWindowWidth, kWindowHeight},
    {"button-min-normal.png", kSmallButtonSize, kSmallButtonSize},
    {"button-min-over.png", kSmallButtonSize, kSmallButtonSize},
    {"button-close-normal.png", kSmallButtonSize, kSmallButtonSize},
    {"button-close-over.png", kSmallButtonSize, kSmallButtonSize},
    {"button-Skins-normal.png", kSmallButtonSize, kSmallButtonSize},
    {"button-Skins-over.png", kSmallButtonSize, kSmallButtonSize},
    {"button-PrePage-normal.png", kPageButtonSize, kPageButtonSize},
    {"button-PrePage-over.png", kPageButtonSize, kPageButtonSize},
    {"button-NextPage-normal.png", kPageButtonSize, kPageButtonSize},
    {"button-NextPage-over.png", kPageButtonSize, kPageButtonSize},
    {"button-normal.png", kButtonWidth, kButtonHeight},
    {"button-over.png", kButtonWidth, kButtonHeight},
    {"DropdownBox-normal.png", kDropdownWidth, kDropdownHeight},
    {"DropdownBox-over.png", kDropdownWidth, kDropdownHeight},
    // Both spellings are asked for; on a case-sensitive file system both must exist.
    {"DropdownBox.png", kSelectorWidth, kSelectorHeight},
    {"dropdownbox.png", kSelectorWidth, kSelectorHeight},
    {"slider-RP-light.png", kReportRateSegmentWidth, kReportRateSegmentHeight},
    {"slider-RP-dark.png", kReportRateSegmentWidth, kReportRateSegmentHeight},
    {"slider-DPI-light.png", kDpiSegmentWidth, kDpiSegmentHeight},
    {"slider-DPI-dark.png", kDpiSegmentWidth, kDpiSegmentHeight},
    {"slider-light.png", kPointerSegmentWidth, kPointerSegmentHeight},
    {"slider-dark.png", kPointerSegmentWidth, kPointerSegmentHeight},
    {"Pane.png", kCheckBoxSize, kCheckBoxSize},
    {"PaneMakingTick.png", kCheckBoxSize, kCheckBoxSize},
    // One choice of several (the macro-key dialog's repeat options); a skin
    // without them shows the check boxes there.
    {kRadioImage, kCheckBoxSize, kCheckBoxSize},
    {kRadioChosenImage, kCheckBoxSize, kCheckBoxSize},
    {kDpiUpperRowsImage, kDpiUpperRows.w, kDpiUpperRows.h},
    dialogImage(Dialog::Skins),
    dialogImage(Dialog::SingleKey),
    dialogImage(Dialog::ComboKey),
    dialogImage(Dialog::MediaKey),
    dialogImage(Dialog::WindowsKey),
    dialogImage(Dialog::FireKey),
    dialogImage(Dialog::DelayTime),
    dialogImage(Dialog::MacroKey),
}};

Element checked(Element first, int index, int count)
{
    assert(index >= 0 && index < count);
    (void)count;
    return at(first, index);
}

} // namespace

Element dropdownBox(int box) { return checked(Element::DropdownBox1, box, kDropdownBoxes); }
Element reportRateSegment(int position) { return checked(Element::ReportRate125, position, kReportRatePositions); }
Element dpiStageEnable(int stage) { return checked(Element::DpiStageEnable1, stage, kDpiStages); }
Element dpiStageList(int stage) { return checked(Element::DpiStageList1, stage, kDpiStages); }
Element loopColourEnable(int colour) { return checked(Element::LoopColourEnable1, colour, kLoopColours); }
Element loopColourSwatch(int colour) { return checked(Element::LoopColourSwatch1, colour, kLoopColours); }
Element dpiColourBit(int bit) { return checked(Element::DpiColourBit1, bit, kDpiColourBits); }

Element dpiBarSegment(int stage, int segment)
{
    assert(stage >= 0 && stage < kDpiStages && segment >= 0 && segment < kDpiBarSegments);
    return at(Element::DpiBarSegmentFirst, stage * kDpiBarSegments + segment);
}

Element pointerSegment(int slider, int step)
{
    assert(slider >= 0 && slider < kPointerSliders && step >= 0 && step < kPointerSteps);
    return at(Element::PointerSegmentFirst, slider * kPointerSteps + step);
}

Rect rect(Element element)
{
    const int i = idx(element);
    if (i < 0 || i >= kElementCount)
        return {};
    return kRects[i];
}

Page pageOf(Element element)
{
    return pageOfIndex(idx(element));
}

std::string_view name(Element element)
{
    static const auto names = elementNames();
    const int i = idx(element);
    if (i < 0 || i >= kElementCount)
        return "None";
    return names[static_cast<std::size_t>(i)];
}

Element hitTest(Page page, int x, int y, int dpiRows)
{
    // The table is in offering order: the common elements first, then each
    // page's own, so the first hit of the current page's range wins.
    for (int i = 0; i < idx(Element::ModeA); ++i)
        if (kRects[i].contains(x, y))
            return static_cast<Element>(i);

    int first = 0;
    int last = -1;
    if (page == Page::Key) {
        first = idx(Element::ModeA);
        last = idx(Element::DpiBarSegmentLast);
    } else if (page == Page::Advanced) {
        first = idx(Element::PrecisionBox);
        last = idx(Element::PointerSegmentLast);
    }
    for (int i = first; i <= last; ++i) {
        if (!kRects[i].contains(x, y))
            continue;
        if (i >= idx(Element::DpiBarSegmentFirst) && i <= idx(Element::DpiBarSegmentLast) &&
            (i - idx(Element::DpiBarSegmentFirst)) % kDpiBarSegments >= dpiRows)
            continue;
        return static_cast<Element>(i);
    }
    return Element::None;
}

bool isHoverable(Element element, Page page)
{
    const int i = idx(element);
    if (i >= 0 && i < idx(Element::ModeA))
        return true;
    if (page == Page::Key)
        return element == Element::KeyDefault ||
               (i >= idx(Element::DropdownBox1) && i <= idx(Element::DropdownBox6));
    if (page == Page::Advanced)
        return element == Element::PointerDefault || element == Element::MacroNew ||
               element == Element::MacroDelete || element == Element::MacroConfirm;
    return false;
}

const CaptionSpot& caption(Caption which)
{
    return kCaptions[static_cast<int>(which)];
}

TextSpot dropdownNumberRect(int box)
{
    const Rect b = boxRect(box);
    return {{b.x, b.y, kDropdownNumberWidth, b.h}, Align::Centre};
}

TextSpot dropdownLabelRect(int box)
{
    const Rect b = boxRect(box);
    // Clear of the number column on the left and the arrow on the right.
    return {{b.x + kDropdownNumberWidth + 6, b.y, b.w - kDropdownNumberWidth - 6 - 26, b.h}, Align::Left};
}

TextSpot reportRateLabel(int position)
{
    const Rect s = rect(reportRateSegment(position));
    return {{s.x, s.bottom() + 4, s.w, 16}, Align::Centre};
}

TextSpot dpiScaleLabel(int row)
{
    assert(row >= 0 && row < kDpiBarSegments);
    const Rect s = dpiSegmentRect(0, row);
    return {{kDpiScaleX, s.y + s.h / 2 - 8, kDpiScaleWidth, 16}, Align::Right};
}

TextSpot dpiStageCaption(int stage)
{
    const Rect box = rect(dpiStageEnable(stage));
    const int x = box.right() + 6;
    return {{x, box.y, dpiColumnX(stage) + kDpiColumnWidth - x, box.h}, Align::Left};
}

TextSpot dpiStageValue(int stage)
{
    const Rect f = rect(dpiStageList(stage));
    return {{f.x + 4, f.y, f.w - 4 - 18, f.h}, Align::Centre};
}

TextSpot selectorTextRect(Element selector)
{
    const Rect s = rect(selector);
    return {{s.x + 8, s.y, s.w - 8 - 22, s.h}, Align::Left};
}

TextSpot dpiColourBitLabel(int bit)
{
    const Rect box = rect(dpiColourBit(bit));
    return {{box.right() + 6, box.y, kColourBitPitch - kCheckBoxSize - 10, box.h}, Align::Left};
}

TextSpot pointerStepLabel(int slider, int step)
{
    const Rect s = pointerSegmentRect(slider, step);
    return {{s.x + s.w / 2 - kPointerSegmentPitch / 2, s.bottom() + 3, kPointerSegmentPitch, 14}, Align::Centre};
}

Rect functionListRect(int box)
{
    const Rect b = boxRect(box);
    const int h = kFunctionRows * kListRowHeight + 2;
    // Under the box where the window has room, else above it.
    if (b.bottom() + h <= kWindowHeight)
        return {b.x, b.bottom(), b.w, h};
    return {b.x, b.y - h, b.w, h};
}

Rect dpiOptionListRect(int box)
{
    // Row 6 is "DPI Switch"; the option list starts at its right end.
    const Rect l = functionListRect(box);
    return {l.right(), l.y + 1 + 6 * kListRowHeight, kDpiOptionListSize, kDpiOptionListSize};
}

Rect dpiStageListRect(int stage)
{
    return listRectFor(rect(dpiStageList(stage)), kDpiBarSegments);
}

Rect listRectFor(const Rect& face, int rows)
{
    const int h = std::min(rows, kListRowsShown) * kListRowHeight + 2;
    if (face.bottom() + h <= kWindowHeight)
        return {face.x, face.bottom(), face.w, h};
    return {face.x, face.y - h, face.w, h};
}

TextSpot buttonTextSpot(const Rect& button) { return {{button.x + 8, button.y, button.w - 16, button.h}, Align::Centre}; }

Rect lightingModeListRect() { return listRectFor(rect(Element::LightingMode), 3); }

Rect lightingParameterListRect(int rows) { return listRectFor(rect(Element::LightingParameter), rows); }

Rect dpiColourStageListRect() { return listRectFor(rect(Element::DpiColourStage), kDpiStages); }

Rect mouseEventListRect()
{
    const Rect f = rect(Element::InsertFace);
    return {f.x, f.bottom(), f.w, 9 * kListRowHeight + 2};
}

Rect dpiUpperRowsRect() { return kDpiUpperRows; }

std::span<const Rect> panels(Page page)
{
    if (page == Page::Key)
        return kKeyPanels;
    if (page == Page::Advanced)
        return kAdvancedPanels;
    return {};
}

Point mouseButtonSpot(int box)
{
    // Left and right buttons, wheel, the DPI button behind it, then the two
    // thumb buttons on the left flank.
    constexpr Point kSpots[kDropdownBoxes] = {
        {72, 172}, {124, 172}, {98, 168}, {34, 272}, {34, 310}, {98, 216},
    };
    assert(box >= 0 && box < kDropdownBoxes);
    return kSpots[box];
}

const DialogLayout& dialogLayout(Dialog dialog)
{
    return kDialogs[static_cast<int>(dialog)];
}

std::span<const SkinImage> skinImages()
{
    return kImages;
}

} // namespace varcel::ui
