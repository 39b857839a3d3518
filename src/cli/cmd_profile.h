// varcelctl export and import: profiles of the whole configuration.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addProfileCommands(CLI::App& app, CliContext& context);

} // namespace varcel
