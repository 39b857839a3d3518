#include "platform/focus_watch.h"

#include "platform/shared_library.h"

#include <wayland-client-core.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <vector>

namespace varcel {

// The wlroots foreign-toplevel management protocol (version 3), as the
// compositor speaks it on the wire: the two interfaces' messages in the
// protocol's order, so that libwayland can marshal them. Only the events
// and the destroy request are used.
namespace wlr {

extern const wl_interface kHandle;

// libwayland takes the message tables as mutable; they are never written.
const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_interface* kHandleType[] = {&kHandle};

const wl_message kManagerRequests[] = {{"stop", "", kNoTypes}};
const wl_message kManagerEvents[] = {{"toplevel", "n", kHandleType}, {"finished", "", kNoTypes}};
const wl_message kHandleRequests[] = {{"set_maximized", "", kNoTypes},      {"unset_maximized", "", kNoTypes},
                                      {"set_minimized", "", kNoTypes},      {"unset_minimized", "", kNoTypes},
                                      {"activate", "o", kNoTypes},          {"close", "", kNoTypes},
                                      {"set_rectangle", "oiiii", kNoTypes}, {"destroy", "", kNoTypes},
                                      {"set_fullscreen", "2?o", kNoTypes},  {"unset_fullscreen", "2", kNoTypes}};
const wl_message kHandleEvents[] = {{"title", "s", kNoTypes},        {"app_id", "s", kNoTypes},
                                    {"output_enter", "o", kNoTypes}, {"output_leave", "o", kNoTypes},
                                    {"state", "a", kNoTypes},        {"done", "", kNoTypes},
                                    {"closed", "", kNoTypes},        {"parent", "3?o", kHandleType}};

const wl_interface kManager{"zwlr_foreign_toplevel_manager_v1", 3, 1, kManagerRequests, 2, kManagerEvents};
const wl_interface kHandle{"zwlr_foreign_toplevel_handle_v1", 3, 10, kHandleRequests, 8, kHandleEvents};

constexpr std::uint32_t kHandleDestroy = 7;
constexpr std::uint32_t kStateActivated = 2;

} // namespace wlr

namespace {

// libwayland-client, opened when the focus is first watched: varcelctl
// needs it only for the doctor.
struct Wayland {
    Wayland()
    {
        missing = loadFunctions(
            "libwayland-client.so.0", std::pair{&connect, "wl_display_connect"},
            std::pair{&disconnect, "wl_display_disconnect"}, std::pair{&getFd, "wl_display_get_fd"},
            std::pair{&dispatchPending, "wl_display_dispatch_pending"},
            std::pair{&prepareRead, "wl_display_prepare_read"}, std::pair{&readEvents, "wl_display_read_events"},
            std::pair{&cancelRead, "wl_display_cancel_read"}, std::pair{&flush, "wl_display_flush"},
            std::pair{&getError, "wl_display_get_error"}, std::pair{&marshal, "wl_proxy_marshal_array_flags"},
            std::pair{&addListener, "wl_proxy_add_listener"}, std::pair{&destroy, "wl_proxy_destroy"},
            std::pair{&registryInterface, "wl_registry_interface"},
            std::pair{&callbackInterface, "wl_callback_interface"});
    }
    decltype(&wl_display_connect) connect = nullptr;
    decltype(&wl_display_disconnect) disconnect = nullptr;
    decltype(&wl_display_get_fd) getFd = nullptr;
    decltype(&wl_display_dispatch_pending) dispatchPending = nullptr;
    decltype(&wl_display_prepare_read) prepareRead = nullptr;
    decltype(&wl_display_read_events) readEvents = nullptr;
    decltype(&wl_display_cancel_read) cancelRead = nullptr;
    decltype(&wl_display_flush) flush = nullptr;
    decltype(&wl_display_get_error) getError = nullptr;
    decltype(&wl_proxy_marshal_array_flags) marshal = nullptr;
    decltype(&wl_proxy_add_listener) addListener = nullptr;
    decltype(&wl_proxy_destroy) destroy = nullptr;
    wl_interface* registryInterface = nullptr; // data, not functions
    wl_interface* callbackInterface = nullptr;
    std::string missing;
};

const Wayland& wl()
{
    static const Wayland loaded;
    return loaded;
}

struct DisplayCloser {
    void operator()(wl_display* display) const { wl().disconnect(display); }
};
struct ProxyCloser {
    void operator()(wl_proxy* proxy) const { wl().destroy(proxy); }
};
// A toplevel's handle is destroyed by a request, so the compositor forgets it too.
struct HandleCloser {
    void operator()(wl_proxy* handle) const
    {
        wl_argument none{};
        wl().marshal(handle, wlr::kHandleDestroy, nullptr, 0, WL_MARSHAL_FLAG_DESTROY, &none);
    }
};
using Display = std::unique_ptr<wl_display, DisplayCloser>;
using Proxy = std::unique_ptr<wl_proxy, ProxyCloser>;

// A new object of `interface` made by request `opcode` of `parent`, whose
// arguments are `args` with the new ID's place among them (a request that
// takes nothing else: one empty argument).
wl_proxy* create(wl_proxy* parent, std::uint32_t opcode, const wl_interface* interface, std::uint32_t version,
                 wl_argument* args)
{
    return wl().marshal(parent, opcode, interface, version, 0, args);
}

// Listener tables hold the event handlers, each cast to libwayland's type.
template <class... Fn>
std::array<void (*)(), sizeof...(Fn)> listener(Fn... handlers)
{
    return {reinterpret_cast<void (*)()>(handlers)...};
}

class WlrootsFocusWatch;

// A toplevel sends its app ID and state, then "done" once they hold.
struct Toplevel {
    WlrootsFocusWatch* owner = nullptr;
    std::unique_ptr<wl_proxy, HandleCloser> handle;
    std::string appId;
    std::string nextAppId;
    bool activated = false;
    bool nextActivated = false;
};

constexpr std::size_t kMaxToplevels = 4096;
constexpr std::size_t kMaxName = 512;
constexpr std::uint32_t kManagerVersion = 3;
constexpr std::chrono::milliseconds kStartTimeout{2000};

class WlrootsFocusWatch : public FocusWatch {
public:
    explicit WlrootsFocusWatch(wl_display* display) : m_display(display) {}

