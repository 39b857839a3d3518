#include "device/sim/sim_control.h"

#include "device/sim/sim_mouse.h"
#include "platform/ini_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sstream>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

namespace varcel {

namespace fs = std::filesystem;

namespace {

// A client that connects but says nothing is not waited for longer than this.
constexpr int kLineTimeoutMs = 500;

// A folder for the socket that only the user can enter. $XDG_RUNTIME_DIR is
// such a folder by definition; the fallback in /tmp is made so, and checked,
// since anyone may have made it first.
Result<fs::path> runtimeDir()
{
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir && fs::is_directory(dir))
        return {dir};
    fs::path own = fs::temp_directory_path() / ("varcel-" + std::to_string(::getuid()));
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, Failure{FailureCode::FolderNotMade, own.string(), {}, errno}};
    struct stat st {};
    if (::lstat(own.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return {{}, Failure{FailureCode::FolderNotPrivate, own.string(), {}}};
    return {own};
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

// A program that is stopped (Ctrl+Z) still has its socket, but nobody takes
// the connections: once its queue is full, a connect would wait for good.
constexpr int kConnectTimeoutMs = 2000;

// Connects within kConnectTimeoutMs; errno says why not (EAGAIN: the queue
// stayed full).
bool connectWithTimeout(int fd, const sockaddr_un& address)
{
    timeval limit{kConnectTimeoutMs / 1000, (kConnectTimeoutMs % 1000) * 1000};
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0)
        return false;
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
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

Result<fs::path> simControlSocketPath(const fs::path& dataDir)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(dataDir, ec);
    const std::size_t hash = std::hash<std::string>{}((ec ? dataDir : canonical).string());
    std::ostringstream name;
    name << "varcel-sim-" << ::getuid() << "-" << std::hex << (hash & 0xFFFFFFFFull) << ".sock";
    Result<fs::path> path = runtimeDir();
    if (!path.problem)
        path.value /= name.str();
    return path;
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
            return "error: unknown fault \"" + printableText(name) + "\"";
        mouse.setFault(*fault, count);
        return std::string("ok fault ") + simFaultName(*fault);
    }
    if (verb == "state")
        return std::string("ok ") + (mouse.plugged() ? "plugged" : "unplugged") + " fault " +
               simFaultName(mouse.fault());
    return "error: unknown command \"" + printableText(verb) + "\"";
}

SimControlServer::SimControlServer(SimMouse& mouse, const fs::path& dataDir) : m_mouse(mouse)
{
    const Result<fs::path> path = simControlSocketPath(dataDir);
    m_path = path.value;
    m_problem = path.problem;
    sockaddr_un address{};
    if (!m_problem && !fillAddress(m_path, address))
        m_problem = Failure{FailureCode::SocketPathTooLong, m_path.string(), {}};
    if (m_problem)
        return;
    // A socket file left by a program that ended without cleaning up is
    // taken over; one that answers belongs to a running program.
    if (const UniqueFd probe = adoptFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))) {
        if (connectWithTimeout(fdOf(probe), address) || errno == EAGAIN) {
            m_problem = Failure{FailureCode::SimMouseControlled, m_path.string(), {}};
            return;
        }
    }
    ::unlink(m_path.c_str());
    m_listen = adoptFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    m_epoll = adoptFd(::epoll_create1(EPOLL_CLOEXEC));
    m_timer = adoptFd(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
    const int listener = fdOf(m_listen);
    epoll_event listenEvent{EPOLLIN, {.fd = listener}};
    epoll_event timerEvent{EPOLLIN, {.fd = fdOf(m_timer)}};
    if (!m_listen || !m_epoll || !m_timer ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
        ::epoll_ctl(fdOf(m_epoll), EPOLL_CTL_ADD, listener, &listenEvent) != 0 ||
        ::epoll_ctl(fdOf(m_epoll), EPOLL_CTL_ADD, fdOf(m_timer), &timerEvent) != 0) {
        m_problem = Failure{FailureCode::SocketNotOpened, m_path.string(), {}, errno};
        m_listen.reset();
        m_epoll.reset();
        m_timer.reset();
        ::unlink(m_path.c_str());
    }
}

