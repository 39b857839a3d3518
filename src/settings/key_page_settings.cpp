#include "settings/key_page_settings.h"

#include <algorithm>

namespace varcel {

namespace {

bool validStage(int stage) { return stage >= 0 && stage < static_cast<int>(img::kDpiStages); }

} // namespace

int stageOfSettingsList(SettingsList list)
{
    return list >= SettingsList::DpiStage1 && list <= SettingsList::DpiStage4
               ? static_cast<int>(list) - static_cast<int>(SettingsList::DpiStage1)
               : -1;
}

KeyPageSettings::KeyPageSettings(ConfigImage& image, Language language, std::function<std::uint8_t()> sensorType)
    : m_image(image), m_language(language), m_sensorType(std::move(sensorType))
{}

bool KeyPageSettings::isOn(SettingId id, int instance) const
{
    const unsigned stored = code(id, instance);
    return id == SettingId::LoopColourEnabled ? stored == 1 : stored != 0;
}

int KeyPageSettings::row(SettingId id, int instance) const
{
    const auto rows = choices(id, instance);
    const unsigned stored = code(id, instance);
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const SettingChoice& c) { return c.code == stored; });
    return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

const char* KeyPageSettings::faceText(SettingId id, int instance) const
{
    const int at = row(id, instance);
    if (at >= 0)
        return choices(id, instance)[static_cast<std::size_t>(at)].textIn(m_language);
    return id == SettingId::RgbMode ? uiString(m_language, UiString::OffMode) : "";
}

std::string KeyPageSettings::choiceText(SettingId id, int instance, int row) const
{
    const auto rows = choices(id, instance);
    return row >= 0 && static_cast<std::size_t>(row) < rows.size()
               ? settingChoiceText(id, rows[static_cast<std::size_t>(row)], m_language)
               : std::string();
}

bool KeyPageSettings::choose(SettingId id, int instance, unsigned code)
{
    const Setting& row = setting(id);
    if (instance < 0 || instance >= row.instances)
        return false;
    const auto rows = choices(id, instance);
    const bool listed = std::any_of(rows.begin(), rows.end(), [&](const SettingChoice& c) { return c.code == code; });
    if (row.form != SettingForm::Colour && !listed)
        return false;
    if (id == SettingId::DpiStageEnabled) {
        // A stage as asked keeps its byte. At least one stays enabled: stages
        // 5 to 8 are never sent enabled, but a flag there still lets the last
        // of stages 1 to 4 go.
        if (isOn(id, instance) == (code != 0))
            return true;
        bool another = code != 0;
        for (int other = 0; other < row.kept && !another; ++other)
            another = other != instance && isOn(id, other);
        if (!another)
            return false;
    }
    // A disabled colour's swatch opens nothing.
    if (id == SettingId::LoopColour && !isOn(SettingId::LoopColourEnabled, instance))
        return false;
    setSettingCode(m_image, id, instance, code);
    return true;
}

bool KeyPageSettings::chooseRow(SettingId id, int instance, int row)
{
    const auto rows = choices(id, instance);
    return row >= 0 && static_cast<std::size_t>(row) < rows.size() &&
           choose(id, instance, rows[static_cast<std::size_t>(row)].code);
}

// The catalogue keeps a parameter per mode, in the order of the mode list.
int KeyPageSettings::parameterInstance() const { return row(SettingId::RgbMode, 0); }

bool KeyPageSettings::chooseColourStage(int row)
{
    if (!validStage(row))
        return false;
    m_colourStage = row;
    return true;
}

int KeyPageSettings::litSegments(int stage) const
{
    if (!validStage(stage) || !isOn(SettingId::DpiStageEnabled, stage))
        return 0;
    const int at = row(SettingId::DpiStageValue, stage);
    return at < 0 ? dpiRowCount() : at + 1;
}

// ---- Lists -------------------------------------------------------------------

std::optional<std::pair<SettingId, int>> KeyPageSettings::listSetting(SettingsList list) const
{
    if (const int stage = stageOfSettingsList(list); stage >= 0)
        return std::pair(SettingId::DpiStageValue, stage);
    if (list == SettingsList::RgbMode)
        return std::pair(SettingId::RgbMode, 0);
    if (list == SettingsList::RgbParameter && parameterInstance() >= 0)
        return std::pair(SettingId::RgbParameter, parameterInstance());
    return std::nullopt;
}

bool KeyPageSettings::toggleList(SettingsList list)
{
    const bool opens =
        list != SettingsList::None && m_openList != list && (list == SettingsList::DpiColourStage || listSetting(list));
    m_openList = opens ? list : SettingsList::None;
    return opens;
}

std::vector<std::string> KeyPageSettings::listRows(SettingsList list) const
{
    std::vector<std::string> rows;
    if (list == SettingsList::DpiColourStage)
        rows.assign(kDpiStageNames.begin(), kDpiStageNames.end());
    else if (const auto shown = listSetting(list))
        for (const SettingChoice& choice : choices(shown->first, shown->second))
            rows.emplace_back(choice.textIn(m_language));
    return rows;
}

int KeyPageSettings::listCurrentRow(SettingsList list) const
{
    if (list == SettingsList::DpiColourStage)
        return m_colourStage;
    const auto shown = listSetting(list);
    return shown ? row(shown->first, shown->second) : -1;
}

bool KeyPageSettings::chooseListRow(int row)
{
    const auto shown = listSetting(m_openList);
    const bool stored = m_openList == SettingsList::DpiColourStage ? chooseColourStage(row)
                        : shown                                    ? chooseRow(shown->first, shown->second, row)
                                                                   : false;
    closeList();
    return stored;
}

} // namespace varcel
