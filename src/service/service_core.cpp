#include "service/service_core.h"

#include "control/image_json.h"
#include "control/main_controller.h"
#include "control/profile_library.h"
#include "control/setting_edit.h"
#include "control/workspace.h"
#include "device/config_store.h"
#include "service/dbus_names.h"
#include "lang/failure_texts.h"
#include "platform/ini_file.h"
#include "platform/reporter.h"
#include "settings/setting_catalogue.h"


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
    std::vector<SettingChange> changes;
    for (int i = 0; i < row->instances; ++i)
        changes.push_back({row->id, i, values[static_cast<std::size_t>(i)]});
    // As varcelctl's setting commands do it, on the data folder's files,
    // which the window then follows.
    const Language language = m_controller.language();
    CollectingReporter reporter;
    Workspace files(m_controller.dataDir(), reporter, language);
    Problem problem = files.lock();
    if (!problem)
        problem = files.loadConfig();
    if (problem)
        return failed(failureText(*problem, language) + "; " + text::kNothingSaved(language));
    const std::uint8_t sensor = mouseSensorType(m_controller.session()).value_or(0);
    const SettingEdit edit = editSettings(files, changes, sensor);
    files.unlock();
    if (!edit.ok()) {
        const std::string why = what + ": " + settingEditText(edit, sensor, language) + "; " + text::kNothingSaved(language);
        return edit.code == SettingEditCode::NotSaved ? failed(why) : refused(bus::kErrorInvalidArgs, why);
    }
    savedFiles();
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
    savedFiles();
    return output;
}

void VarcelService::savedFiles()
{
    filesChanged();
    if (afterFilesChanged)
        afterFilesChanged();
}

CommandOutput VarcelService::apply() { return changing({"apply"}); }

CommandOutput VarcelService::configuration() { return m_run({"show", "--json"}, nullptr); }

CommandOutput VarcelService::keyPageSettings()
{
    CollectingReporter reporter;
    Workspace files(m_controller.dataDir(), reporter, m_controller.language());
    if (const Problem problem = files.loadConfig())
        return failed(failureText(*problem, m_controller.language()));
    const ConfigImage& image = files.config().working();
    const auto decoded = imageToJson(image, files.config().firstRunFlag());
    const std::uint8_t sensor = sensorType();
    nlohmann::ordered_json settings{{"reportRate", decoded["reportRate"]}, {"sensorType", sensor}};
    for (int stage = 0; stage < static_cast<int>(img::kDpiStages); ++stage) {
        // The stage's value as the key page's list shows it.
        const auto dpi = settingChoice(image, SettingId::DpiStageValue, stage, sensor);
        settings["dpiStages"].push_back(decoded["dpiStages"][static_cast<std::size_t>(stage)]);
        settings["dpiStages"].back()["dpi"] = dpi ? dpi->text : "";
    }
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
    savedFiles();
    return output;
}

} // namespace varcel
