#include "control/balloons.h"

#include "device/dpi_table.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "settings/setting_catalogue.h"

namespace varcel {

namespace {

constexpr const char* kInfo = "Info";
constexpr const char* kWarning = "Warning";
// Long enough to be read. Windows never showed a balloon for less than a few
// seconds whatever it was asked, so the link news gets a time it can be read in.
constexpr int kSwitchTimeoutMs = 5000;
constexpr int kLinkTimeoutMs = 3000;

std::optional<UiString> reportRateText(int code)
{
    for (std::size_t position = 0; position < kReportRates.size(); ++position)
        if (kReportRates[position].code == code)
            return kReportRateBalloons[position];
    return std::nullopt;
}

} // namespace

std::optional<Balloon> balloonFor(StatusCode code, int value, Language language, const ConfigImage& working,
                                  std::uint8_t sensorType)
{
    auto info = [&](std::string text) { return Balloon{std::move(text), kInfo, kSwitchTimeoutMs}; };
    switch (code) {
    case StatusCode::ReportRateChanged:
        if (const auto text = reportRateText(value))
            return info(uiString(language, *text));
        return std::nullopt;
    case StatusCode::DpiStageChanged: {
        if (value < 1 || value > 4)
            return std::nullopt;
        const UiString stages[] = {UiString::DpiStage1, UiString::DpiStage2, UiString::DpiStage3,
                                   UiString::DpiStage4};
        // Sensors the program has no list for get no value named, nor does a row past the list.
        const auto dpi = settingChoice(working, SettingId::DpiStageValue, value - 1, sensorType);
        return info(uiString(language, stages[value - 1]) + std::string(dpi && dpiListKnown(sensorType) ? dpi->text : ""));
    }
    case StatusCode::KeyMatrixChanged:
        if (value == 1 || value == 2)
            return info(uiString(language, value == 1 ? UiString::KeyMatrix1 : UiString::KeyMatrix2));
        return std::nullopt;
    case StatusCode::MacroChanged:
        if (value < 1 || value > 255)
            return std::nullopt;
        return info(uiString(language, UiString::SwitchToMacroKey) + std::to_string(value));
    case StatusCode::Detected:
        return Balloon{uiString(language, UiString::MouseDetected), kInfo, kLinkTimeoutMs};
    case StatusCode::NotDetected:
        return Balloon{uiString(language, UiString::MouseNotDetected), kWarning, kLinkTimeoutMs,
                       text::kNoMouseNextStep(language)};
    }
    return std::nullopt;
}

std::string trayTip(Language language, bool mouseFound)
{
    std::string tip = "Gaming mouse setting";
    if (!mouseFound)
        tip += std::string("\n") + text::kNoMouseNextStep(language);
    return tip;
}

} // namespace varcel
