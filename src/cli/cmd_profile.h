// varcelctl export and import: profiles of the whole configuration.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addProfileCommands(CLI::App& app, CliContext& context);

} // namespace varcel
