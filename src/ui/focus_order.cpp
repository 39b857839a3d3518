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
    const auto face = [&](std::string name, std::string value, bool open) {
        info.role = Role::List;
        info.name = std::move(name);
        info.value = std::move(value);
        info.expandable = true;
        info.expanded = open;
    };
    if (e == Element::ModeA || e == Element::ModeB) {
        // One position of a setting, named by its value.
        info.role = Role::RadioButton;
        info.name = settings.choiceText(S::LayerShown, 0, e == Element::ModeA ? 0 : 1);
        info.description = settings.name(S::LayerShown, 0);
        info.checkable = true;
        info.checked = (c.buttons().shownLayer() == Layer::A) == (e == Element::ModeA);
        return info;
    }
    if (inRange(e, Element::DropdownBox1, Element::DropdownBox6)) {
        const int box = indexIn(e, Element::DropdownBox1);
        const std::string label = c.buttons().label(static_cast<std::size_t>(box));
        face(fillIn(accessString(lang, AccessString::ButtonBox), {std::to_string(box + 1), label}), label,
             c.buttons().isOpen(static_cast<std::size_t>(box)));
        return info;
    }
    const bool open = faceOf(settings.openList()) == e;
    if (e == Element::DpiColourStage) {
        face(trimmed(tr(lang, UiString::DpiSelfColorLedSetting)),
             kDpiStageNames[static_cast<std::size_t>(settings.colourStage())], open);
        return info;
    }
    const auto shown = elementSetting(e, settings);
    if (!shown)
        return info;
    const S id = shown->id;
    const int instance = shown->instance;
    const SettingForm form = setting(id).form;
    if (isDpiBar(e)) {
        // The bar is read as the DPI it stands at, within the list's lowest
        // and highest DPI, as its list face says it.
        const auto rows = settings.choices(id, instance);
        const int row = settings.row(id, instance);
        info.role = Role::Slider;
        info.name = fillIn(accessString(lang, AccessString::StageBar), {settings.name(S::DpiStageEnabled, instance)});
        info.value = settings.valueText(id, instance);
        info.current = row < 0 ? 0 : static_cast<int>(rows[static_cast<std::size_t>(row)].value);
        info.minimum = rows.empty() ? 0 : static_cast<int>(rows.front().value);
        info.maximum = rows.empty() ? 0 : static_cast<int>(rows.back().value);
    } else if (shown->row >= 0) {
        // One position of the setting, named by its value, in the setting's group.
        info.role = Role::RadioButton;
        info.name = settings.choiceText(id, instance, shown->row);
        info.description = tr(lang, UiString::ReportRateSetting);
        info.checkable = true;
        info.checked = settings.row(id, instance) == shown->row;
    } else if (form == SettingForm::Flag || form == SettingForm::Bit) {
        info.role = Role::CheckBox;
        info.name = settings.name(id, instance);
        info.checkable = true;
        info.checked = settings.isOn(id, instance);
        if (id == S::DpiColourBit) {
            // The page draws one character; the reader says the colour.
            constexpr AccessString kBitColours[] = {AccessString::Red, AccessString::Green, AccessString::Blue,
                                                    AccessString::White};
            info.name = tr(lang, kBitColours[indexIn(e, Element::DpiColourBit1)]);
            info.description = trimmed(tr(lang, UiString::DpiSelfColorLedSetting));
        }
    } else if (form == SettingForm::Colour) {
        const bool on = settings.isOn(S::LoopColourEnabled, instance);
        info.name = fillIn(accessString(lang, AccessString::LoopColourSwatch),
                           {std::to_string(instance + 1), colourName(lang, settings.code(id, instance)),
                            settings.choiceText(S::LoopColourEnabled, instance, on ? 1 : 0)});
        // The chooser opens only for a colour that is on.
        info.disabled = !on;
    } else {
        // A mode outside the list is read as the face shows it: "Off Mode".
        // Each mode keeps a parameter of its own; without a mode its list does not open.
        info.disabled = instance < 0;
        face(info.disabled ? tr(lang, UiString::Parameter) : settings.name(id, instance),
             id == S::RgbMode ? settings.faceText(id, instance) : settings.valueText(id, instance), open);
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

Element faceOf(SettingsList list)
{
    const int stage = stageOfSettingsList(list);
    return stage >= 0                             ? dpiStageList(stage)
           : list == SettingsList::RgbMode        ? Element::LightingMode
           : list == SettingsList::RgbParameter   ? Element::LightingParameter
           : list == SettingsList::DpiColourStage ? Element::DpiColourStage
                                                  : Element::None;
}

std::optional<ElementSetting> elementSetting(Element e, const KeyPageSettings& settings)
{
    using S = SettingId;
    struct Group {
        Element first;
        Element last;
        S id;
    };
    // Each element of a group stands for one instance, or for one row of the
    // values where the group is a setting's positions or a bar's segments.
    static constexpr Group kGroups[] = {
        {Element::ReportRate125, Element::ReportRate1000, S::ReportRate},
        {Element::DpiStageEnable1, Element::DpiStageEnable4, S::DpiStageEnabled},
        {Element::DpiStageList1, Element::DpiStageList4, S::DpiStageValue},
        {Element::LightingMode, Element::LightingMode, S::RgbMode},
        {Element::LightingParameter, Element::LightingParameter, S::RgbParameter},
        {Element::LoopColourEnable1, Element::LoopColourEnable8, S::LoopColourEnabled},
        {Element::LoopColourSwatch1, Element::LoopColourSwatch8, S::LoopColour},
        {Element::DpiColourBit1, Element::DpiColourBit4, S::DpiColourBit},
        {Element::DpiBarSegmentFirst, Element::DpiBarSegmentLast, S::DpiStageValue},
    };
    for (const Group& group : kGroups) {
        if (!inRange(e, group.first, group.last))
            continue;
        const int index = indexIn(e, group.first);
        if (group.first == Element::DpiBarSegmentFirst)
            return ElementSetting{group.id, index / kDpiBarSegments, index % kDpiBarSegments};
        if (group.id == S::RgbParameter)
            return ElementSetting{group.id, settings.parameterInstance()};
        if (group.id == S::DpiColourBit)
            return ElementSetting{group.id, settings.colourBitInstance(index)};
        return group.first == Element::ReportRate125 ? ElementSetting{group.id, 0, index}
                                                     : ElementSetting{group.id, index};
    }
    return std::nullopt;
}

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
    const auto rows = controller.settings().choices(SettingId::DpiStageValue, 0);
    const auto away = [dpi](const SettingChoice& row) { return std::abs(static_cast<int>(row.value) - dpi); };
    int best = 0;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (away(rows[row]) < away(rows[static_cast<std::size_t>(best)]))
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

std::string colourName(Language language, unsigned colour)
{
    const int r = static_cast<int>(colour >> 16 & 0xFF);
    const int g = static_cast<int>(colour >> 8 & 0xFF);
    const int b = static_cast<int>(colour & 0xFF);
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
