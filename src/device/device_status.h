// Status codes the device side hands to the application: what the mouse
// switched on itself, and whether it was accepted.
#pragma once

namespace varcel {

enum class StatusCode : int {
    ReportRateChanged = 5, // value: report rate code 1, 2, 4 or 8
    DpiStageChanged = 7, // value: DPI stage 1 to 4
    KeyMatrixChanged = 8, // value: key matrix 1 or 2
    MacroChanged = 9, // value: macro number
    Detected = 14,    // the handshake accepted the mouse; value 0
    NotDetected = 15, // rejected, absent, or gone; value 0
};

class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void deviceStatus(StatusCode code, int value) = 0;
};

} // namespace varcel

#include <optional>
#include <string_view>

namespace varcel {

// Short names for the command line: "report-rate", "dpi-stage", "key-matrix",
// "macro", "detected", "not-detected".
const char* statusCodeName(StatusCode code);
std::optional<StatusCode> statusCodeFromName(std::string_view name);

} // namespace varcel
