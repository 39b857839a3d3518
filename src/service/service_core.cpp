#include "service/service_core.h"

#include "control/image_json.h"
#include "control/main_controller.h"
#include "control/profile_library.h"
#include "control/workspace.h"
#include "device/config_store.h"
#include "service/dbus_names.h"
#include "lang/failure_texts.h"
#include "platform/ini_file.h"
#include "platform/reporter.h"
#include "settings/key_page_settings.h"
#include "settings/setting_catalogue.h"

#include <algorithm>
#include <sstream>

namespace varcel {

namespace {

// Messages of a method's own workspace go back to the caller, not into a box.
class CollectingReporter : public Reporter {
public:
    void messageBox(const std::string& text, const std::string& caption) override
    {
        lines += caption + ": " + text + "\n";
    }
    std::string lines;
};

// The rate the code stands for, as `varcelctl show` tells it.
std::uint32_t hzOfRateCode(int code) { return code > 0 && code <= 0xFF ? reportRateHz(static_cast<std::uint8_t>(code)) : 0; }

CommandOutput failed(const std::string& message) { return {1, {}, message}; }

CommandOutput refused(const char* error, const std::string& message)
{
    CommandOutput output{2, {}, message};
    output.error = error;
    return output;
}

const Setting* settingOfProperty(std::string_view name)
{
    for (const Setting& row : settingCatalogue())
        if (row.busProperty && name == row.busProperty)
            return &row;
    return nullptr;
}

// A setting's property: one number per instance (settingValue), as its row's type.
PropertyValue settingProperty(const Setting& row, const ConfigImage& image, std::uint8_t sensorType)
{
    std::vector<std::uint32_t> values;
    for (int i = 0; i < row.instances; ++i)
        values.push_back(settingValue(image, row.id, i, sensorType));
    const std::string_view type = row.busType;
    if (type == "b")
        return values.front() != 0;
    if (type == "u")
        return values.front();
    if (type == "ab")
        return std::vector<bool>(values.begin(), values.end());
    return values;
}

std::vector<unsigned> numbersOf(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> std::vector<unsigned> {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::uint32_t>)
                return {static_cast<unsigned>(v)};
            else if constexpr (std::is_same_v<T, std::vector<bool>> || std::is_same_v<T, std::vector<std::uint32_t>>)
                return {v.begin(), v.end()};
            else
                return {};
        },
        value);
}

// What a Set may give an instance, for a refusal.
std::string valuesOf(const Setting& row, int instance, std::uint8_t sensorType)
{
    if (row.form == SettingForm::Colour)
        return "a colour 0xRRGGBB, 0 to 16777215";
    std::string list;
    for (const SettingChoice& choice : settingChoices(row.id, instance, sensorType))
        list += (list.empty() ? "one of " : ", ") + std::to_string(choice.value);
    return list;
}

// The varcelctl words that set one instance to `value`, read from the row's
// command and the words its help shows: the last word the user fills in
// (STAGE, on|off, #RRGGBB ...) takes the value, those before it name the
// instance (STAGE, a stage colour's BIT, N); the words after the value only
// explain it.
std::vector<std::string> commandWords(const Setting& row, int instance, const std::string& value)
{
    std::istringstream help(row.words);
    std::vector<std::string> shown;
    for (std::string word; help >> word && word.front() != '(';)
        shown.push_back(word);
    const auto userFills = [](const std::string& word) {
        return word.front() == '#' || word.find('|') != std::string::npos ||
               std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    };
    const auto last = std::find_if(shown.rbegin(), shown.rend(), userFills).base() - 1;
    const int perStage = row.id == SettingId::DpiColourBit ? kDpiColourBitCount : 1;
    std::vector<std::string> words{row.command};
    for (auto word = shown.begin(); word <= last; ++word) {
        if (word == last)
            words.push_back(value);
        else if (*word == "STAGE" || *word == "N")
            words.push_back(std::to_string(instance / perStage + 1));
        else if (*word == "BIT")
            words.push_back(std::to_string(instance % perStage + 1));
        else
            words.push_back(*word);
    }
    return words;
}

// varcelctl's rgb sets a mode with its parameter: the words that store
// `mode` with the parameter `image` holds for it; none while that is not one
// of its list.
std::vector<std::string> rgbWords(const ConfigImage& image, unsigned mode)
{
    const std::string parameter =
        settingValueText(image, SettingId::RgbParameter, static_cast<int>(mode) - 1, 0, Language::English);
    if (parameter.empty())
        return {};
    return {"rgb", std::to_string(mode), parameter};
}

