// The tray balloons that announce what the mouse did: found, lost, or a
// switch the user made on the mouse itself.
#pragma once

#include "device/config_image.h"
#include "device/device_status.h"
#include "lang/language.h"

#include <optional>
#include <string>

namespace varcel {

struct Balloon {
    std::string text;
    std::string title; // "Info" or "Warning", English in every language
    int timeoutMs = 0;
    std::string detail = {}; // a next step, shown on a line under the text; may be empty
};

// The balloon for a status code and its value, or nothing for a code or value
// the mouse is not known to send. A DPI stage is named with the DPI value the
// working image holds for it, in the list of the mouse's sensor.
std::optional<Balloon> balloonFor(StatusCode code, int value, Language language, const ConfigImage& working,
                                  std::uint8_t sensorType);

// The tray icon's tip: "Gaming mouse setting", and while the mouse is not
// there, on a second line, where to look.
std::string trayTip(Language language, bool mouseFound);

} // namespace varcel
