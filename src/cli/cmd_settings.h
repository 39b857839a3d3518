// varcelctl rate, dpi, rgb, color and dpi-color.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addSettingsCommands(CLI::App& app, CliContext& context);

} // namespace varcel