// Why the window refuses a value a list holds.
const char* pageRefusal(SettingId id)
{
    switch (id) {
    case SettingId::DpiStageEnabled: return "one DPI stage stays on";
    case SettingId::LoopColour: return "a loop colour that is off keeps its colour; turn it on first";
    default: return "the window refuses it";
    }
}

} // namespace

const char* busSignature(const PropertyValue& value)
{
    static constexpr const char* kTypes[] = {"b", "i", "u", "s", "as", "ab", "au"};
    static_assert(std::size(kTypes) == std::variant_size_v<PropertyValue>);
    return kTypes[value.index()];
}

std::string settingPropertiesXml()
{
    std::string xml;
    for (const Setting& row : settingCatalogue())
        if (row.busProperty)
            xml += std::string("    <property name=\"") + row.busProperty + "\" type=\"" + row.busType +
                   "\" access=\"" + (row.busWritable ? "readwrite" : "read") + "\"/>\n";
    return xml;
}

const BusMethod* findBusMethod(std::string_view name)
{
    for (const BusMethod& method : kBusMethods)
        if (name == method.name)
            return &method;
    return nullptr;
}

std::string textForBus(std::string_view text)
{
    if (isValidUtf8(text))
        return std::string(text);
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        // The longest stretch from here that is UTF-8 is kept as it is.
        std::size_t end = i + 1;
        while (end <= text.size() && end - i <= 4 && !isValidUtf8(text.substr(i, end - i)))
            ++end;
        if (end <= text.size() && end - i <= 4) {
            out.append(text.substr(i, end - i));
            i = end;
        } else {
            const auto byte = static_cast<unsigned char>(text[i++]);
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        }
    }
    return out;
}

bool goesThroughRunningProgram(const std::string& command)
{
    return command != "sim" && command != "watch" && command != "doctor" && command != "link";
}

VarcelService::VarcelService(MainController& controller, bool simulated, CommandRunner runCommand)
    : m_controller(controller), m_simulated(simulated), m_run(std::move(runCommand))
{
    m_last = currentProperties();
}

const ServiceProperty* VarcelService::property(std::string_view name) const
{
    for (const ServiceProperty& p : m_last)
        if (name == p.name)
            return &p;
    return nullptr;
}

std::vector<ServiceProperty> VarcelService::currentProperties() const
{
    DeviceSession& session = m_controller.session();
    const bool present = session.ready();
    const auto sensor =
        present && session.commands().sensorKnown() ? std::int32_t{session.commands().sensorType()} : std::int32_t{-1};
    // Else what the mouse was last given: the applied image.
    const std::uint32_t rate =
        m_rateFromMouse ? m_rateFromMouse : settingValue(m_controller.config().snapshot(), SettingId::ReportRate);
    const ProfileLibrary profiles(m_controller.dataDir());
    // Files a hand or another tool left in any state must not end the
    // program: what cannot be told is no active profile.
    ActiveProfile active;
    try {
        active = profiles.active(m_controller.workspace());
    } catch (const std::exception&) {
        active = {};
    }
    std::vector<std::string> names;
    for (const std::string& name : profiles.names())
        names.push_back(textForBus(name));
    std::vector<ServiceProperty> properties{
        {"MousePresent", present},
        {"SensorType", sensor},
        {"ReportRate", rate},
        {"DpiStage", present ? m_dpiStage : 0u},
        {"KeyMatrix", present ? m_keyMatrix : 0u},
        {"Version", std::string(VARCEL_VERSION)},
        {"DataFolder", textForBus(m_controller.dataDir().string())},
        {"Simulated", m_simulated},
        {"ActiveProfile", textForBus(active.name)},
        {"ActiveProfileModified", active.modified},
        {"Profiles", std::move(names)},
    };
    const ConfigImage image = storedImage();
    for (const Setting& row : settingCatalogue())
        if (row.busProperty)
            properties.push_back({row.busProperty, settingProperty(row, image, sensorType())});
    return properties;
}

ConfigImage VarcelService::storedImage() const
{
    CollectingReporter quiet;
    ConfigStore file(m_controller.dataDir(), quiet);
    return file.load() ? file.working() : m_controller.config().snapshot();
}

std::uint8_t VarcelService::sensorType() const
{
    const DeviceCommands& commands = m_controller.session().commands();
    return commands.sensorKnown() ? commands.sensorType() : 0;
}

