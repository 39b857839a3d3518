#include "service/bus_probe.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace varcel {

namespace {

using Clock = std::chrono::steady_clock;

// Replies on a bus are small; a peer sending more than this is not a bus.
constexpr std::size_t kMostRead = 64 * 1024;
constexpr std::uint32_t kHelloSerial = 1;
constexpr std::uint32_t kAskSerial = 2;

// A D-Bus method call to the bus itself, little-endian.
class Call {
public:
    Call(std::uint32_t serial, const char* member, const char* name)
    {
        const std::string body = name ? string(name) : std::string();
        bytes = {'l', 1, 0, 1};
        word(static_cast<std::uint32_t>(body.size()));
        word(serial);
        const std::size_t fieldsLength = bytes.size();
        word(0);
        field(1, 'o', "/org/freedesktop/DBus");
        field(2, 's', "org.freedesktop.DBus");
        field(3, 's', member);
        field(6, 's', "org.freedesktop.DBus");
        if (name)
            field(8, 'g', "s");
        const auto length = static_cast<std::uint32_t>(bytes.size() - fieldsLength - 4);
        std::memcpy(&bytes[fieldsLength], &length, 4);
        align(8);
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    std::string bytes;

private:
    void align(std::size_t to) { bytes.resize((bytes.size() + to - 1) / to * to, '\0'); }
    void word(std::uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); }
    static std::string string(const char* text)
    {
        const auto length = static_cast<std::uint32_t>(std::strlen(text));
        std::string out(reinterpret_cast<const char*>(&length), 4);
        return out + text + '\0';
    }
    void field(char code, char type, const char* value)
    {
        align(8);
        bytes += code;
        bytes += std::string{'\1', type, '\0'};
        if (type == 'g') {
            bytes += static_cast<char>(std::strlen(value));
            bytes += value;
            bytes += '\0';
            return;
        }
        align(4);
        bytes += string(value);
    }
};

// Reads the messages the bus sends, bounds checked: the answer to the call
// of serial kAskSerial when it is complete.
class Replies {
public:
    // nullopt: not yet complete; Unknown: not a bus reply that can be read.
    std::optional<NameOwner> answer(std::string_view data)
    {
        if (!m_authenticated) {
            const std::size_t end = data.find("\r\n");
            if (end == std::string_view::npos)
                return data.size() > 512 ? std::optional(NameOwner::Unknown) : std::nullopt;
            if (data.substr(0, 3) != "OK ")
                return NameOwner::Unknown;
            m_authenticated = true;
            m_at = end + 2;
        }
        while (true) {
            const std::string_view message = data.substr(m_at);
            if (message.size() < 16)
                return std::nullopt;
            const bool little = message[0] == 'l';
            if ((!little && message[0] != 'B') || message[3] != 1)
                return NameOwner::Unknown;
            const std::uint32_t bodyLength = word(message, 4, little);
            const std::uint32_t fieldsLength = word(message, 12, little);
            if (bodyLength > kMostRead || fieldsLength > kMostRead)
                return NameOwner::Unknown;
            const std::size_t bodyAt = (16 + fieldsLength + 7) / 8 * 8;
            if (message.size() < bodyAt + bodyLength)
                return std::nullopt;
            const std::optional<std::uint32_t> serial = replySerial(message.substr(0, 16 + fieldsLength), little);
            if (!serial)
                return NameOwner::Unknown;
            if (*serial == kAskSerial) {
                // A method return of one boolean; an error says nothing.
                if (message[1] != 2 || bodyLength < 4)
                    return NameOwner::Unknown;
                return word(message, bodyAt, little) ? NameOwner::Owned : NameOwner::None;
            }
            m_at += bodyAt + bodyLength;
        }
    }

private:
    static std::uint32_t word(std::string_view bytes, std::size_t at, bool little)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes[at + (little ? 3 - i : i)]);
            value = value << 8 | byte;
        }
        return value;
    }

    // The REPLY_SERIAL header field, 0 when there is none; nullopt when the
    // fields cannot be read.
    static std::optional<std::uint32_t> replySerial(std::string_view header, bool little)
    {
        std::uint32_t serial = 0;
        std::size_t at = 16;
        while (at < header.size()) {
            at = (at + 7) / 8 * 8;
            if (at + 3 > header.size())
                return std::nullopt;
            const char code = header[at];
            const auto signatureLength = static_cast<std::uint8_t>(header[at + 1]);
            if (signatureLength != 1 || at + 4 > header.size())
                return std::nullopt;
            const char type = header[at + 2];
            at += 4;
            if (type == 'g') {
                if (at >= header.size())
                    return std::nullopt;
                at += 1 + static_cast<std::uint8_t>(header[at]) + 1;
            } else if (type == 'u' || type == 's' || type == 'o') {
                at = (at + 3) / 4 * 4;
                if (at + 4 > header.size())
                    return std::nullopt;
                const std::uint32_t value = word(header, at, little);
                if (type == 'u' && code == 5)
                    serial = value;
                at += type == 'u' ? 4 : 4 + std::size_t{value} + 1;
            } else {
                return std::nullopt;
            }
        }
        if (at > header.size())
            return std::nullopt;
        return serial;
    }

    bool m_authenticated = false;
    std::size_t m_at = 0;
};

