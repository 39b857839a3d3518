// varcelctl rate, dpi, rgb, color and dpi-color.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addSettingsCommands(CLI::App& app, CliContext& context);

} // namespace varcel