CommandOutput VarcelService::setProperty(std::string_view name, const PropertyValue& value)
{
    const std::string what(name);
    const Setting* row = settingOfProperty(name);
    if (!row || !row->busWritable)
        return property(name) ? refused(bus::kErrorPropertyReadOnly, what + " is read-only")
                              : refused(bus::kErrorUnknownProperty, "no property " + what);
    if (busSignature(value) != std::string_view(row->busType))
        return refused(bus::kErrorInvalidArgs,
                       what + " is of type " + row->busType + ", not " + busSignature(value) + "; nothing was saved");
    const std::vector<unsigned> values = numbersOf(value);
    if (values.size() != static_cast<std::size_t>(row->instances))
        return refused(bus::kErrorInvalidArgs, what + " holds " + std::to_string(row->instances) + " values, not " +
                                                   std::to_string(values.size()) + "; nothing was saved");
    const std::uint8_t sensor = sensorType();
    const ConfigImage stored = storedImage();
    std::vector<unsigned> codes;
    std::vector<int> changed;
    for (int i = 0; i < row->instances; ++i) {
        const auto code = settingCodeOfValue(row->id, i, sensor, values[static_cast<std::size_t>(i)]);
        if (!code)
            return refused(bus::kErrorInvalidArgs, settingName(row->id, i, Language::English) + " (" + what +
                                                       "): no value " +
                                                       std::to_string(values[static_cast<std::size_t>(i)]) + "; " +
                                                       valuesOf(*row, i, sensor) + "; nothing was saved");
        codes.push_back(*code);
        if (*code != settingCode(stored, row->id, i))
            changed.push_back(i);
    }
    // What is turned on goes first, so that one DPI stage is on all along
    // when the value asked for has one.
    std::stable_partition(changed.begin(), changed.end(),
                          [&](int i) { return codes[static_cast<std::size_t>(i)] != 0; });
    // Tried on a copy as the window's page takes it, so that a refusal comes
    // before any command has saved anything.
    ConfigImage trial = stored;
    KeyPageSettings page(trial, Language::English, [sensor] { return sensor; });
    std::vector<std::vector<std::string>> commands;
    for (const int i : changed) {
        const unsigned code = codes[static_cast<std::size_t>(i)];
        if (!page.choose(row->id, i, code))
            return refused(bus::kErrorInvalidArgs, settingName(row->id, i, Language::English) + " (" + what +
                                                       "): " + pageRefusal(row->id) + "; nothing was saved");
        if (row->id == SettingId::RgbMode || row->id == SettingId::RgbParameter)
            commands.push_back(rgbWords(trial, row->id == SettingId::RgbMode ? code : static_cast<unsigned>(i) + 1));
        else
            commands.push_back(commandWords(*row, i, settingValueText(trial, row->id, i, sensor, Language::English)));
    }
    // Each rgb command sets the mode too: the stored one comes back last.
    if (row->id == SettingId::RgbParameter && !commands.empty())
        commands.push_back(rgbWords(trial, settingCode(stored, SettingId::RgbMode)));
    if (std::find(commands.begin(), commands.end(), std::vector<std::string>{}) != commands.end())
        return refused(bus::kErrorInvalidArgs, what + ": the RGB mode stored or its parameter is none of their "
                                                      "lists; varcelctl rgb MODE PARAMETER sets both; nothing was "
                                                      "saved");
    for (const auto& words : commands)
        if (CommandOutput output = changing(words); !output.ok())
            return output;
    return {};
}

std::vector<std::string> VarcelService::takeChangedProperties()
{
    std::vector<ServiceProperty> now = currentProperties();
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < now.size(); ++i)
        if (i >= m_last.size() || now[i].value != m_last[i].value)
            changed.emplace_back(now[i].name);
    m_last = std::move(now);
    return changed;
}

void VarcelService::deviceStatus(StatusCode code, int value)
{
    switch (code) {
    case StatusCode::ReportRateChanged:
        if (const auto hz = hzOfRateCode(value))
            m_rateFromMouse = hz;
        break;
    case StatusCode::DpiStageChanged:
        if (value >= 1 && value <= 4)
            m_dpiStage = static_cast<std::uint32_t>(value);
        break;
    case StatusCode::KeyMatrixChanged:
        if (value >= 1 && value <= 2)
            m_keyMatrix = static_cast<std::uint32_t>(value);
        break;
    case StatusCode::NotDetected:
        // A mouse plugged in again starts from what it was sent.
        m_rateFromMouse = 0;
        m_dpiStage = 0;
        m_keyMatrix = 0;
        break;
    default: break;
    }
}

CommandOutput VarcelService::runCommand(const std::vector<std::string>& args, const std::string* input)
{
    if (args.empty() || !goesThroughRunningProgram(args.front()))
        return {2, {}, "this command runs in varcelctl itself"};
    return changing(args, input);
}

