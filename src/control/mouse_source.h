// The mouse both programs start from, as their options choose it: the real
// one (hidraw, udev's hot-plug) or the simulated mouse, whose memory lives in
// the data folder, with its faults, link constants, capture, hot-plug and
// remote control.
#pragma once

#include "device/hid_backend.h"
#include "device/hotplug.h"
#include "device/sim/sim_capture.h"
#include "device/sim/sim_control.h"
#include "device/sim/sim_mouse.h"

#include <filesystem>
#include <memory>
#include <string>

namespace varcel {

struct MouseOptions {
    bool simulate = false;
    std::string simFault = "none";
    int simUnplugAfter = 0;
    std::string simLink;     // KEY:TABLE the simulated mouse scrambles with; empty: the built-in ones
    std::string captureFile; // the simulated mouse's reports as a usbmon capture; empty: none
};

class MouseSource;

// A source, or why there is none: a fault the simulated mouse does not
// know (a usage error) or a capture that cannot be written.
struct MouseOpened {
    std::unique_ptr<MouseSource> source;
    bool unknownFault = false;
    Problem problem;
};

class MouseSource {
public:
    static MouseOpened open(const MouseOptions& options, const std::filesystem::path& dataDir);
    // The simulated mouse keeps its memory.
    ~MouseSource();
    MouseSource(const MouseSource&) = delete;
    MouseSource& operator=(const MouseSource&) = delete;

    HidBackend& backend() { return *m_backend; }
    SimMouse* sim() { return m_sim.get(); }
    // Plugging and unplugging, and the simulated mouse's remote control
    // (none for the real mouse), made when first asked for.
    HotplugSource& hotplug();
    SimControlServer* control();
    // Whether the simulated mouse's memory is saved (always for the real mouse).
    bool saveSimMemory() { return !m_sim || m_sim->saveMemory(); }

private:
    MouseSource() = default;

    std::filesystem::path m_dataDir;
    std::unique_ptr<UsbmonCaptureWriter> m_capture;
    std::unique_ptr<SimMouse> m_sim;
    std::unique_ptr<HidBackend> m_backend;
    std::unique_ptr<HotplugSource> m_hotplug;
    std::unique_ptr<SimControlServer> m_control;
};

} // namespace varcel
