// Runs varcelctl as a user would and keeps what it printed.
#pragma once

#include "support/temp_dir.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace varcel::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `args` goes to a shell as written; quote what needs quoting. LANG is set
// to `lang` and the other locale variables are cleared; `prefix` runs the
// program through another (setpriv, timeout).
inline CliRun runVarcelctl(const std::string& program, const std::filesystem::path& dataDir, const std::string& args,
                           const std::string& lang = "C", const std::string& prefix = "")
{
    const auto errPath = dataDir / ".stderr.txt";
    const std::string command = prefix + "env -u LC_ALL -u LC_MESSAGES LANG=" + lang + " '" + program + "' --data-dir '" +
                                dataDir.string() + "' " + args + " 2>'" + errPath.string() + "'";
    CliRun result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = readBytes(errPath);
    result.err.assign(err.begin(), err.end());
    std::filesystem::remove(errPath);
    return result;
}

} // namespace varcel::test
