// The configuration image in readable form, field by field.
#pragma once

#include "device/config_image.h"

#include <nlohmann/json.hpp>

#include <string>

namespace varcel {

nlohmann::ordered_json imageToJson(const ConfigImage& image, std::uint8_t firstRunFlag);
std::string imageToText(const nlohmann::ordered_json& decoded);

} // namespace varcel
