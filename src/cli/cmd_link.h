// varcelctl link: the link constants the mouse is talked to with, set by
// hand or learned from a USB capture.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addLinkCommands(CLI::App& app, CliContext& context);

} // namespace varcel
