// varcelctl pointer: the desktop's pointer settings as the advanced page
// keeps them in config.bin, and what the desktop holds now.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addPointerCommands(CLI::App& app, CliContext& context);

} // namespace varcel
