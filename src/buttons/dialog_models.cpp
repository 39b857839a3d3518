#include "buttons/dialog_models.h"

#include "keys/field_text.h"
#include "keys/key_tables.h"

#include <algorithm>

namespace varcel {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A table's texts in row order, as its list shows them.
template <typename Rows, typename TextOf>
std::vector<std::string> rowTexts(const Rows& rows, TextOf textOf)
{
    std::vector<std::string> texts;
    for (const auto& row : rows)
        texts.emplace_back(textOf(row));
    return texts;
}

std::vector<std::string> firstMacros(std::vector<std::string> names)
{
    // The mouse holds twelve macros; a hand-edited record.ini may list more.
    if (names.size() > kMacroCount)
        names.resize(kMacroCount);
    return names;
}

// A number field's text as it stays, its value kept in `value`: digits only
// reach the field, so the leading integer is the whole text, and an empty
// field reads as 0. A value outside lowest..highest becomes `fallback`.
std::string checkedField(std::string_view text, int lowest, int highest, int fallback, int& value)
{
    value = leadingInteger(text);
    if (value >= lowest && value <= highest)
        return std::string(text);
    value = fallback;
    return std::to_string(fallback);
}

} // namespace

bool isLabelSafeName(std::string_view name)
{
    return characterCount(name) <= kLabelNameLength &&
           std::none_of(name.begin(), name.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

std::string labelSafeName(std::string_view name)
{
    std::string kept;
    for (const char c : name)
        if (!isControl(static_cast<unsigned char>(c)))
            kept += c;
    return firstCharacters(kept, kLabelNameLength);
}

void SingleKeyDialogModel::keyEvent(std::string_view keyName)
{
    m_name = labelSafeName(keyName);
}

std::vector<std::string> ComboKeyDialogModel::modifierRows()
{
    return rowTexts(kModifierTable, [](const ModifierRow& row) { return row.name; });
}

void ComboKeyDialogModel::keyEvent(Field focused, std::string_view keyName)
{
    if (m_listOpen)
        return;
    if (focused == Field::Key1)
        m_result.key1 = labelSafeName(keyName);
    else if (focused == Field::Key2)
        m_result.key2 = labelSafeName(keyName);
}

void ComboKeyDialogModel::toggleModifierList()
{
    m_listOpen = !m_listOpen;
}

void ComboKeyDialogModel::chooseModifier(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= kModifierTable.size())
        return;
    m_modifierRow = row;
    m_result.modifier = kModifierTable[static_cast<std::size_t>(row)].name;
    m_listOpen = false;
}

RowChooser::RowChooser(std::vector<std::string> rows, int chosen) : m_rows(std::move(rows)), m_chosen(chosen) {}

std::string RowChooser::chosenName() const
{
    if (m_chosen < 0 || static_cast<std::size_t>(m_chosen) >= m_rows.size())
        return {};
    return m_rows[static_cast<std::size_t>(m_chosen)];
}

void RowChooser::choose(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return;
    m_chosen = row;
    m_open = false;
}

MediaDialogModel::MediaDialogModel(Language language)
    : RowChooser(rowTexts(kMediaRows, [language](const MediaRow& row) { return row.text(language); }), 0)
{}

WindowsDialogModel::WindowsDialogModel(Language language)
    : RowChooser(rowTexts(kApplicationRows, [language](const ApplicationRow& row) { return row.text(language); }), 0)
{}

FireKeyDialogModel::FireKeyDialogModel()
    : RowChooser(rowTexts(kFireKeyRows, [](const FireKeyRow& row) { return row.text; }), 0)
{}

std::string FireKeyDialogModel::speedFieldLeft(std::string_view text)
{
    return checkedField(text, kFastest, kSlowest, kFastest, m_speed);
}

std::string FireKeyDialogModel::timesFieldChanged(std::string_view text)
{
    return checkedField(text, 0, kMostTimes, kInitialTimes, m_times);
}

MacroKeyDialogModel::MacroKeyDialogModel(std::vector<std::string> macroNames)
    : RowChooser(firstMacros(std::move(macroNames)), -1)
{
}

void MacroKeyDialogModel::chooseOption(int option)
{
    if (option >= 1 && option <= 3)
        m_option = option;
}

MacroKeyChoice MacroKeyDialogModel::result() const
{
    const int position = chosenRow() < 0 ? 0 : chosenRow();
    const std::string name = position < static_cast<int>(rows().size()) ? rows()[static_cast<std::size_t>(position)]
                                                                         : std::string();
    return {position, m_option, labelSafeName(name)};
}

} // namespace varcel
