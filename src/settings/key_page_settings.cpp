#include "settings/key_page_settings.h"

#include "device/dpi_table.h"

#include <algorithm>

namespace varcel {

namespace {

std::span<const SettingChoice> parameterTable(int mode)
{
    return mode >= 1 && mode <= kRgbModeCount ? settingChoices(SettingId::RgbParameter, mode - 1)
                                              : std::span<const SettingChoice>();
}

bool validStage(int stage) { return stage >= 0 && stage < static_cast<int>(img::kDpiStages); }
bool validColour(int colour) { return colour >= 0 && colour < static_cast<int>(img::kLoopColourCount); }
bool validBit(int bit) { return bit >= 0 && bit < kDpiColourBitCount; }

std::size_t at(int index) { return static_cast<std::size_t>(index); }

} // namespace

std::vector<const char*> KeyPageSettings::dpiRows() const
{
    std::vector<const char*> rows;
    for (const SettingChoice& row : settingChoices(SettingId::DpiStageValue, 0, sensorType()))
        rows.push_back(row.text);
    return rows;
}

SettingsList settingsListOfStage(int stage)
{
    return validStage(stage) ? static_cast<SettingsList>(static_cast<int>(SettingsList::DpiStage1) + stage)
                             : SettingsList::None;
}

int stageOfSettingsList(SettingsList list)
{
    return list >= SettingsList::DpiStage1 && list <= SettingsList::DpiStage4
               ? static_cast<int>(list) - static_cast<int>(SettingsList::DpiStage1)
               : -1;
}

KeyPageSettings::KeyPageSettings(ConfigImage& image, Language language, std::function<std::uint8_t()> sensorType)
    : m_image(image), m_language(language), m_sensorType(std::move(sensorType))
{}

bool KeyPageSettings::choose(SettingId id, int instance, unsigned code)
{
    const Setting& row = setting(id);
    if (instance < 0 || instance >= row.instances)
        return false;
    const auto choices = settingChoices(id, instance, sensorType());
    const bool listed =
        std::any_of(choices.begin(), choices.end(), [&](const SettingChoice& c) { return c.code == code; });
    if (row.form != SettingForm::Colour && !listed)
        return false;
    // The enable box keeps the last enabled stage; a disabled colour's swatch opens nothing.
    if (id == SettingId::DpiStageEnabled)
        return stageEnabled(instance) == (code != 0) || toggleStage(instance);
    if (id == SettingId::LoopColour && !canChooseLoopColour(instance))
        return false;
    setSettingCode(m_image, id, instance, code);
    return true;
}

// ---- Report rate -------------------------------------------------------------

int KeyPageSettings::reportRatePosition() const
{
    for (std::size_t p = 0; p < kReportRates.size(); ++p)
        if (kReportRates[p].code == m_image[img::kReportRate])
            return static_cast<int>(p);
    return -1;
}

int KeyPageSettings::chooseReportRate(int position)
{
    const int before = reportRatePosition();
    if (position >= 0 && at(position) < kReportRates.size())
        m_image[img::kReportRate] = kReportRates[at(position)].code;
    return before;
}

// ---- DPI stages --------------------------------------------------------------

int KeyPageSettings::dpiRowCount() const { return static_cast<int>(varcel::dpiRowCount(sensorType())); }

bool KeyPageSettings::stageEnabled(int stage) const
{
    // The mouse gets a stage as enabled for any byte but 0, so the page shows it so.
    return validStage(stage) && m_image[img::kDpiEnabled + at(stage)] != 0;
}

int KeyPageSettings::stageRow(int stage) const
{
    if (!validStage(stage))
        return -1;
    const int row = m_image[img::kDpiValue + at(stage)];
    return row < dpiRowCount() ? row : -1;
}

const char* KeyPageSettings::stageValueText(int stage) const
{
    const int row = stageRow(stage);
    return row < 0 ? "" : dpiValueText(sensorType(), static_cast<std::uint8_t>(row));
}

int KeyPageSettings::litSegments(int stage) const
{
    if (!stageEnabled(stage))
        return 0;
    const int row = stageRow(stage);
    return row < 0 ? dpiRowCount() : row + 1;
}

bool KeyPageSettings::toggleStage(int stage)
{
    if (!validStage(stage))
        return false;
    std::uint8_t& flag = m_image[img::kDpiEnabled + at(stage)];
    if (flag == 0) {
        flag = 1;
        return true;
    }
    // At least one stage stays enabled. Stages 5 to 8 are never sent enabled,
    // but a flag there still lets the last of stages 1 to 4 go.
    for (std::size_t other = 0; other < img::kDpiStageFlags; ++other) {
        if (other != at(stage) && m_image[img::kDpiEnabled + other] != 0) {
            flag = 0;
            return true;
        }
    }
    return false;
}

bool KeyPageSettings::chooseStageRow(int stage, int row)
{
    if (!validStage(stage) || row < 0 || row >= dpiRowCount())
        return false;
    m_image[img::kDpiValue + at(stage)] = static_cast<std::uint8_t>(row);
    return true;
}

// ---- RGB effect --------------------------------------------------------------

int KeyPageSettings::rgbMode() const { return m_image[img::kRgbMode]; }

int KeyPageSettings::rgbParameterRow() const
{
    if (!rgbModeValid())
        return -1;
    const int row = m_image[img::kRgbParam1 + at(rgbMode() - 1)];
    return at(row) < parameterTable(rgbMode()).size() ? row : -1;
}

const char* KeyPageSettings::rgbParameterText() const { return varcel::rgbParameterText(rgbMode(), rgbParameterRow()); }

bool KeyPageSettings::chooseRgbMode(int row)
{
    if (row < 0 || row >= kRgbModeCount)
        return false;
    m_image[img::kRgbMode] = static_cast<std::uint8_t>(row + 1);
    return true;
}

bool KeyPageSettings::chooseRgbParameter(int row)
{
    if (!rgbModeValid() || row < 0 || at(row) >= parameterTable(rgbMode()).size())
        return false;
    m_image[img::kRgbParam1 + at(rgbMode() - 1)] = static_cast<std::uint8_t>(row);
    return true;
}

// ---- Loop colours ------------------------------------------------------------

bool KeyPageSettings::loopColourEnabled(int colour) const
{
    return validColour(colour) && loopColourOn(m_image, at(colour));
}

Rgb KeyPageSettings::loopColour(int colour) const
{
    const unsigned code = settingCode(m_image, SettingId::LoopColour, colour);
    return {static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
            static_cast<std::uint8_t>(code)};
}

void KeyPageSettings::toggleLoopColour(int colour)
{
    if (validColour(colour))
        m_image[img::kLoopEnabled + at(colour)] = loopColourEnabled(colour) ? 0 : 1;
}

bool KeyPageSettings::setLoopColour(int colour, Rgb rgb)
{
    if (!canChooseLoopColour(colour))
        return false;
    setSettingCode(m_image, SettingId::LoopColour, colour, unsigned{rgb.r} << 16 | unsigned{rgb.g} << 8 | rgb.b);
    return true;
}

// ---- DPI colour bits ---------------------------------------------------------

bool KeyPageSettings::chooseColourStage(int row)
{
    if (!validStage(row))
        return false;
    m_colourStage = row;
    return true;
}

bool KeyPageSettings::colourBit(int stage, int bit) const
{
    return validStage(stage) && validBit(bit) &&
           settingCode(m_image, SettingId::DpiColourBit, stage * kDpiColourBitCount + bit) != 0;
}

bool KeyPageSettings::colourBit(int bit) const { return colourBit(m_colourStage, bit); }

void KeyPageSettings::toggleColourBit(int bit)
{
    if (validBit(bit))
        setSettingCode(m_image, SettingId::DpiColourBit, m_colourStage * kDpiColourBitCount + bit, !colourBit(bit));
}

// ---- Lists -------------------------------------------------------------------

bool KeyPageSettings::toggleList(SettingsList list)
{
    if (list == SettingsList::None || m_openList == list) {
        closeList();
        return false;
    }
    if (list == SettingsList::RgbParameter && !rgbModeValid()) {
        closeList();
        return false;
    }
    m_openList = list;
    return true;
}

std::vector<std::string> KeyPageSettings::listRows(SettingsList list) const
{
    std::vector<std::string> rows;
    switch (list) {
    case SettingsList::None: break;
    case SettingsList::DpiStage1:
    case SettingsList::DpiStage2:
    case SettingsList::DpiStage3:
    case SettingsList::DpiStage4:
        for (const char* row : dpiRows())
            rows.emplace_back(row);
        break;
    case SettingsList::RgbMode:
        for (int mode = 1; mode <= kRgbModeCount; ++mode)
            rows.emplace_back(rgbModeName(m_language, mode));
        break;
    case SettingsList::RgbParameter:
        for (const SettingChoice& row : parameterTable(rgbMode()))
            rows.emplace_back(row.text);
        break;
    case SettingsList::DpiColourStage:
        for (const char* row : kDpiStageNames)
            rows.emplace_back(row);
        break;
    }
    return rows;
}

int KeyPageSettings::listCurrentRow(SettingsList list) const
{
    switch (list) {
    case SettingsList::None: return -1;
    case SettingsList::DpiStage1:
    case SettingsList::DpiStage2:
    case SettingsList::DpiStage3:
    case SettingsList::DpiStage4: return stageRow(stageOfSettingsList(list));
    case SettingsList::RgbMode: return rgbModeValid() ? rgbMode() - 1 : -1;
    case SettingsList::RgbParameter: return rgbParameterRow();
    case SettingsList::DpiColourStage: return m_colourStage;
    }
    return -1;
}

bool KeyPageSettings::chooseListRow(int row)
{
    bool stored = false;
    switch (m_openList) {
    case SettingsList::None: break;
    case SettingsList::DpiStage1:
    case SettingsList::DpiStage2:
    case SettingsList::DpiStage3:
    case SettingsList::DpiStage4: stored = chooseStageRow(stageOfSettingsList(m_openList), row); break;
    case SettingsList::RgbMode: stored = chooseRgbMode(row); break;
    case SettingsList::RgbParameter: stored = chooseRgbParameter(row); break;
    case SettingsList::DpiColourStage: stored = chooseColourStage(row); break;
    }
    closeList();
    return stored;
}

} // namespace varcel