CommandOutput VarcelService::changing(const std::vector<std::string>& args, const std::string* input)
{
    CommandOutput output = m_run(args, input);
    // Even a failed command may have saved part of what it was asked.
    filesChanged();
    if (afterFilesChanged)
        afterFilesChanged();
    return output;
}

CommandOutput VarcelService::apply() { return changing({"apply"}); }

CommandOutput VarcelService::configuration() { return m_run({"show", "--json"}, nullptr); }

CommandOutput VarcelService::keyPageSettings()
{
    CollectingReporter reporter;
    Workspace files(m_controller.dataDir(), reporter, m_controller.language());
    if (const Problem problem = files.loadConfig())
        return failed(failureText(*problem, m_controller.language()));
    auto decoded = imageToJson(files.config().working(), files.config().firstRunFlag());
    const std::uint8_t sensor = sensorType();
    nlohmann::ordered_json stages = nlohmann::ordered_json::array();
    for (auto stage : decoded["dpiStages"]) {
        if (stage["stage"].get<int>() > 4)
            break;
        // The page's list value of the stage's row, as the key page shows it.
        const int row = stage.value("row", -1);
        const char* dpi = row >= 0 ? dpiValueText(sensor, static_cast<std::uint8_t>(row)) : nullptr;
        stage["dpi"] = dpi ? dpi : "";
        stages.push_back(stage);
    }
    nlohmann::ordered_json settings;
    settings["reportRate"] = decoded["reportRate"];
    settings["sensorType"] = sensor;
    settings["dpiStages"] = stages;
    settings["lighting"] = decoded["lighting"];
    return {0, settings.dump(2) + "\n", {}};
}

CommandOutput VarcelService::buttonFunction(const std::string& layer, std::uint32_t number)
{
    if ((layer != "A" && layer != "B") || number < 1 || number > kButtonSlots)
        return {2, {}, "a button is A or B and 1 to 12"};
    CollectingReporter reporter;
    Workspace files(m_controller.dataDir(), reporter, m_controller.language());
    Problem problem = files.loadConfig();
    if (!problem)
        problem = files.loadLabels();
    if (problem)
        return failed(failureText(*problem, m_controller.language()));
    const auto decoded = imageToJson(files.config().working(), files.config().firstRunFlag());
    nlohmann::ordered_json button = decoded["layers"][layer][number - 1];
    button["label"] = files.labels()[labelIndex(layer == "A" ? Layer::A : Layer::B, number - 1)];
    // A label's byte that no encoding explains is shown as U+FFFD, as the window shows it.
    return {0, button.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n", {}};
}

CommandOutput VarcelService::setButtonFunction(const std::string& layer, std::uint32_t number,
                                               const std::vector<std::string>& function, bool apply)
{
    std::vector<std::string> args{"button", layer, std::to_string(number)};
    args.insert(args.end(), function.begin(), function.end());
    if (apply)
        args.emplace_back("--apply");
    return changing(args);
}

void VarcelService::focusChanged(const std::string& appId, const std::string& windowClass,
                                 const std::string& instance, std::uint32_t pid)
{
    if (onFocusChanged)
        onFocusChanged({appId, windowClass, instance, executableOfProcess(pid)});
}

CommandOutput VarcelService::loadProfile(const std::string& name)
{
    // A valid name without a profile has an error of its own, for scripts
    // to tell it from a name no profile may have.
    if (!checkProfileName(name) && !ProfileLibrary(m_controller.dataDir()).exists(name)) {
        const Failure missing{FailureCode::ProfileMissing, printableText(name), {}};
        CommandOutput output{2, {}, failureText(missing, m_controller.language())};
        output.error = bus::kErrorNoSuchProfile;
        return output;
    }
    return changing({"profile", "load", name, "--apply"});
}

CommandOutput VarcelService::exportProfile() { return m_run({"export"}, nullptr); }

CommandOutput VarcelService::importProfile(const std::string& text, bool apply)
{
    CollectingReporter reporter;
    Workspace files(m_controller.dataDir(), reporter, m_controller.language());
    const Language language = m_controller.language();
    Problem problem;
    const auto profile = files.readProfileText(text, problem);
    if (!profile)
        return {2, {}, failureText(*problem, language)};
    problem = files.importProfile(*profile);
    files.unlock();
    CommandOutput output;
    if (problem) {
        output = failed(failureText(*problem, language));
    } else if (apply) {
        const ApplyReport report = files.apply(m_controller.session());
        if (const Problem why = report.failure(language))
            output = failed(failureText(*why, language));
        else
            output.out = "imported and sent to the mouse\n";
    } else {
        output.out = "imported\n";
    }
    filesChanged();
    if (afterFilesChanged)
        afterFilesChanged();
    return output;
}

} // namespace varcel
