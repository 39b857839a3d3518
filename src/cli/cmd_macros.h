// varcelctl macro: the macros of record.ini and their blocks in config.bin.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addMacroCommands(CLI::App& app, CliContext& context);

} // namespace varcel