std::string unescaped(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            out += static_cast<char>(std::strtol(std::string(value.substr(i + 1, 2)).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The socket of a "unix:path=" or "unix:abstract=" address; nullopt for
// another transport.
std::optional<sockaddr_un> socketOf(std::string_view address, socklen_t& length)
{
    if (address.substr(0, 5) != "unix:")
        return std::nullopt;
    std::optional<sockaddr_un> found;
    std::string_view rest = address.substr(5);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const bool abstract = pair.substr(0, 9) == "abstract=";
        if (pair.substr(0, 5) != "path=" && !abstract)
            continue;
        const std::string path = unescaped(pair.substr(abstract ? 9 : 5));
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        const std::size_t at = abstract ? 1 : 0;
        if (path.empty() || path.size() + at >= sizeof(where.sun_path))
            return std::nullopt;
        std::memcpy(where.sun_path + at, path.data(), path.size());
        length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + at + path.size() + (abstract ? 0 : 1));
        found = where;
    }
    return found;
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

struct Socket {
    int fd = -1;
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// nullopt when nothing listens there (no bus).
std::optional<NameOwner> ask(const sockaddr_un& where, socklen_t length, const char* name, Clock::time_point deadline)
{
    Socket socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0)
        return NameOwner::Unknown;
    if (::connect(socket.fd, reinterpret_cast<const sockaddr*>(&where), length) != 0)
        return errno == ENOENT || errno == ECONNREFUSED ? std::nullopt : std::optional(NameOwner::Unknown);
    // The bus takes the credentials from the socket: the user ID is only
    // named, in hexadecimal digits of its decimal form.
    std::string request("\0AUTH EXTERNAL ", 15);
    for (const char digit : std::to_string(::getuid())) {
        static const char kHex[] = "0123456789abcdef";
        request += kHex[static_cast<unsigned char>(digit) >> 4];
        request += kHex[digit & 0xf];
    }
    request += "\r\nBEGIN\r\n";
    request += Call(kHelloSerial, "Hello", nullptr).bytes + Call(kAskSerial, "NameHasOwner", name).bytes;
    std::string_view unsent = request;
    std::string received;
    Replies replies;
    while (true) {
        pollfd poll{socket.fd, static_cast<short>(unsent.empty() ? POLLIN : POLLIN | POLLOUT), 0};
        if (::poll(&poll, 1, remainingMs(deadline)) <= 0)
            return NameOwner::Unknown;
        if (!unsent.empty() && (poll.revents & POLLOUT)) {
            const ssize_t sent = ::send(socket.fd, unsent.data(), unsent.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR)
                return NameOwner::Unknown;
            unsent.remove_prefix(sent > 0 ? static_cast<std::size_t>(sent) : 0);
        }
        if (poll.revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[4096];
            const ssize_t got = ::recv(socket.fd, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                return NameOwner::Unknown;
            if (got > 0)
                received.append(buffer, static_cast<std::size_t>(got));
            if (received.size() > kMostRead)
                return NameOwner::Unknown;
            if (const auto answer = replies.answer(received))
                return answer;
        }
    }
}

} // namespace

NameOwner probeNameOwner(const std::string& address, const char* name, std::chrono::milliseconds wait)
{
    const auto deadline = Clock::now() + wait;
    // Addresses are tried in turn, as GIO does, until one connects.
    std::string_view rest = address;
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view one = rest.substr(0, semicolon);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        if (one.empty())
            continue;
        socklen_t length = 0;
        const auto where = socketOf(one, length);
        if (!where)
            return NameOwner::Unknown;
        if (const auto answer = ask(*where, length, name, deadline))
            return *answer;
    }
    return NameOwner::None;
}

NameOwner probeSessionNameOwner(const char* name, std::chrono::milliseconds wait)
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return probeNameOwner(address, name, wait);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        const std::string bus = std::string(runtime) + "/bus";
        struct stat status {};
        if (::stat(bus.c_str(), &status) == 0)
            return probeNameOwner("unix:path=" + bus, name, wait);
    }
    // Without a display there is no bus to start either.
    const char* display = std::getenv("DISPLAY");
    return display && *display ? NameOwner::Unknown : NameOwner::None;
}

} // namespace varcel
