#include "settings/key_page_settings.h"

#include "device/dpi_table.h"
#include "lang/ui_strings.h"

#include <span>

namespace varcel {

namespace {

// First-parameter texts of the three effect modes, by stored row.
constexpr std::array<const char*, 10> kStandardRows{"5%",  "15%", "25%", "35%", "45%",
                                                    "55%", "65%", "75%", "85%", "100%"};
constexpr std::array<const char*, 5> kRespirationRows{"8S", "7S", "6S", "5S", "4S"};
constexpr std::array<const char*, 30> kNeonRows{
    "0.5S", "1S",  "1.5S", "2S",  "2.5S", "3S",  "3.5S", "4S",  "4.5S", "5S",
    "5.5S", "6S",  "6.5S", "7S",  "7.5S", "8S",  "8.5S", "9S",  "9.5S", "10S",
    "10.5S", "11S", "11.5S", "12S", "12.5S", "13S", "13.5S", "14S", "14.5S", "15S",
};

// The effect modes by stored mode - 1: the name and the first parameter's list.
struct RgbModeRow {
    UiString name;
    std::span<const char* const> parameters;
};
constexpr std::array<RgbModeRow, kRgbModeCount> kRgbModes{{
    {UiString::StandardMode, kStandardRows},
    {UiString::RespirationMode, kRespirationRows},
    {UiString::NeonMode, kNeonRows},
}};

const RgbModeRow* rgbModeRow(int mode)
{
    return mode >= 1 && mode <= kRgbModeCount ? &kRgbModes[static_cast<std::size_t>(mode - 1)] : nullptr;
}

std::span<const char* const> parameterTable(int mode)
{
    const RgbModeRow* row = rgbModeRow(mode);
    return row ? row->parameters : std::span<const char* const>();
}

bool validStage(int stage) { return stage >= 0 && stage < static_cast<int>(img::kDpiStages); }
bool validColour(int colour) { return colour >= 0 && colour < static_cast<int>(img::kLoopColourCount); }
bool validBit(int bit) { return bit >= 0 && bit < kDpiColourBitCount; }

std::size_t at(int index) { return static_cast<std::size_t>(index); }

} // namespace

int reportRatePositionOfCode(std::uint8_t code)
{
    for (std::size_t p = 0; p < kReportRates.size(); ++p)
        if (kReportRates[p].code == code)
            return static_cast<int>(p);
    return -1;
}

std::vector<const char*> dpiValueRows(std::uint8_t sensorType)
{
    std::vector<const char*> rows;
    for (const DpiRow& row : dpiRows(sensorType))
        rows.push_back(row.text);
    return rows;
}

const char* rgbModeName(Language language, int mode)
{
    const RgbModeRow* row = rgbModeRow(mode);
    return uiString(language, row ? row->name : UiString::OffMode);
}

std::vector<const char*> rgbParameterRows(int mode)
{
    const auto table = parameterTable(mode);
    return {table.begin(), table.end()};
}

const char* rgbParameterText(int mode, int row)
{
    const auto table = parameterTable(mode);
    return row >= 0 && at(row) < table.size() ? table[at(row)] : "";
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
{
}

// ---- Report rate -------------------------------------------------------------

int KeyPageSettings::reportRatePosition() const
{
    return reportRatePositionOfCode(m_image[img::kReportRate]);
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

const char* KeyPageSettings::rgbParameterText() const
{
    return varcel::rgbParameterText(rgbMode(), rgbParameterRow());
}

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
    if (!validColour(colour))
        return {};
    const std::size_t c = img::kLoopColours + 3 * at(colour);
    return {m_image[c], m_image[c + 1], m_image[c + 2]};
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
    const std::size_t c = img::kLoopColours + 3 * at(colour);
    m_image[c] = rgb.r;
    m_image[c + 1] = rgb.g;
    m_image[c + 2] = rgb.b;
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

std::uint8_t& KeyPageSettings::colourGroupByte(int stage)
{
    return m_image[img::kDpiColourBits + at(stage / 2)];
}

bool KeyPageSettings::colourBit(int stage, int bit) const
{
    if (!validStage(stage) || !validBit(bit))
        return false;
    const std::uint8_t group = m_image[img::kDpiColourBits + at(stage / 2)];
    return (group >> (colourGroupShift(stage) + bit)) & 1;
}

void KeyPageSettings::setColourBit(int stage, int bit, bool on)
{
    if (!validStage(stage) || !validBit(bit))
        return;
    const auto mask = static_cast<std::uint8_t>(1u << (colourGroupShift(stage) + bit));
    std::uint8_t& group = colourGroupByte(stage);
    group = on ? static_cast<std::uint8_t>(group | mask) : static_cast<std::uint8_t>(group & ~mask);
}

bool KeyPageSettings::colourBit(int bit) const { return colourBit(m_colourStage, bit); }

void KeyPageSettings::toggleColourBit(int bit)
{
    setColourBit(m_colourStage, bit, !colourBit(bit));
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
        for (const char* row : rgbParameterRows(rgbMode()))
            rows.emplace_back(row);
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
    case SettingsList::DpiStage4:
        return stageRow(stageOfSettingsList(list));
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
    case SettingsList::DpiStage4:
        stored = chooseStageRow(stageOfSettingsList(m_openList), row);
        break;
    case SettingsList::RgbMode: stored = chooseRgbMode(row); break;
    case SettingsList::RgbParameter: stored = chooseRgbParameter(row); break;
    case SettingsList::DpiColourStage: stored = chooseColourStage(row); break;
    }
    closeList();
    return stored;
}

} // namespace varcel
