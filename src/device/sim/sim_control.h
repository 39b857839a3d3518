// The simulated mouse's control channel: lets anyone outside the running
// program plug it in, pull it out, or make it send a notification, as a user
// would with the real mouse. A Unix socket in the user's runtime folder,
// named after the data folder, so that each data folder has its own mouse.
//
// One line per connection, one answer line back:
//   plug | unplug | notify CODE VALUE | fault NAME [N] | state
//   -> "ok ..." or "error: ..."
#pragma once

#include "platform/failure.h"
#include "platform/unique_fd.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

namespace varcel {

class SimMouse;

// The socket's place: $XDG_RUNTIME_DIR, or else a folder in /tmp that only
// the user can enter (made when missing; refused when someone else owns it
// or may enter it).
Result<std::filesystem::path> simControlSocketPath(const std::filesystem::path& dataDir);

// Runs a control line against the mouse; returns the answer line.
std::string runSimControlLine(SimMouse& mouse, const std::string& line);

class SimControlServer {
public:
    SimControlServer(SimMouse& mouse, const std::filesystem::path& dataDir);
    ~SimControlServer();
    SimControlServer(const SimControlServer&) = delete;
    SimControlServer& operator=(const SimControlServer&) = delete;

    // Whether the socket is listening (another program may hold it).
    bool listening() const { return m_listen != nullptr; }
    // Why it is not listening.
    const Problem& problem() const { return m_problem; }
    // Poll this for readability, then call serve(): it stands for the
    // listening socket, every client and the clients' deadline together.
    int fd() const { return fdOf(m_epoll); }
    // Takes what has arrived and answers every whole line; never waits. A
    // slow or silent client only holds its own buffer, until its deadline.
    void serve();

    // A client has this long to send its line, and this many bytes.
    static constexpr std::chrono::milliseconds kClientDeadline{2000};
    static constexpr std::size_t kMaxLine = 256;
    static constexpr std::size_t kMaxClients = 16;

private:
    struct Client {
        std::string line;
        std::chrono::steady_clock::time_point deadline;
    };
    void accept();
    void readClient(int fd);
    void dropClient(int fd);
    void expireClients();
    void armTimer();

    SimMouse& m_mouse;
    std::filesystem::path m_path;
    Problem m_problem;
    UniqueFd m_listen;
    UniqueFd m_epoll;
    UniqueFd m_timer;
    std::map<int, Client> m_clients;
};

// Sends one control line to the running program; returns its answer, or
// why no program of this user heard it.
Result<std::string> sendSimControl(const std::filesystem::path& dataDir, const std::string& line);

} // namespace varcel
