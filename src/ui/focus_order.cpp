#include "ui/focus_order.h"

#include "control/main_controller.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/macro_entry.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace varcel::ui {

namespace {

std::vector<Element> keyPageOrder()
{
    std::vector<Element> order{Element::Page1Button, Element::Page2Button, Element::SkinButton, Element::MinimiseButton,
                               Element::CloseButton, Element::ModeA,       Element::ModeB};
    for (int box = 0; box < kDropdownBoxes; ++box)
        order.push_back(dropdownBox(box));
    order.push_back(Element::KeyDefault);
    for (int position = 0; position < kReportRatePositions; ++position)
        order.push_back(reportRateSegment(position));
    for (int stage = 0; stage < kDpiStages; ++stage) {
        order.push_back(dpiStageEnable(stage));
        order.push_back(dpiStageList(stage));
        order.push_back(dpiBarSegment(stage, 0));
    }
    order.push_back(Element::LightingMode);
    order.push_back(Element::LightingParameter);
    for (int colour = 0; colour < kLoopColours; ++colour) {
        order.push_back(loopColourEnable(colour));
        order.push_back(loopColourSwatch(colour));
    }
    order.push_back(Element::DpiColourStage);
    for (int bit = 0; bit < kDpiColourBits; ++bit)
        order.push_back(dpiColourBit(bit));
    order.insert(order.end(), {Element::Ok, Element::Apply, Element::Cancel});
    return order;
}

std::vector<Element> advancedPageOrder()
{
    return {Element::Page1Button,   Element::Page2Button,  Element::SkinButton,     Element::MinimiseButton,
            Element::CloseButton,   pointerSegment(0, 0),  pointerSegment(1, 0),    Element::OneScreenBox,
            pointerSegment(2, 0),   Element::PrecisionBox, Element::PointerDefault, Element::MacroList,
            Element::MacroNameEdit, Element::LoopEdit,     Element::StartRecording, Element::StopRecording,
            Element::MacroNew,      Element::MacroDelete,  Element::InsertFace,     Element::EventList,
            Element::MacroConfirm,  Element::Ok,           Element::Apply,          Element::Cancel};
}

std::string tr(Language language, UiString id) { return uiString(language, id); }
std::string tr(Language language, AccessString id) { return accessString(language, id); }

// Texts the English table ends with a blank, which a reader need not hear.
std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

std::optional<UiString> buttonText(Element e)
{
    switch (e) {
    case Element::Ok: return UiString::Ok;
    case Element::Apply: return UiString::Apply;
    case Element::Cancel: return UiString::Cancel;
    case Element::KeyDefault: return UiString::KeyDefault;
    case Element::PointerDefault: return UiString::PointerDefault;
    case Element::MacroNew: return UiString::New;
    case Element::MacroDelete: return UiString::Delete;
    case Element::MacroConfirm: return UiString::Confirm;
    case Element::StartRecording: return UiString::StartRecording;
    case Element::StopRecording: return UiString::StopRecording;
    default: return std::nullopt;
    }
}

namespace {

std::optional<AccessString> frameButton(Element e)
{
    switch (e) {
    case Element::Page1Button: return AccessString::BasicSettingsPage;
    case Element::Page2Button: return AccessString::AdvancedSettingsPage;
    case Element::SkinButton: return AccessString::SkinButton;
    case Element::MinimiseButton: return AccessString::MinimiseButton;
    case Element::CloseButton: return AccessString::CloseButton;
    default: return std::nullopt;
    }
}

PointerSlider sliderOf(int slider)
{
    return slider == 0 ? PointerSlider::Speed : slider == 1 ? PointerSlider::Lines : PointerSlider::DoubleClick;
}

// The settings' names and values are those of the settings catalogue, which
// show and the bus give too.
ElementInfo describeKeyPage(Element e, MainController& c, Language lang)
{
    using S = SettingId;
    ElementInfo info;
    KeyPageSettings& settings = c.settings();
    const auto check = [&](std::string name, bool on) {
        info.role = Role::CheckBox;
        info.name = std::move(name);
        info.checkable = true;
        info.checked = on;
    };
    // One position of a setting, named by its value.
    const auto position = [&](S id, int row, bool chosen, std::string group) {
        info.role = Role::RadioButton;
        info.name = settings.choiceText(id, 0, row);
        info.description = std::move(group);
        info.checkable = true;
        info.checked = chosen;
    };
    const auto face = [&](std::string name, std::string value, bool open) {
        info.role = Role::List;
        info.name = std::move(name);
        info.value = std::move(value);
        info.expandable = true;
        info.expanded = open;
    };
    if (e == Element::ModeA || e == Element::ModeB) {
        position(S::LayerShown, e == Element::ModeA ? 0 : 1,
                 (c.buttons().shownLayer() == Layer::A) == (e == Element::ModeA), settings.name(S::LayerShown, 0));
    } else if (inRange(e, Element::DropdownBox1, Element::DropdownBox6)) {
        const int box = indexIn(e, Element::DropdownBox1);
        const std::string label = c.buttons().label(static_cast<std::size_t>(box));
        face(fillIn(accessString(lang, AccessString::ButtonBox), {std::to_string(box + 1), label}), label,
             c.buttons().isOpen(static_cast<std::size_t>(box)));
    } else if (inRange(e, Element::ReportRate125, Element::ReportRate1000)) {
        const int row = indexIn(e, Element::ReportRate125);
        position(S::ReportRate, row, settings.reportRatePosition() == row, tr(lang, UiString::ReportRateSetting));
    } else if (inRange(e, Element::DpiStageEnable1, Element::DpiStageEnable4)) {
        const int stage = indexIn(e, Element::DpiStageEnable1);
        check(settings.name(S::DpiStageEnabled, stage), settings.stageEnabled(stage));
    } else if (inRange(e, Element::DpiStageList1, Element::DpiStageList4)) {
        const int stage = indexIn(e, Element::DpiStageList1);
        face(settings.name(S::DpiStageValue, stage), settings.valueText(S::DpiStageValue, stage),
             settings.isOpen(settingsListOfStage(stage)));
    } else if (isDpiBar(e)) {
        // The bar is read as the DPI it stands at, within the list's lowest
        // and highest DPI, as its list face says it.
        const int stage = dpiBarStage(e);
        const std::vector<const char*> rows = settings.dpiRows();
        info.role = Role::Slider;
        info.name = fillIn(accessString(lang, AccessString::StageBar), {settings.name(S::DpiStageEnabled, stage)});
        info.value = settings.valueText(S::DpiStageValue, stage);
        info.current = std::atoi(settings.stageValueText(stage));
        info.minimum = rows.empty() ? 0 : std::atoi(rows.front());
        info.maximum = rows.empty() ? 0 : std::atoi(rows.back());
    } else if (e == Element::LightingMode) {
        // A mode outside the list is read as the face shows it: "Off Mode".
        face(settings.name(S::RgbMode, 0), settings.rgbModeText(), settings.isOpen(SettingsList::RgbMode));
    } else if (e == Element::LightingParameter) {
        // Each mode keeps a parameter of its own; without a mode the list does not open.
        const int mode = settings.rgbMode() - 1;
        info.disabled = !settings.rgbModeValid();
        face(info.disabled ? tr(lang, UiString::Parameter) : settings.name(S::RgbParameter, mode),
             info.disabled ? "" : settings.valueText(S::RgbParameter, mode),
             settings.isOpen(SettingsList::RgbParameter));
    } else if (e == Element::DpiColourStage) {
        face(trimmed(tr(lang, UiString::DpiSelfColorLedSetting)),
             kDpiStageNames[static_cast<std::size_t>(settings.colourStage())],
             settings.isOpen(SettingsList::DpiColourStage));
    } else if (inRange(e, Element::LoopColourEnable1, Element::LoopColourEnable8)) {
        const int colour = indexIn(e, Element::LoopColourEnable1);
        check(settings.name(S::LoopColourEnabled, colour), settings.loopColourEnabled(colour));
    } else if (inRange(e, Element::LoopColourSwatch1, Element::LoopColourSwatch8)) {
        const int colour = indexIn(e, Element::LoopColourSwatch1);
        const bool on = settings.loopColourEnabled(colour);
        info.name = fillIn(accessString(lang, AccessString::LoopColourSwatch),
                           {std::to_string(colour + 1), colourName(lang, settings.loopColour(colour)),
                            settings.choiceText(S::LoopColourEnabled, colour, on ? 1 : 0)});
        // The chooser opens only for a colour that is on.
        info.disabled = !settings.canChooseLoopColour(colour);
    } else if (inRange(e, Element::DpiColourBit1, Element::DpiColourBit4)) {
        const int bit = indexIn(e, Element::DpiColourBit1);
        // The page draws one character; the reader says the colour.
        constexpr AccessString kBitColours[] = {AccessString::Red, AccessString::Green, AccessString::Blue,
                                                AccessString::White};
        check(tr(lang, kBitColours[bit]), settings.colourBit(bit));
        info.description = trimmed(tr(lang, UiString::DpiSelfColorLedSetting));
    }
    return info;
}

ElementInfo describeAdvancedPage(Element e, MainController& c, Language lang)
{
    using S = SettingId;
    ElementInfo info;
    PointerPage& pointer = c.pointer();
    MacroPage& macros = c.macroPage();
    if (e == Element::PrecisionBox || e == Element::OneScreenBox) {
        info.role = Role::CheckBox;
        info.name = c.settings().name(e == Element::PrecisionBox ? S::PointerPrecision : S::ScrollOneScreen, 0);
        info.checkable = true;
        info.checked = e == Element::PrecisionBox ? pointer.precision() : pointer.oneScreen();
    } else if (isPointerSlider(e)) {
        const int slider = pointerSliderIndex(e);
        const S sliders[] = {S::PointerSpeed, S::ScrollLines, S::DoubleClickStep};
        info.role = Role::Slider;
        info.name = c.settings().name(sliders[slider], 0);
        info.current = pointer.position(sliderOf(slider));
        info.value = std::to_string(info.current);
        info.minimum = 1;
        info.maximum = kPointerSteps;
    } else if (e == Element::MacroList || e == Element::EventList) {
        const bool macroList = e == Element::MacroList;
        const auto& rows = macroList ? macros.macros() : macros.events();
        const int selected = macroList ? macros.selectedMacro() : macros.selectedEvent();
        info.role = Role::List;
        info.name = tr(lang, macroList ? UiString::SelectMacro : UiString::KeyPressSequence);
        if (selected >= 0 && selected < static_cast<int>(rows.size()))
            info.value = macroList ? rows[static_cast<std::size_t>(selected)]
                                   : spokenEntry(rows[static_cast<std::size_t>(selected)], lang);
    } else if (e == Element::MacroNameEdit || e == Element::LoopEdit) {
        info.role = Role::TextField;
        info.name = tr(lang, e == Element::MacroNameEdit ? UiString::MacroName : UiString::LoopTimes);
        info.value = e == Element::MacroNameEdit ? macros.nameText() : macros.loopText();
    } else if (e == Element::InsertFace) {
        info.role = Role::List;
        info.name = tr(lang, UiString::InsertAMouseEvent);
        info.value = macros.insertFace();
        info.expandable = true;
        info.expanded = macros.isMouseEventListOpen();
    }
    return info;
}

} // namespace

bool isDpiBar(Element stop)
{
    return inRange(stop, Element::DpiBarSegmentFirst, Element::DpiBarSegmentLast) &&
           indexIn(stop, Element::DpiBarSegmentFirst) % kDpiBarSegments == 0;
}

bool isPointerSlider(Element stop)
{
    return inRange(stop, Element::PointerSegmentFirst, Element::PointerSegmentLast) &&
           indexIn(stop, Element::PointerSegmentFirst) % kPointerSteps == 0;
}

const std::vector<Element>& focusOrder(Page page)
{
    static const std::vector<Element> key = keyPageOrder();
    static const std::vector<Element> advanced = advancedPageOrder();
    static const std::vector<Element> none;
    return page == Page::Key ? key : page == Page::Advanced ? advanced : none;
}

Rect focusRect(Element stop, int dpiRows)
{
    Rect first = rect(stop);
    Rect last = first;
    if (isDpiBar(stop))
        last = rect(dpiBarSegment(dpiBarStage(stop), std::clamp(dpiRows, 1, kDpiBarSegments) - 1));
    else if (isPointerSlider(stop))
        last = rect(pointerSegment(pointerSliderIndex(stop), kPointerSteps - 1));
    const int x = std::min(first.x, last.x);
    const int y = std::min(first.y, last.y);
    return {x, y, std::max(first.right(), last.right()) - x, std::max(first.bottom(), last.bottom()) - y};
}

ElementInfo describe(Element e, MainController& c)
{
    const Language lang = c.language();
    if (const auto button = frameButton(e)) {
        ElementInfo info;
        info.name = tr(lang, *button);
        // The page buttons are the tabs of the two pages, the shown one selected.
        if (e == Element::Page1Button || e == Element::Page2Button) {
            info.role = Role::PageTab;
            info.selected = c.currentPage() == (e == Element::Page1Button ? Page::Key : Page::Advanced);
        }
        return info;
    }
    if (const auto button = buttonText(e)) {
        ElementInfo info;
        info.name = tr(lang, *button);
        // OK and Apply do nothing without the mouse.
        info.disabled = (e == Element::Ok || e == Element::Apply) && !c.session().ready();
        return info;
    }
    return pageOf(e) == Page::Key ? describeKeyPage(e, c, lang) : describeAdvancedPage(e, c, lang);
}

std::vector<Heading> headings(Page page, Language language)
{
    static constexpr std::pair<Caption, UiString> kKeyPage[] = {
        {Caption::KeySetting, UiString::KeySetting},
        {Caption::ReportRateSetting, UiString::ReportRateSetting},
        {Caption::DpiSetting, UiString::DpiSetting},
        {Caption::RgbEffect, UiString::RgbEffect},
        {Caption::LoopColorSetting, UiString::LoopColorSetting},
        {Caption::DpiSelfColorSetting, UiString::DpiSelfColorLedSetting},
    };
    std::vector<Heading> out;
    if (page == Page::None)
        return out;
    out.push_back({tr(language, page == Page::Key ? UiString::BasicSettings : UiString::AdvancedSettings),
                   caption(Caption::PageTitle).spot.rect});
    if (page == Page::Advanced) {
        out.push_back({text::kPointerSetting(language), caption(Caption::PointerSetting).spot.rect});
        out.push_back({tr(language, UiString::MacroSetting), caption(Caption::MacroSetting).spot.rect});
        return out;
    }
    for (const auto& [where, what] : kKeyPage)
        out.push_back({trimmed(tr(language, what)), caption(where).spot.rect});
    return out;
}

std::string spokenEntry(const std::string& entry, Language language)
{
    switch (classifyEntry(entry)) {
    case EntryKind::KeyPress: return fillIn(tr(language, AccessString::KeyDown), {entryKeyName(entry)});
    case EntryKind::KeyRelease: return fillIn(tr(language, AccessString::KeyUp), {entryKeyName(entry)});
    case EntryKind::Pause:
        return fillIn(tr(language, AccessString::PauseEntry), {std::to_string(pauseMilliseconds(entry))});
    case EntryKind::Other: break;
    }
    return entry;
}

int dpiBarRowOfValue(MainController& controller, int dpi)
{
    const std::vector<const char*> rows = controller.settings().dpiRows();
    int best = 0;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (std::abs(std::atoi(rows[row]) - dpi) < std::abs(std::atoi(rows[static_cast<std::size_t>(best)]) - dpi))
            best = static_cast<int>(row);
    return best + 1;
}

std::vector<DialogStop> dialogStops(Dialog dialog, bool withBackground)
{
    const DialogLayout& l = dialogLayout(dialog);
    std::vector<DialogStop> stops;
    const auto add = [&](DialogPart part, const Rect& r) {
        if (!r.empty())
            stops.push_back({part, r});
    };
    if (withBackground) {
        add(DialogPart::Face, l.face);
        for (const Rect& field : l.fields)
            add(DialogPart::Field, field);
        for (const Rect& option : l.options)
            add(DialogPart::Option, option);
        add(DialogPart::Swatch, l.swatch);
    }
    add(DialogPart::Ok, l.ok);
    add(DialogPart::Cancel, l.cancel);
    add(DialogPart::Close, l.close);
    return stops;
}

std::string dialogStopName(Dialog dialog, DialogPart part, int index, Language lang)
{
    switch (part) {
    case DialogPart::Ok: return text::kOk(lang);
    case DialogPart::Cancel: return text::kCancel(lang);
    case DialogPart::Close: return accessString(lang, AccessString::CloseButton);
    case DialogPart::Swatch: return accessString(lang, AccessString::TextColour);
    case DialogPart::Option: {
        const LangText* options[] = {&text::kMacroKeyOption1, &text::kMacroKeyOption2, &text::kMacroKeyOption3};
        return (*options[std::clamp(index, 0, 2)])(lang);
    }
    case DialogPart::Face:
    case DialogPart::Field: break;
    }
    switch (dialog) {
    case Dialog::SingleKey: return text::kSingleKeyPrompt(lang);
    case Dialog::ComboKey:
        return part == DialogPart::Face
                   ? accessString(lang, AccessString::Modifier)
                   : fillIn(accessString(lang, AccessString::KeyField), {std::to_string(index + 1)});
    case Dialog::MediaKey: return tr(lang, UiString::Multimedia);
    case Dialog::WindowsKey: return tr(lang, UiString::Windows);
    case Dialog::FireKey:
        if (part == DialogPart::Face)
            return tr(lang, UiString::FireKey);
        return index == 0 ? text::kFireKeySpeed(lang) : text::kFireKeyTimes(lang);
    case Dialog::DelayTime: return text::kDelayPrompt(lang);
    case Dialog::MacroKey: return text::kMacroKeyHeading(lang);
    case Dialog::Skins:
    case Dialog::Count: break;
    }
    return tr(lang, AccessString::SkinButton);
}

std::string colourName(Language language, const Rgb& colour)
{
    const int r = colour.r;
    const int g = colour.g;
    const int b = colour.b;
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    AccessString name = AccessString::Grey;
    if (high < 48) {
        name = AccessString::Black;
    } else if ((high - low) * 5 < high) {
        // Hardly any hue: white, grey or black by brightness.
        name = high > 200 ? AccessString::White : AccessString::Grey;
    } else {
        const int chroma = high - low;
        int hue = 0;
        if (high == r)
            hue = (60 * (g - b) / chroma + 360) % 360;
        else if (high == g)
            hue = 60 * (b - r) / chroma + 120;
        else
            hue = 60 * (r - g) / chroma + 240;
        constexpr std::pair<int, AccessString> kHues[] = {
            {15, AccessString::Red},     {45, AccessString::Orange}, {70, AccessString::Yellow},
            {160, AccessString::Green},  {195, AccessString::Cyan},  {255, AccessString::Blue},
            {290, AccessString::Purple}, {335, AccessString::Pink},  {360, AccessString::Red},
        };
        for (const auto& [upTo, which] : kHues) {
            if (hue < upTo) {
                name = which;
                break;
            }
        }
    }
    return accessString(language, name);
}

} // namespace varcel::ui
