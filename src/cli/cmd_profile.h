// varcelctl export and import: profiles of the whole configuration.
#pragma once

#include <cstddef>
#include <string>

namespace CLI {
class App;
}

namespace varcel {

class CliContext;

void addProfileCommands(CLI::App& app, CliContext& context);

// A profile is small; a limit keeps a wrong file name from reading gigabytes.
inline constexpr std::size_t kMaxProfileFileSize = std::size_t{16} << 20;

// An exported profile's text to FILE as export writes it: standard output,
// a FIFO or terminal as a stream, a regular file replaced whole. Returns the
// exit status or throws CliError.
int writeProfileText(CliContext& context, const std::string& file, const std::string& text);

} // namespace varcel
