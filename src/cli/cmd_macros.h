// varcelctl macro: the macros of record.ini and their blocks in config.bin.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addMacroCommands(CLI::App& app, CliContext& context);

} // namespace varcel
