// A change of the key page's and the pointer block's settings made from
// outside the window: a varcelctl command or a bus Set. Every value is taken
// as the page takes it, all of them on a copy first, so that a refusal leaves
// config.bin as it was; then they go into the working image as one edit,
// which is saved, or sent and saved, once.
#pragma once

#include "control/workspace.h"
#include "settings/setting_catalogue.h"

#include <optional>
#include <span>
#include <string>

namespace varcel {

class DeviceSession;

// One instance of a setting and the number it is to hold, as settingValue
// says it: Hz, DPI, a parameter's step, a slider's step, 1 or 0, 0xRRGGBB.
struct SettingChange {
    SettingId id;
    int instance;
    unsigned value;
};

enum class SettingEditCode : std::uint8_t {
    Done,
    NotListed,        // the value is none of the setting's list (or the instance none of its row)
    LastStageStaysOn, // the only enabled DPI stage was to be turned off
    LoopColourOff,    // a loop colour that is off was to get another colour
    NotSaved,         // the files: `problem` says why
    NotApplied,       // the mouse or the save after it: `applied` says what
};

struct SettingEdit {
    SettingEditCode code = SettingEditCode::Done;
    SettingChange refused{}; // the change a refusal is about
    Problem problem;
    ApplyReport applied;
    bool ok() const { return code == SettingEditCode::Done; }
};

// Makes the changes on the workspace, whose config.bin is loaded and whose
// folder is locked; `sensorType` chooses the DPI list. A change to what the
// instance already holds is no change (a flag's any byte but 0 holds on) and
// is never refused; what turns something on goes first, so that one DPI
// stage is on all along when the result has one. With `sendTo` the image is
// sent and saved as Apply does, else saved with the first-run labels the key
// page's first display gives.
SettingEdit editSettings(Workspace& workspace, std::span<const SettingChange> changes, std::uint8_t sensorType,
                         DeviceSession* sendTo = nullptr);

// The sensor type whose DPI list a value is of: the one this connection
// exchanged, else the one the mouse answers a read with; nothing without an
// answer.
std::optional<std::uint8_t> mouseSensorType(DeviceSession& session);

// Why the edit was refused or not saved, in `language`.
std::string settingEditText(const SettingEdit& edit, std::uint8_t sensorType, Language language);

} // namespace varcel
