// The simulated mouse's control channel: lets anyone outside the running
// program plug it in, pull it out, or make it send a notification, as a user
// would with the real mouse. A Unix socket in the user's runtime folder,
// named after the data folder, so that each data folder has its own mouse.
//
// One line per connection, one answer line back:
//   plug | unplug | notify CODE VALUE | fault NAME [N] | state
//   -> "ok ..." or "error: ..."
#pragma once

#include <filesystem>
#include <string>

namespace varcel {

class SimMouse;

std::filesystem::path simControlSocketPath(const std::filesystem::path& dataDir);

// Runs a control line against the mouse; returns the answer line.
std::string runSimControlLine(SimMouse& mouse, const std::string& line);

class SimControlServer {
public:
    SimControlServer(SimMouse& mouse, const std::filesystem::path& dataDir);
    ~SimControlServer();
    SimControlServer(const SimControlServer&) = delete;
    SimControlServer& operator=(const SimControlServer&) = delete;

    // Whether the socket is listening (another program may hold it).
    bool listening() const { return m_fd >= 0; }
    const std::string& error() const { return m_error; }
    // Poll this for readability, then call serve().
    int fd() const { return m_fd; }
    // Answers the waiting connections; never blocks for long.
    void serve();

private:
    SimMouse& m_mouse;
    std::filesystem::path m_path;
    std::string m_error;
    int m_fd = -1;
};

// Sends one control line to the running program; returns its answer, or
// throws std::runtime_error when no program listens.
std::string sendSimControl(const std::filesystem::path& dataDir, const std::string& line);

} // namespace varcel
