#include "device/device_status.h"

namespace varcel {

namespace {

constexpr StatusCode kAllCodes[] = {StatusCode::ReportRateChanged, StatusCode::DpiStageChanged,
                                    StatusCode::KeyMatrixChanged,  StatusCode::MacroChanged,
                                    StatusCode::Detected,          StatusCode::NotDetected};

} // namespace

const char* statusCodeName(StatusCode code)
{
    switch (code) {
    case StatusCode::ReportRateChanged: return "report-rate";
    case StatusCode::DpiStageChanged: return "dpi-stage";
    case StatusCode::KeyMatrixChanged: return "key-matrix";
    case StatusCode::MacroChanged: return "macro";
    case StatusCode::Detected: return "detected";
    case StatusCode::NotDetected: return "not-detected";
    }
    return "unknown";
}

std::optional<StatusCode> statusCodeFromName(std::string_view name)
{
    for (StatusCode code : kAllCodes)
        if (name == statusCodeName(code))
            return code;
    return std::nullopt;
}

} // namespace varcel
