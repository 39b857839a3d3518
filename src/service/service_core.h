// What the running Varcel offers other programs (scripts, panel widgets,
// varcelctl), without the bus: the properties a panel shows and the methods
// scripts call. Every method works on the data folder's files and the
// running program's one mouse, exactly as the varcelctl command of the same
// name; the window then follows the files it changed.
#pragma once

#include "device/config_image.h"
#include "device/device_status.h"
#include "platform/focus_watch.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varcel {

class MainController;

// A command's exit status and what it printed; `error` names the bus error
// of a failure when it has one of its own (a profile that does not exist).
struct CommandOutput {
    int status = 0;
    std::string out;
    std::string err;
    const char* error = nullptr;
    bool ok() const { return status == 0; }
};

// What a caller may send, checked before any work: a name, a layer, a word
// of a command line or a window's class is short; a profile is as large as
// the file import takes.
inline constexpr std::size_t kMaxBusText = 4096;
inline constexpr std::size_t kMaxBusWords = 64;
inline constexpr std::size_t kMaxBusProfile = std::size_t{16} << 20;

// A method of the interface and the one signature of its arguments.
struct BusMethod {
    const char* name;
    const char* signature;
};
inline constexpr BusMethod kBusMethods[] = {
    {"Apply", ""},
    {"GetConfiguration", ""},
    {"GetKeyPageSettings", ""},
    {"GetButtonFunction", "su"},
    {"SetButtonFunction", "suasb"},
    {"ExportProfile", ""},
    {"ImportProfile", "sb"},
    {"LoadProfile", "s"},
    {"FocusChanged", "sssu"},
    {"RunCommand", "as"},
    {"RunCommandWithInput", "asay"},
};
const BusMethod* findBusMethod(std::string_view name);

// Text as the bus carries it: UTF-8 unchanged, any byte that is not UTF-8
// as \xNN, so that nothing is lost without a trace nor refused by the bus.
std::string textForBus(std::string_view text);

using PropertyValue = std::variant<bool, std::int32_t, std::uint32_t, std::string, std::vector<std::string>,
                                   std::vector<bool>, std::vector<std::uint32_t>>;
// The D-Bus type of a value: "b", "i", "u", "s", "as", "ab" or "au".
const char* busSignature(const PropertyValue& value);
// The settings' properties as the interface's description lists them, one
// <property> element per row of the settings catalogue that has one.
std::string settingPropertiesXml();

struct ServiceProperty {
    const char* name;
    PropertyValue value;
};

class VarcelService {
public:
    // `runCommand` runs a varcelctl command line (without the program name)
    // inside this program, on its mouse; `simulated` says which mouse that is.
    // `input`, when given, is the contents of the file the command names,
    // read by the caller: this program opens no file a caller names.
    using CommandRunner =
        std::function<CommandOutput(const std::vector<std::string>& args, const std::string* input)>;
    VarcelService(MainController& controller, bool simulated, CommandRunner runCommand);

    // Every property with its value, in the interface's order: kept, so that
    // a read costs no file; refreshed by takeChangedProperties().
    const std::vector<ServiceProperty>& properties() const { return m_last; }
    const ServiceProperty* property(std::string_view name) const;
    // Reads the values afresh and returns the names of those that changed.
    std::vector<std::string> takeChangedProperties();
    // A property's Set: a setting's value checked against its row (type,
    // one value per instance, each one of its list), taken as the key page
    // takes it and saved as the row's varcelctl command saves it, all values
    // or none. `error` names the bus error of a refusal; nothing is saved then.
    CommandOutput setProperty(std::string_view name, const PropertyValue& value);

    // The mouse's own switches and its coming and going.
    void deviceStatus(StatusCode code, int value);
    // The files changed (an apply, a save, a reload): the report rate shown
    // is the stored one again until the mouse reports a switch.
    void filesChanged() { m_rateFromMouse = 0; }

    // The methods. A failure has a non-zero status and the message in err.
    CommandOutput runCommand(const std::vector<std::string>& args, const std::string* input = nullptr);
    CommandOutput apply();
    CommandOutput configuration();
    CommandOutput keyPageSettings();
    CommandOutput buttonFunction(const std::string& layer, std::uint32_t number);
    CommandOutput setButtonFunction(const std::string& layer, std::uint32_t number,
                                    const std::vector<std::string>& function, bool apply);
    CommandOutput exportProfile();
    CommandOutput importProfile(const std::string& text, bool apply);
    // `varcelctl profile load NAME --apply`.
    CommandOutput loadProfile(const std::string& name);

    // The KWin script's call: an application came to the front.
    void focusChanged(const std::string& appId, const std::string& windowClass, const std::string& instance,
                      std::uint32_t pid);
    std::function<void(const FocusedApp&)> onFocusChanged;

    // Called after a method may have changed the files; the window reloads.
    std::function<void()> afterFilesChanged;

private:
    std::vector<ServiceProperty> currentProperties() const;
    // config.bin as saved, which the settings' properties show; what was
    // read last while it cannot be read.
    ConfigImage storedImage() const;
    // The sensor type whose DPI list the stages' values come from.
    std::uint8_t sensorType() const;
    CommandOutput changing(const std::vector<std::string>& args, const std::string* input = nullptr);
    // After the files may have changed: the window follows them.
    void savedFiles();

    MainController& m_controller;
    bool m_simulated;
    CommandRunner m_run;
    std::uint32_t m_rateFromMouse = 0; // Hz, 0 until the mouse reports a switch
    std::uint32_t m_dpiStage = 0;
    std::uint32_t m_keyMatrix = 0;
    std::vector<ServiceProperty> m_last;
};

// The varcelctl commands that may go through a running Varcel: those that
// read or change the configuration or talk to the mouse. `sim` already
// reaches the running program's simulated mouse, `watch` follows its signal,
// `doctor` asks about this machine, `link` keeps the constants of the
// mouse's link in the data folder for the next start.
bool goesThroughRunningProgram(const std::string& command);

} // namespace varcel
