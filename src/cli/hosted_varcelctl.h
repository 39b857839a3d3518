// varcelctl's commands run inside the running Varcel on varcelctl's behalf:
// what the window's program needs of this folder, and no more.
#pragma once

#include "device/device_session.h"
#include "device/hid_backend.h"
#include "device/sim/sim_mouse.h"
#include "service/service_core.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varcel {

// The running Varcel's own mouse, when a command runs inside it on behalf of
// varcelctl: the command then uses that link instead of opening the mouse.
struct CliHost {
    HidBackend* backend = nullptr;
    DeviceSession* session = nullptr;
    SimMouse* sim = nullptr;
    // The contents of the file the command names, read by varcelctl: the
    // running program opens no file its caller names.
    const std::string* input = nullptr;
};

// A command line (without the program's name) run inside the running
// Varcel for varcelctl, on its mouse and data folder, with what it printed.
// The folder and the mouse are the host's: options that choose others are
// refused.
CommandOutput runHostedVarcelctl(const std::vector<std::string>& args, const std::filesystem::path& dataDir,
                                 bool simulate, const CliHost& host, const std::string* input = nullptr);

} // namespace varcel