SimControlServer::~SimControlServer()
{
    for (auto& [fd, client] : m_clients)
        ::close(fd);
    if (m_listen)
        ::unlink(m_path.c_str());
}

void SimControlServer::serve()
{
    if (!m_epoll)
        return;
    std::array<epoll_event, 32> events{};
    const int n = ::epoll_wait(fdOf(m_epoll), events.data(), static_cast<int>(events.size()), 0);
    for (int i = 0; i < n; ++i) {
        const int fd = events[static_cast<std::size_t>(i)].data.fd;
        if (fd == fdOf(m_listen))
            accept();
        else if (fd == fdOf(m_timer)) {
            std::uint64_t expirations = 0;
            [[maybe_unused]] auto r = ::read(fd, &expirations, sizeof expirations);
        } else if (m_clients.count(fd))
            readClient(fd);
    }
    expireClients();
    armTimer();
}

void SimControlServer::accept()
{
    for (;;) {
        const int client = ::accept4(fdOf(m_listen), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0)
            return;
        // Only the user's own programs may steer the mouse.
        ucred peer{};
        socklen_t length = sizeof peer;
        const bool own = ::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
        epoll_event event{EPOLLIN, {.fd = client}};
        if (!own || m_clients.size() >= kMaxClients || ::epoll_ctl(fdOf(m_epoll), EPOLL_CTL_ADD, client, &event) != 0) {
            ::close(client);
            continue;
        }
        m_clients[client] = Client{{}, std::chrono::steady_clock::now() + kClientDeadline};
    }
}

void SimControlServer::readClient(int fd)
{
    Client& client = m_clients[fd];
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // the rest of the line comes later
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            client.line.append(buffer, static_cast<std::size_t>(n));
        const auto end = client.line.find('\n');
        // Once the client closed its side, a line without its line break still counts.
        if (end != std::string::npos || (n <= 0 && !client.line.empty()))
            writeAll(fd, runSimControlLine(m_mouse, client.line.substr(0, end)) + "\n");
        else if (client.line.size() > kMaxLine)
            writeAll(fd, "error: line too long\n");
        else if (n > 0)
            continue;
        dropClient(fd);
        return;
    }
}

void SimControlServer::dropClient(int fd)
{
    ::epoll_ctl(fdOf(m_epoll), EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    m_clients.erase(fd);
}

void SimControlServer::expireClients()
{
    const auto now = std::chrono::steady_clock::now();
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        const int fd = it->first;
        ++it;
        if (m_clients[fd].deadline <= now)
            dropClient(fd);
    }
}

void SimControlServer::armTimer()
{
    // The timer runs only while a client is waited for: idle means idle.
    itimerspec due{};
    if (!m_clients.empty()) {
        auto next = m_clients.begin()->second.deadline;
        for (const auto& [fd, client] : m_clients)
            next = std::min(next, client.deadline);
        const auto wait =
            std::max<std::chrono::nanoseconds>(next - std::chrono::steady_clock::now(), std::chrono::milliseconds(1));
        due.it_value.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
        due.it_value.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
    }
    ::timerfd_settime(fdOf(m_timer), 0, &due, nullptr);
}

Result<std::string> sendSimControl(const fs::path& dataDir, const std::string& line)
{
    const Result<fs::path> socket = simControlSocketPath(dataDir);
    if (socket.problem)
        return {{}, socket.problem};
    const fs::path& path = socket.value;
    const auto failed = [&](FailureCode code) { return Result<std::string>{{}, Failure{code, path.string(), {}}}; };
    sockaddr_un address{};
    if (!fillAddress(path, address))
        return failed(FailureCode::SocketPathTooLong);
    // Whoever owns the socket hears the line: it must be the user's own.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && (!S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()))
        return failed(FailureCode::SocketNotOwn);
    const UniqueFd socketFd = adoptFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = fdOf(socketFd);
    if (fd < 0 || !connectWithTimeout(fd, address))
        return failed(errno == EAGAIN ? FailureCode::SimProgramStopped : FailureCode::NoSimProgram);
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
        return failed(FailureCode::SocketNotOwn);
    writeAll(fd, line + "\n");
    Result<std::string> answer;
    readLine(fd, answer.value);
    return answer;
}

} // namespace varcel
