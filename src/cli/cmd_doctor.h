// varcelctl doctor: what to run when something does not work.
#pragma once

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addDoctorCommand(CLI::App& app, CliContext& context);

} // namespace varcel
