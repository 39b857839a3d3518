#include "control/setting_edit.h"

#include "device/device_session.h"
#include "lang/failure_texts.h"
#include "settings/key_page_settings.h"

#include <algorithm>
#include <vector>

namespace varcel {

namespace {

using EditCode = SettingEditCode;

// "%1" is the setting's name, "%2" the value asked for, "%3" the values it
// takes, "%4" the instance's number; a failure of the files or the mouse is
// "%1" alone.
constexpr CodeText<SettingEditCode> kEditTexts[] = {
    {EditCode::Done, {"", "", ""}},
    {EditCode::NotListed, {"%1：没有数值 %2；可选 %3", "%1：沒有數值 %2；可選 %3", "%1: no value %2; one of %3"}},
    {EditCode::LastStageStaysOn,
     {"%1 是唯一启用的 DPI 档位，保持开启", "%1 是唯一啟用的 DPI 檔位，保持開啟",
      "%1 is the only enabled DPI stage and stays on"}},
    {EditCode::LoopColourOff,
     {"循环颜色%4已关闭，保留其颜色；请先打开它", "迴圈顏色%4已關閉，保留其顏色；請先開啟它",
      "loop colour %4 is off and keeps its colour; turn it on first"}},
    {EditCode::NotSaved, {"%1", "%1", "%1"}},
    {EditCode::NotApplied, {"%1", "%1", "%1"}},
};
static_assert(rowsInCodeOrder(kEditTexts, static_cast<std::size_t>(EditCode::NotApplied) + 1));

// Whether the image holds the code already: a flag any byte but 0 holds
// on, as the mouse takes it.
bool holdsAlready(const ConfigImage& image, SettingId id, int instance, unsigned code)
{
    const unsigned now = settingCode(image, id, instance);
    return setting(id).form == SettingForm::Flag ? (now != 0) == (code != 0) : now == code;
}

SettingEdit editRefusal(SettingEditCode code, const SettingChange& change) { return {code, change, {}, {}}; }

// The values an instance takes, for a refusal.
std::string valuesTaken(const SettingChange& change, std::uint8_t sensorType)
{
    if (setting(change.id).form == SettingForm::Colour)
        return "0 - 16777215 (0xRRGGBB)";
    std::string list;
    for (const SettingChoice& choice : settingChoices(change.id, change.instance, sensorType))
        list += (list.empty() ? "" : ", ") + std::to_string(choice.value);
    return list;
}

} // namespace

SettingEdit editSettings(Workspace& workspace, std::span<const SettingChange> changes, std::uint8_t sensorType,
                         DeviceSession* sendTo)
{
    ConfigImage trial = workspace.config().working();
    std::vector<std::pair<SettingChange, unsigned>> coded;
    for (const SettingChange& change : changes) {
        const auto code = change.instance >= 0 && change.instance < setting(change.id).instances
                              ? settingCodeOfValue(change.id, change.instance, sensorType, change.value)
                              : std::nullopt;
        if (!code)
            return editRefusal(EditCode::NotListed, change);
        if (!holdsAlready(trial, change.id, change.instance, *code))
            coded.emplace_back(change, *code);
    }
    std::stable_partition(coded.begin(), coded.end(), [](const auto& change) { return change.second != 0; });
    KeyPageSettings page(trial, workspace.language(), [sensorType] { return sensorType; });
    for (const auto& [change, code] : coded)
        if (!page.choose(change.id, change.instance, code))
            return editRefusal(
                change.id == SettingId::DpiStageEnabled ? EditCode::LastStageStaysOn : EditCode::LoopColourOff, change);

    SettingEdit edit;
    if (Problem problem = workspace.loadLabels()) {
        edit.code = EditCode::NotSaved;
        edit.problem = std::move(problem);
        return edit;
    }
    workspace.config().working() = trial;
    const bool firstRun = workspace.setFirstRunLabels();
    if (sendTo) {
        edit.applied = workspace.apply(*sendTo);
        edit.code = edit.applied.ok() ? EditCode::Done : EditCode::NotApplied;
    } else if ((edit.problem = workspace.save(firstRun ? kSaveConfig | kSaveLabels : kSaveConfig))) {
        edit.code = EditCode::NotSaved;
    }
    return edit;
}

std::optional<std::uint8_t> mouseSensorType(DeviceSession& session)
{
    DeviceCommands& commands = session.commands();
    if (commands.sensorKnown())
        return commands.sensorType();
    if (session.ready())
        if (const auto record = commands.readSensorRecord())
            return record->type;
    return std::nullopt;
}

std::string settingEditText(const SettingEdit& edit, std::uint8_t sensorType, Language language)
{
    const SettingChange& change = edit.refused;
    const Problem why = edit.code == EditCode::NotApplied ? edit.applied.failure(language) : edit.problem;
    if (why)
        return failureText(*why, language);
    return fillIn(kEditTexts[static_cast<std::size_t>(edit.code)](language),
                  {settingName(change.id, change.instance, language), std::to_string(change.value),
                   valuesTaken(change, sensorType), std::to_string(change.instance + 1)});
}

} // namespace varcel
