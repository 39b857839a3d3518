#include "platform/focus_watch.h"
#include "platform/unique_fd.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace varcel {

namespace {

// The i3 IPC (which sway speaks too): a message is "i3-ipc", its payload's
// length and its type, both 32 bits in the machine's order, then the JSON
// payload. Events carry the high bit in their type.
constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 8;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kWindowEvent = 0x80000003;
// A whole tree of a busy desktop is a few hundred kilobytes.
constexpr std::uint32_t kMaxPayload = 16u << 20;
// The answers at start come within this, or the compositor is stuck.
constexpr int kStartTimeoutMs = 2000;
// App IDs, classes and instances are short names; longer ones match no rule.
constexpr std::size_t kMaxName = 512;
// sway nests containers a few levels deep; no tree honestly reaches this.
constexpr int kMaxDepth = 64;

std::string nameField(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return {};
    const std::string& value = it->get_ref<const std::string&>();
    return value.size() <= kMaxName ? value : std::string();
}

// A window container, as sway and i3 describe it in events and the tree.
FocusedApp describe(const nlohmann::json& container)
{
    FocusedApp app;
    app.appId = nameField(container, "app_id");
    if (const auto props = container.find("window_properties"); props != container.end() && props->is_object()) {
        app.windowClass = nameField(*props, "class");
        app.instance = nameField(*props, "instance");
    }
    // Xwayland windows under sway have a class and no app ID, Wayland ones
    // the reverse; rules on the class should match both.
    if (app.windowClass.empty())
        app.windowClass = app.appId;
    if (const auto pid = container.find("pid"); pid != container.end() && pid->is_number_integer())
        app.executable = executableOfProcess(pid->get<long>());
    return app;
}

const nlohmann::json* focusedIn(const nlohmann::json& node, int depth)
{
    if (!node.is_object() || depth > kMaxDepth)
        return nullptr;
    if (const auto f = node.find("focused"); f != node.end() && f->is_boolean() && f->get<bool>() &&
                                             (node.contains("app_id") || node.contains("window_properties")))
        return &node;
    for (const char* key : {"nodes", "floating_nodes"})
        if (const auto children = node.find(key); children != node.end() && children->is_array())
            for (const nlohmann::json& child : *children)
                if (const nlohmann::json* found = focusedIn(child, depth + 1))
                    return found;
    return nullptr;
}

class I3FocusWatch : public FocusWatch {
public:
    explicit I3FocusWatch(int fd) : m_socket(adoptFd(fd)) {}

    // Subscribes to window events and asks for the tree, whose focused
    // window is the one in front now. False, with `why`, when the answers
    // do not come.
    bool begin(std::string* why)
    {
        if (!send(kSubscribe, R"(["window"])") || !send(kGetTree, "")) {
            if (why)
                *why = std::string("the IPC socket refuses requests: ") + std::strerror(errno);
            return false;
        }
        while (!m_haveTree && !m_broken) {
            pollfd p{fdOf(m_socket), POLLIN, 0};
            if (::poll(&p, 1, kStartTimeoutMs) <= 0) {
                if (why)
                    *why = "the IPC socket does not answer";
                return false;
            }
            readAvailable();
        }
        if (m_broken && why)
            *why = m_subscribed ? "the IPC socket closed" : "the compositor refused the subscription to window events";
        return !m_broken;
    }

    int fd() const override { return fdOf(m_socket); }
    bool broken() const override { return m_broken; }

    std::optional<FocusedApp> drain() override
    {
        readAvailable();
        return std::exchange(m_latest, std::nullopt);
    }

private:
    bool send(std::uint32_t type, std::string_view payload)
    {
        std::string message(kMagic, sizeof kMagic);
        const auto length = static_cast<std::uint32_t>(payload.size());
        message.append(reinterpret_cast<const char*>(&length), sizeof length);
        message.append(reinterpret_cast<const char*>(&type), sizeof type);
        message.append(payload);
        return ::send(fdOf(m_socket), message.data(), message.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(message.size());
    }

    // Reads what the socket holds without waiting, and takes each whole
    // message in it.
    void readAvailable()
    {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::recv(fdOf(m_socket), chunk, sizeof chunk, MSG_DONTWAIT);
            if (n > 0) {
                m_buffer.append(chunk, static_cast<std::size_t>(n));
                takeMessages();
                if (m_broken)
                    return;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                m_broken = true;
            return;
        }
    }

    void takeMessages()
    {
        std::size_t at = 0;
        while (m_buffer.size() - at >= kHeaderSize) {
            std::uint32_t length = 0;
            std::uint32_t type = 0;
            std::memcpy(&length, m_buffer.data() + at + sizeof kMagic, sizeof length);
            std::memcpy(&type, m_buffer.data() + at + sizeof kMagic + 4, sizeof type);
            if (std::memcmp(m_buffer.data() + at, kMagic, sizeof kMagic) != 0 || length > kMaxPayload) {
                m_broken = true; // not the IPC: nothing after it can be trusted
                return;
            }
            if (m_buffer.size() - at - kHeaderSize < length)
                break;
            take(type, std::string_view(m_buffer).substr(at + kHeaderSize, length));
            at += kHeaderSize + length;
        }
        m_buffer.erase(0, at);
    }

    void take(std::uint32_t type, std::string_view payload)
    {
        const nlohmann::json message = nlohmann::json::parse(payload, nullptr, false);
        if (!message.is_object() && !message.is_array())
            return;
        if (type == kSubscribe) {
            const auto success = message.find("success");
            m_subscribed = success != message.end() && success->is_boolean() && success->get<bool>();
            m_broken = m_broken || !m_subscribed;
        } else if (type == kGetTree) {
            m_haveTree = true;
            // Events read before this answer came before it was made.
            if (const nlohmann::json* focused = focusedIn(message, 0))
                m_latest = describe(*focused);
        } else if (type == kWindowEvent && message.is_object() && nameField(message, "change") == "focus") {
            if (const auto container = message.find("container"); container != message.end() && container->is_object())
                m_latest = describe(*container);
        }
    }

    UniqueFd m_socket;
    std::string m_buffer;
    std::optional<FocusedApp> m_latest;
    bool m_subscribed = false;
    bool m_haveTree = false;
    bool m_broken = false;
};

} // namespace

std::unique_ptr<FocusWatch> openI3FocusWatch(const std::string& socketPath, std::string* why)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return noFocusWatch(why, "the IPC socket's name is not usable: \"" + socketPath.substr(0, 200) + "\"");
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    auto watch = std::make_unique<I3FocusWatch>(fd);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return noFocusWatch(why, "no compositor answers on " + socketPath + ": " + std::strerror(errno));
    if (!watch->begin(why))
        return nullptr;
    return watch;
}

} // namespace varcel
