#include "platform/focus_watch.h"

#include "platform/shared_library.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace varcel {

namespace {

// libxcb, opened when the focus is first watched (see shared_library.h):
// varcelctl needs it only for the doctor, and the window's toolkit has it
// loaded already. Its types come from its header.
struct Xcb {
    Xcb()
    {
        missing = loadFunctions(
            "libxcb.so.1", std::pair{&connect, "xcb_connect"},
            std::pair{&connectionHasError, "xcb_connection_has_error"}, std::pair{&disconnect, "xcb_disconnect"},
            std::pair{&flush, "xcb_flush"}, std::pair{&getFileDescriptor, "xcb_get_file_descriptor"},
            std::pair{&getSetup, "xcb_get_setup"}, std::pair{&setupRootsIterator, "xcb_setup_roots_iterator"},
            std::pair{&changeWindowAttributes, "xcb_change_window_attributes"},
            std::pair{&pollForEvent, "xcb_poll_for_event"}, std::pair{&internAtom, "xcb_intern_atom"},
            std::pair{&internAtomReply, "xcb_intern_atom_reply"}, std::pair{&getProperty, "xcb_get_property"},
            std::pair{&getPropertyReply, "xcb_get_property_reply"},
            std::pair{&getPropertyValue, "xcb_get_property_value"},
            std::pair{&getPropertyValueLength, "xcb_get_property_value_length"});
    }
    decltype(&xcb_connect) connect = nullptr;
    decltype(&xcb_connection_has_error) connectionHasError = nullptr;
    decltype(&xcb_disconnect) disconnect = nullptr;
    decltype(&xcb_flush) flush = nullptr;
    decltype(&xcb_get_file_descriptor) getFileDescriptor = nullptr;
    decltype(&xcb_get_setup) getSetup = nullptr;
    decltype(&xcb_setup_roots_iterator) setupRootsIterator = nullptr;
    decltype(&xcb_change_window_attributes) changeWindowAttributes = nullptr;
    decltype(&xcb_poll_for_event) pollForEvent = nullptr;
    decltype(&xcb_intern_atom) internAtom = nullptr;
    decltype(&xcb_intern_atom_reply) internAtomReply = nullptr;
    decltype(&xcb_get_property) getProperty = nullptr;
    decltype(&xcb_get_property_reply) getPropertyReply = nullptr;
    decltype(&xcb_get_property_value) getPropertyValue = nullptr;
    decltype(&xcb_get_property_value_length) getPropertyValueLength = nullptr;
    std::string missing; // empty when every function is there
};

const Xcb& xcb()
{
    static const Xcb loaded;
    return loaded;
}

// Replies are owned by the caller and freed with free().
template <typename T>
struct Reply {
    T* p = nullptr;
    ~Reply() { std::free(p); }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

class X11FocusWatch : public FocusWatch {
public:
    explicit X11FocusWatch(xcb_connection_t* connection) : m_connection(connection)
    {
        m_root = xcb().setupRootsIterator(xcb().getSetup(m_connection)).data->root;
        m_activeWindow = atom("_NET_ACTIVE_WINDOW");
        m_wmClass = atom("WM_CLASS");
        m_pid = atom("_NET_WM_PID");
        // The window manager announces each activation on the root window:
        // the program sleeps until it does.
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb().changeWindowAttributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb().flush(m_connection);
        m_changed = true;
    }
    ~X11FocusWatch() override { xcb().disconnect(m_connection); }

    // An EWMH window manager says so on the root window; it keeps
    // _NET_ACTIVE_WINDOW once a window was first activated.
    bool managed()
    {
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        return property(m_root, check, XCB_ATOM_WINDOW).size() == sizeof(xcb_window_t);
    }
    int fd() const override { return xcb().getFileDescriptor(m_connection); }
    bool broken() const override { return xcb().connectionHasError(m_connection) != 0; }

    std::optional<FocusedApp> drain() override
    {
        std::optional<FocusedApp> latest;
        // The replies read below may bring events along, which xcb keeps in
        // its queue without the descriptor waking anyone: the queue is
        // emptied until no change is left.
        for (;;) {
            while (xcb_generic_event_t* event = xcb().pollForEvent(m_connection)) {
                if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                    reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == m_activeWindow)
                    m_changed = true;
                std::free(event);
            }
            if (!m_changed)
                return latest;
            m_changed = false;
            const std::optional<xcb_window_t> window = activeWindow();
            if (window && *window != m_lastWindow && *window != XCB_WINDOW_NONE) {
                m_lastWindow = *window;
                latest = describe(*window);
            }
        }
    }

private:
    FocusedApp describe(xcb_window_t window)
    {
        FocusedApp app;
        const std::string classes = property(window, m_wmClass, XCB_ATOM_STRING);
        // WM_CLASS is the instance and the class, each ended by a NUL.
        const std::size_t split = classes.find('\0');
        app.instance = classes.substr(0, split);
        if (split != std::string::npos)
            app.windowClass = classes.substr(split + 1, classes.find('\0', split + 1) - split - 1);
        const std::string pid = property(window, m_pid, XCB_ATOM_CARDINAL);
        if (std::uint32_t number = 0; pid.size() == sizeof number) {
            std::memcpy(&number, pid.data(), sizeof number);
            app.executable = executableOfProcess(number);
        }
        return app;
    }

    xcb_atom_t atom(const char* name)
    {
        Reply<xcb_intern_atom_reply_t> reply{xcb().internAtomReply(
            m_connection, xcb().internAtom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr)};
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
    {
        Reply<xcb_get_property_reply_t> reply{xcb().getPropertyReply(
            m_connection, xcb().getProperty(m_connection, 0, window, name, type, 0, 256), nullptr)};
        if (!reply || reply->type != type)
            return {};
        const auto* data = static_cast<const char*>(xcb().getPropertyValue(reply.p));
        return std::string(data, static_cast<std::size_t>(xcb().getPropertyValueLength(reply.p)));
    }

    std::optional<xcb_window_t> activeWindow()
    {
        const std::string value = property(m_root, m_activeWindow, XCB_ATOM_WINDOW);
        if (value.size() != sizeof(xcb_window_t))
            return std::nullopt;
        xcb_window_t window = 0;
        std::memcpy(&window, value.data(), sizeof window);
        return window;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_activeWindow = XCB_ATOM_NONE;
    xcb_atom_t m_wmClass = XCB_ATOM_NONE;
    xcb_atom_t m_pid = XCB_ATOM_NONE;
    xcb_window_t m_lastWindow = 0;
    bool m_changed = false;
};

} // namespace

std::unique_ptr<FocusWatch> openX11FocusWatch(const char* display, std::string* why)
{
    if (!xcb().missing.empty())
        return noFocusWatch(why, "libxcb could not be loaded: " + xcb().missing);
    xcb_connection_t* connection = xcb().connect(display, nullptr);
    if (xcb().connectionHasError(connection)) {
        xcb().disconnect(connection);
        return noFocusWatch(why, "no X server answers");
    }
    auto watch = std::make_unique<X11FocusWatch>(connection);
    if (!watch->managed())
        return noFocusWatch(why, "the window manager does not tell which window is active (_NET_ACTIVE_WINDOW)");
    return watch;
}

} // namespace varcel
