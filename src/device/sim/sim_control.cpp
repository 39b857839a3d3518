#include "device/sim/sim_control.h"

#include "device/sim/sim_mouse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace varcel {

namespace fs = std::filesystem;

namespace {

// A client that connects but says nothing is not waited for longer than this.
constexpr int kLineTimeoutMs = 500;

fs::path runtimeDir()
{
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir && fs::is_directory(dir))
        return dir;
    return fs::temp_directory_path();
}

bool fillAddress(const fs::path& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, text.c_str(), text.size());
    return true;
}

bool readLine(int fd, std::string& line)
{
    char c = 0;
    while (line.size() < 256) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kLineTimeoutMs) <= 0)
            return false;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

fs::path simControlSocketPath(const fs::path& dataDir)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(dataDir, ec);
    const std::size_t hash = std::hash<std::string>{}((ec ? dataDir : canonical).string());
    std::ostringstream name;
    name << "varcel-sim-" << ::getuid() << "-" << std::hex << (hash & 0xFFFFFFFFull) << ".sock";
    return runtimeDir() / name.str();
}

std::string runSimControlLine(SimMouse& mouse, const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "plug") {
        mouse.plug();
        return "ok plugged";
    }
    if (verb == "unplug") {
        mouse.unplug();
        return "ok unplugged";
    }
    if (verb == "notify") {
        int code = -1;
        int value = -1;
        if (!(in >> code >> value) || code < 0 || code > 255 || value < 0 || value > 255)
            return "error: notify takes a code and a value from 0 to 255";
        if (!mouse.plugged())
            return "error: the simulated mouse is unplugged";
        mouse.notify(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(value));
        return "ok sent";
    }
    if (verb == "fault") {
        std::string name;
        int count = 0;
        in >> name >> count;
        const auto fault = simFaultFromName(name);
        if (!fault)
            return "error: unknown fault \"" + name + "\"";
        mouse.setFault(*fault, count);
        return std::string("ok fault ") + simFaultName(*fault);
    }
    if (verb == "state")
        return std::string("ok ") + (mouse.plugged() ? "plugged" : "unplugged") + " fault " +
               simFaultName(mouse.fault());
    return "error: unknown command \"" + verb + "\"";
}

SimControlServer::SimControlServer(SimMouse& mouse, const fs::path& dataDir)
    : m_mouse(mouse), m_path(simControlSocketPath(dataDir))
{
    sockaddr_un address{};
    if (!fillAddress(m_path, address)) {
        m_error = "socket path too long";
        return;
    }
    // A socket file left by a program that ended without cleaning up is
    // taken over; one that answers belongs to a running program.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe >= 0) {
        const bool taken = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        if (taken) {
            m_error = "another program controls this simulated mouse";
            return;
        }
    }
    ::unlink(m_path.c_str());
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_fd, 8) != 0) {
        m_error = std::strerror(errno);
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
}

SimControlServer::~SimControlServer()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
}

void SimControlServer::serve()
{
    for (;;) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        std::string line;
        if (readLine(client, line))
            writeAll(client, runSimControlLine(m_mouse, line) + "\n");
        ::close(client);
    }
}

std::string sendSimControl(const fs::path& dataDir, const std::string& line)
{
    sockaddr_un address{};
    if (!fillAddress(simControlSocketPath(dataDir), address))
        throw std::runtime_error("socket path too long");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("no running Varcel program has the simulated mouse of this data folder "
                                 "(start one with --simulate, for example: varcelctl --simulate watch)");
    }
    writeAll(fd, line + "\n");
    std::string answer;
    readLine(fd, answer);
    ::close(fd);
    return answer;
}

} // namespace varcel