    // Finds the protocol among the compositor's globals and takes the
    // toplevels that exist; false, with `why`, when it is not offered.
    bool begin(std::string* why)
    {
        static const auto registryListener = listener(
            +[](void* self, wl_proxy* registry, std::uint32_t name, const char* iface, std::uint32_t version) {
                static_cast<WlrootsFocusWatch*>(self)->global(registry, name, iface, version);
            },
            +[](void*, wl_proxy*, std::uint32_t) {});
        wl_argument newId{};
        m_registry.reset(create(reinterpret_cast<wl_proxy*>(m_display.get()), 1, wl().registryInterface, 1, &newId));
        const bool answered =
            m_registry &&
            wl().addListener(m_registry.get(), const_cast<void (**)()>(registryListener.data()), this) == 0 && settle();
        // The toplevels and their state come after the binding.
        if (answered && m_manager && settle())
            return true;
        if (why)
            *why = answered && !m_manager ? "the Wayland compositor does not offer zwlr_foreign_toplevel_manager_v1"
                                          : "the Wayland compositor does not answer";
        return false;
    }

    int fd() const override { return wl().getFd(m_display.get()); }
    bool broken() const override { return m_finished || wl().getError(m_display.get()) != 0; }

    std::optional<FocusedApp> drain() override
    {
        if (!broken())
            readAvailable(0);
        return std::exchange(m_latest, std::nullopt);
    }

private:
    void global(wl_proxy* registry, std::uint32_t name, const char* iface, std::uint32_t version)
    {
        static const auto managerListener = listener(
            +[](void* self, wl_proxy*, wl_proxy* handle) { static_cast<WlrootsFocusWatch*>(self)->toplevel(handle); },
            +[](void* self, wl_proxy*) { static_cast<WlrootsFocusWatch*>(self)->m_finished = true; });
        if (m_manager || std::strcmp(iface, wlr::kManager.name) != 0)
            return;
        const std::uint32_t bound = std::min(version, kManagerVersion);
        wl_argument args[4]{};
        args[0].u = name;
        args[1].s = wlr::kManager.name;
        args[2].u = bound;
        m_manager.reset(create(registry, 0, &wlr::kManager, bound, args));
        if (m_manager)
            wl().addListener(m_manager.get(), const_cast<void (**)()>(managerListener.data()), this);
    }

