// varcelctl doctor: what to run when something does not work.
#pragma once

#include <CLI/CLI.hpp>

namespace varcel {

class CliContext;

void addDoctorCommand(CLI::App& app, CliContext& context);

} // namespace varcel
