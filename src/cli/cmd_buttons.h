// varcelctl button and labels.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addButtonCommands(CLI::App& app, CliContext& context);

} // namespace varcel
