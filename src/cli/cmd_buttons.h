// varcelctl button and labels.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addButtonCommands(CLI::App& app, CliContext& context);

} // namespace varcel
