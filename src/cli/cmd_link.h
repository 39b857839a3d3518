// varcelctl link: the link constants the mouse is talked to with, set by
// hand or learned from a USB capture.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addLinkCommands(CLI::App& app, CliContext& context);

} // namespace varcel