    void toplevel(wl_proxy* handle)
    {
        static const auto handleListener = listener(
            +[](void*, wl_proxy*, const char*) {},
            +[](void* data, wl_proxy*, const char* appId) {
                const std::size_t length = ::strnlen(appId, kMaxName + 1);
                static_cast<Toplevel*>(data)->nextAppId = length <= kMaxName ? std::string(appId, length) : "";
            },
            +[](void*, wl_proxy*, wl_proxy*) {}, +[](void*, wl_proxy*, wl_proxy*) {},
            +[](void* data, wl_proxy*, wl_array* states) {
                bool activated = false;
                const auto* state = static_cast<const std::uint32_t*>(states->data);
                for (std::size_t i = 0; i < states->size / sizeof *state; ++i)
                    activated = activated || state[i] == wlr::kStateActivated;
                static_cast<Toplevel*>(data)->nextActivated = activated;
            },
            +[](void* data, wl_proxy*) { static_cast<Toplevel*>(data)->owner->done(static_cast<Toplevel*>(data)); },
            +[](void* data, wl_proxy*) { static_cast<Toplevel*>(data)->owner->closed(static_cast<Toplevel*>(data)); },
            +[](void*, wl_proxy*, wl_proxy*) {});
        auto top = std::make_unique<Toplevel>();
        top->owner = this;
        top->handle.reset(handle);
        if (m_toplevels.size() >= kMaxToplevels)
            return; // forgotten at once: no desktop shows that many windows
        wl().addListener(handle, const_cast<void (**)()>(handleListener.data()), top.get());
        m_toplevels.push_back(std::move(top));
    }

    void done(Toplevel* top)
    {
        const bool newlyInFront = top->nextActivated && (!top->activated || top->nextAppId != top->appId);
        top->appId = top->nextAppId;
        top->activated = top->nextActivated;
        // The protocol has no process ID; the app ID serves as the class
        // too, as KWin and sway give it for Wayland windows.
        if (newlyInFront)
            m_latest = FocusedApp{top->appId, top->appId, "", ""};
    }

    void closed(Toplevel* top)
    {
        std::erase_if(m_toplevels, [top](const auto& known) { return known.get() == top; });
    }

    // Reads and dispatches what the compositor sent, waiting at most
    // `timeoutMs`; false when the connection failed.
    bool readAvailable(int timeoutMs)
    {
        while (wl().prepareRead(m_display.get()) != 0)
            if (wl().dispatchPending(m_display.get()) < 0)
                return false;
        wl().flush(m_display.get());
        pollfd p{fd(), POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) > 0) {
            if (wl().readEvents(m_display.get()) < 0)
                return false;
        } else {
            wl().cancelRead(m_display.get());
        }
        return wl().dispatchPending(m_display.get()) >= 0;
    }

    // A round trip with a bound: everything sent before it has been answered.
    bool settle()
    {
        static const auto callbackListener =
            listener(+[](void* flag, wl_proxy*, std::uint32_t) { *static_cast<bool*>(flag) = true; });
        bool answered = false;
        wl_argument newId{};
        Proxy callback(create(reinterpret_cast<wl_proxy*>(m_display.get()), 0, wl().callbackInterface, 1, &newId));
        if (!callback ||
            wl().addListener(callback.get(), const_cast<void (**)()>(callbackListener.data()), &answered) != 0)
            return false;
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        while (!answered) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readAvailable(static_cast<int>(left.count())))
                return false;
        }
        return true;
    }

    Display m_display;
    Proxy m_registry;
    Proxy m_manager;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    std::optional<FocusedApp> m_latest;
    bool m_finished = false;
};

} // namespace

std::unique_ptr<FocusWatch> openWlrootsFocusWatch(const char* display, std::string* why)
{
    if (!wl().missing.empty())
        return noFocusWatch(why, "libwayland-client could not be loaded: " + wl().missing);
    wl_display* connection = wl().connect(display);
    if (!connection)
        return noFocusWatch(why, std::string("no Wayland compositor answers: ") + std::strerror(errno));
    auto watch = std::make_unique<WlrootsFocusWatch>(connection);
    if (!watch->begin(why))
        return nullptr;
    return watch;
}

} // namespace varcel
