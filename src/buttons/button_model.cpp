#include "buttons/button_model.h"

#include "buttons/dialog_models.h"
#include "keys/key_tables.h"
#include "platform/reporter.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

namespace varcel {

using img::LayerArray;

namespace {

// The function list's rows in kind order; the UI string table holds them in
// its own order ("Shift" after "DPI Switch").
constexpr std::array<UiString, kFunctionKindCount> kFunctionRows{
    UiString::LeftClick, UiString::RightClick, UiString::MidClick, UiString::Forward,
    UiString::Backward,  UiString::TripleClick, UiString::DpiSwitch, UiString::RgbOnOff,
    UiString::Windows,   UiString::Multimedia, UiString::FireKey,   UiString::SingleKey,
    UiString::ComboKey,  UiString::MacroKey,   UiString::Shift,     UiString::KeyOff,
};

constexpr int kShiftRow = static_cast<int>(FunctionKind::Shift);
// The mouse acts on the Shift function only in the slots it is sent.
constexpr std::size_t kShiftRuleSlots = kSentButtonSlots;

// "Default": kinds of slots 0 to 8 in both layers.
constexpr std::array<FunctionKind, 9> kDefaultKinds{
    FunctionKind::LeftClick, FunctionKind::RightClick, FunctionKind::MidClick,
    FunctionKind::Forward,   FunctionKind::Backward,   FunctionKind::DpiSwitch,
    FunctionKind::KeyOff,    FunctionKind::KeyOff,     FunctionKind::KeyOff,
};
constexpr std::size_t kDefaultDpiSlot = 5;

constexpr Layer otherLayer(Layer layer) { return layer == Layer::A ? Layer::B : Layer::A; }

std::uint8_t lowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// A parameter dialog's answer; nothing when the window gave no dialog.
template <typename Choice>
std::optional<Choice> ask(const std::function<std::optional<Choice>()>& dialog)
{
    return dialog ? dialog() : std::nullopt;
}

} // namespace

const char* functionName(Language language, FunctionKind kind)
{
    const auto index = static_cast<std::size_t>(kind);
    if (index >= kFunctionRows.size())
        return "";
    return uiString(language, kFunctionRows[index]);
}

ButtonModel::ButtonModel(ConfigImage& image, ButtonLabels& labels, Language language, Reporter& reporter)
    : m_image(image), m_labels(labels), m_language(language), m_reporter(reporter)
{
}

Layer ButtonModel::shownLayer() const
{
    return m_image[img::kLayerShown] == 0 ? Layer::A : Layer::B;
}

FunctionKind ButtonModel::kind(Layer layer, std::size_t slot) const
{
    return static_cast<FunctionKind>(m_image[img::at(layer, LayerArray::Kind, slot)]);
}

const std::string& ButtonModel::label(Layer layer, std::size_t slot) const
{
    return m_labels[labelIndex(layer, slot)];
}

std::array<const char*, kFunctionKindCount> ButtonModel::functionRows() const
{
    std::array<const char*, kFunctionKindCount> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = functionName(m_language, static_cast<FunctionKind>(i));
    return rows;
}

std::uint8_t& ButtonModel::byte(Layer layer, LayerArray array, std::size_t slot)
{
    return m_image[img::at(layer, array, slot)];
}

std::string& ButtonModel::labelRef(Layer layer, std::size_t slot)
{
    return m_labels[labelIndex(layer, slot)];
}

bool ButtonModel::leftKeyRuleRefuses(std::size_t slot) const
{
    // Only the layer bytes 0 and 1 take part, although the page shows layer B
    // for any other value too.
    const std::uint8_t shown = m_image[img::kLayerShown];
    if (shown > 1)
        return false;
    const Layer layer = shown == 0 ? Layer::A : Layer::B;
    if (kind(layer, slot) != FunctionKind::LeftClick)
        return false;
    // All twelve slots count, those without a drop-down box too: an all-zero
    // image has left clicks in slots 9 to 11, so the rule never refuses there.
    for (std::size_t other = 0; other < kButtonSlots; ++other)
        if (other != slot && kind(layer, other) == FunctionKind::LeftClick)
            return false;
    return true;
}

bool ButtonModel::toggleFunctionList(std::size_t slot)
{
    if (slot >= kButtonSlots)
        return false;
    if (m_openSlot == slot) {
        closeLists();
        return false;
    }
    closeLists();
    if (leftKeyRuleRefuses(slot)) {
        m_reporter.messageBox(uiString(m_language, UiString::LeftKeyMustBeSelected), text::kWarning);
        return false;
    }
    m_openSlot = slot;
    return true;
}

void ButtonModel::hoverFunctionRow(int row)
{
    if (!m_openSlot)
        return;
    m_selectedRow = row >= 0 && row < kFunctionKindCount ? row : -1;
    const bool dpi = m_selectedRow == kDpiSwitchRow;
    if (dpi != m_dpiListOpen)
        m_selectedDpiRow = -1;
    m_dpiListOpen = dpi;
}

void ButtonModel::hoverDpiRow(int row)
{
    if (!m_dpiListOpen)
        return;
    m_selectedDpiRow = row >= 0 && row < static_cast<int>(text::kDpiOptions.size()) ? row : -1;
}

void ButtonModel::closeLists()
{
    m_openSlot.reset();
    m_dpiListOpen = false;
    m_selectedRow = -1;
    m_selectedDpiRow = -1;
}

void ButtonModel::chooseFunction(std::size_t slot, int row)
{
    if (slot >= kButtonSlots || row < 0 || row >= kFunctionKindCount)
        return;
    // The choice is made in the DPI option list; the function list stays open.
    if (row == kDpiSwitchRow)
        return;

    const Layer layer = shownLayer();
    const Layer other = otherLayer(layer);
    const auto chosen = static_cast<FunctionKind>(row);

    if (row == kShiftRow) {
        // One Shift button per layer: a second one is refused silently.
        for (std::size_t s = 0; s < kShiftRuleSlots; ++s) {
            if (kind(layer, s) == FunctionKind::Shift) {
                closeLists();
                return;
            }
        }
        // The Shift button switches layers, so it must be Shift in both.
        byte(Layer::A, LayerArray::Kind, slot) = static_cast<std::uint8_t>(row);
        byte(Layer::B, LayerArray::Kind, slot) = static_cast<std::uint8_t>(row);
        labelRef(Layer::A, slot) = functionText(chosen);
        labelRef(Layer::B, slot) = functionText(chosen);
        closeLists();
        return;
    }

    const bool wasShift = kind(layer, slot) == FunctionKind::Shift;
    if (row >= static_cast<int>(FunctionKind::Windows) && row <= static_cast<int>(FunctionKind::MacroKey)) {
        // A cancelled dialog leaves the button as it was: storing the kind
        // alone would pair it with stale parameters (a single key of code 0,
        // a dead button) under the old label.
        if (!runParameterDialog(layer, slot, chosen)) {
            closeLists();
            return;
        }
    } else {
        labelRef(layer, slot) = functionText(chosen);
    }

    byte(layer, LayerArray::Kind, slot) = static_cast<std::uint8_t>(row);
    if (wasShift) {
        // Leaving Shift must not strand the other layer on a Shift button
        // the mouse can no longer leave.
        byte(other, LayerArray::Kind, slot) = static_cast<std::uint8_t>(row);
        labelRef(other, slot) = labelRef(layer, slot);
    }
    closeLists();
}

bool ButtonModel::runParameterDialog(Layer layer, std::size_t slot, FunctionKind chosen)
{
    const std::string prefix = functionText(chosen) + "-";
    // Stays empty when the dialog is missing or was cancelled.
    std::optional<std::string> label;
    switch (chosen) {
    case FunctionKind::Windows:
        if (const auto choice = ask(dialogs.applicationKey)) {
            byte(layer, LayerArray::AppIndex, slot) = lowByte(choice->row);
            byte(layer, LayerArray::AppCodeLow, slot) = applicationLowByteOfRow(choice->row);
            byte(layer, LayerArray::AppCodeHigh, slot) = applicationHighByteOfRow(choice->row);
            label = labelSafeName(choice->name);
        }
        break;
    case FunctionKind::Multimedia:
        if (const auto choice = ask(dialogs.multimedia)) {
            byte(layer, LayerArray::MediaIndex, slot) = lowByte(choice->row);
            byte(layer, LayerArray::MediaCode, slot) = mediaCodeOfRow(choice->row);
            label = prefix + labelSafeName(choice->name);
        }
        break;
    case FunctionKind::FireKey:
        if (const auto choice = ask(dialogs.fireKey)) {
            byte(layer, LayerArray::FireIndex, slot) = lowByte(choice->row);
            byte(layer, LayerArray::FireCode, slot) = fireKeyCodeOfRow(choice->row);
            byte(layer, LayerArray::FireSpeed, slot) = lowByte(choice->speed);
            byte(layer, LayerArray::FireTimes, slot) = lowByte(choice->times);
            label = prefix + labelSafeName(choice->name);
        }
        break;
    case FunctionKind::SingleKey:
        if (const auto choice = ask(dialogs.singleKey)) {
            byte(layer, LayerArray::SingleKey, slot) = keyCodeOfName(choice->keyName);
            label = prefix + labelSafeName(choice->keyName);
        }
        break;
    case FunctionKind::ComboKey:
        if (const auto choice = ask(dialogs.comboKey)) {
            const std::uint8_t mask = modifierMaskOfName(choice->modifier);
            const std::uint8_t key1 = keyCodeOfName(choice->key1);
            const std::uint8_t key2 = keyCodeOfName(choice->key2);
            byte(layer, LayerArray::ComboModifiers, slot) = mask;
            byte(layer, LayerArray::ComboKey1, slot) = key1;
            byte(layer, LayerArray::ComboKey2, slot) = key2;
            // Only the parts the mouse will press are named.
            std::string parts;
            const auto add = [&parts](bool present, const std::string& name) {
                if (!present)
                    return;
                if (!parts.empty())
                    parts += "+";
                parts += labelSafeName(name);
            };
            add(mask != 0, choice->modifier);
            add(key1 != 0, choice->key1);
            add(key2 != 0, choice->key2);
            label = prefix + parts;
        }
        break;
    case FunctionKind::MacroKey:
        if (const auto choice = ask(dialogs.macroKey)) {
            byte(layer, LayerArray::MacroNumber, slot) = lowByte(choice->macroNumber);
            byte(layer, LayerArray::MacroRepeat, slot) = lowByte(choice->repeatMode - 1);
            label = prefix + labelSafeName(choice->macroName);
        }
        break;
    default: break;
    }
    if (!label)
        return false;
    labelRef(layer, slot) = *label;
    return true;
}

void ButtonModel::chooseDpiOption(int row)
{
    if (!m_openSlot || !m_dpiListOpen || row < 0 || row >= static_cast<int>(text::kDpiOptions.size()))
        return;
    const std::size_t slot = *m_openSlot;
    const Layer layer = shownLayer();
    // Only the shown layer, even when the slot is Shift in the other one.
    byte(layer, LayerArray::Kind, slot) = static_cast<std::uint8_t>(FunctionKind::DpiSwitch);
    m_image[img::dpiSwitch(layer, slot)] = static_cast<std::uint8_t>(row + 1);
    labelRef(layer, slot) = text::kDpiOptions[static_cast<std::size_t>(row)];
    closeLists();
}

void ButtonModel::showLayer(int layer)
{
    m_image[img::kLayerShown] = layer == 0 ? 0 : 1;
}

void ButtonModel::restoreDefaults()
{
    for (const Layer layer : {Layer::A, Layer::B}) {
        for (std::size_t slot = 0; slot < kDefaultKinds.size(); ++slot) {
            byte(layer, LayerArray::Kind, slot) = static_cast<std::uint8_t>(kDefaultKinds[slot]);
            labelRef(layer, slot) = defaultLabel(slot);
        }
        m_image[img::dpiSwitch(layer, kDefaultDpiSlot)] = kDpiLoopOption;
    }
}

void ButtonModel::setFirstRunLabels()
{
    // Slots 0 to 7; slots 8 to 11 keep what str.ini gave them.
    for (const Layer layer : {Layer::A, Layer::B})
        for (std::size_t slot = 0; slot < kSentButtonSlots; ++slot)
            labelRef(layer, slot) = defaultLabel(slot);
}

std::string ButtonModel::defaultLabel(std::size_t slot) const
{
    return slot == kDefaultDpiSlot ? std::string(text::kDpiLoop) : functionText(kDefaultKinds[slot]);
}

} // namespace varcel
