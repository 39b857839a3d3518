#include "service/bus_client.h"

#include "service/dbus_names.h"

#include <gio/gio.h>
#include <glib-unix.h>

#include <filesystem>

namespace varcel {

namespace {

constexpr int kCallTimeoutMs = 120000; // an apply with a mouse that times out every read still ends
// The bus and a program that runs answer at once; a program that is stopped
// or stuck is told within this.
constexpr int kAnswerTimeoutMs = 1000;

std::string takeError(GError* error)
{
    std::string text = error ? error->message : "";
    if (error) {
        // The remote error's name says nothing the user needs.
        if (gchar* stripped = g_dbus_error_get_remote_error(error)) {
            g_dbus_error_strip_remote_error(error);
            text = error->message;
            g_free(stripped);
        }
        g_error_free(error);
    }
    return text;
}

} // namespace

namespace {

struct Connecting {
    GDBusConnection* bus = nullptr;
    GError* error = nullptr;
    bool done = false;
};

void onConnected(GObject*, GAsyncResult* result, gpointer data)
{
    auto* state = static_cast<Connecting*>(data);
    state->bus = g_dbus_connection_new_for_address_finish(result, &state->error);
    state->done = true;
}

gboolean onConnectTimeout(gpointer cancellable)
{
    g_cancellable_cancel(static_cast<GCancellable*>(cancellable));
    return G_SOURCE_REMOVE;
}

} // namespace

std::unique_ptr<BusClient> BusClient::connect(std::string* why)
{
    // Asked without a bound, a bus that takes the connection and never
    // answers would hold varcelctl for good.
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!address) {
        const std::string text = takeError(error);
        if (why)
            *why = text;
        return nullptr;
    }
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GCancellable* cancellable = g_cancellable_new();
    Connecting state;
    g_dbus_connection_new_for_address(address,
                                      GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                           G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                      nullptr, cancellable, onConnected, &state);
    GSource* timeout = g_timeout_source_new(2 * kAnswerTimeoutMs);
    g_source_set_callback(timeout, onConnectTimeout, cancellable, nullptr);
    g_source_attach(timeout, context);
    while (!state.done)
        g_main_context_iteration(context, TRUE);
    const bool timedOut = g_cancellable_is_cancelled(cancellable);
    g_source_destroy(timeout);
    g_source_unref(timeout);
    g_object_unref(cancellable);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    if (!state.bus) {
        const std::string text = takeError(state.error);
        if (why)
            *why = timedOut ? "the session bus at " + std::string(address) + " does not answer" : text;
        g_free(address);
        return nullptr;
    }
    g_free(address);
    return std::unique_ptr<BusClient>(new BusClient(state.bus));
}

BusClient::~BusClient() { g_object_unref(m_bus); }

bool BusClient::nameHasOwner(const char* name)
{
    GVariant* reply = g_dbus_connection_call_sync(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name),
                                                  G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 2 * kAnswerTimeoutMs,
                                                  nullptr, nullptr);
    if (!reply)
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

std::optional<RunningVarcel> BusClient::running()
{
    if (!nameHasOwner(bus::kName))
        return std::nullopt;
    // The bus library answers Ping on its own thread: a program that is
    // stopped or stuck is told apart from one busy with a call.
    GVariant* ping = g_dbus_connection_call_sync(m_bus, bus::kName, bus::kPath, "org.freedesktop.DBus.Peer", "Ping",
                                                 nullptr, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, kAnswerTimeoutMs,
                                                 nullptr, nullptr);
    if (!ping) {
        RunningVarcel silent;
        silent.answers = false;
        GVariant* pid = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "GetConnectionUnixProcessID", g_variant_new("(s)", bus::kName), G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NONE, 2 * kAnswerTimeoutMs, nullptr, nullptr);
        if (pid) {
            g_variant_get(pid, "(u)", &silent.pid);
            g_variant_unref(pid);
        }
        return silent;
    }
    g_variant_unref(ping);
    GVariant* reply = g_dbus_connection_call_sync(m_bus, bus::kName, bus::kPath, bus::kPropertiesInterface, "GetAll",
                                                  g_variant_new("(s)", bus::kInterface), G_VARIANT_TYPE("(a{sv})"),
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, nullptr);
    if (!reply)
        return std::nullopt;
    RunningVarcel found;
    GVariant* all = g_variant_get_child_value(reply, 0);
    const gchar* text = nullptr;
    gboolean flag = FALSE;
    if (g_variant_lookup(all, "DataFolder", "&s", &text))
        found.dataFolder = text;
    if (g_variant_lookup(all, "Version", "&s", &text))
        found.version = text;
    if (g_variant_lookup(all, "Simulated", "b", &flag))
        found.simulated = flag;
    if (g_variant_lookup(all, "MousePresent", "b", &flag))
        found.mousePresent = flag;
    g_variant_unref(all);
    g_variant_unref(reply);
    return found;
}

std::optional<CommandOutput> BusClient::runCommand(const std::vector<std::string>& args, const std::string* input,
                                                   std::string* error)
{
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("as"));
    for (const std::string& arg : args)
        g_variant_builder_add(&builder, "s", arg.c_str());
    GVariant* parameters =
        input ? g_variant_new("(as@ay)", &builder,
                              g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, input->data(), input->size(), 1))
              : g_variant_new("(as)", &builder);
    GError* failure = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(m_bus, bus::kName, bus::kPath, bus::kInterface,
                                                  input ? "RunCommandWithInput" : "RunCommand", parameters,
                                                  G_VARIANT_TYPE("(iss)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                                  kCallTimeoutMs, nullptr, &failure);
    if (!reply) {
        const std::string text = takeError(failure);
        if (error)
            *error = text;
        return std::nullopt;
    }
    CommandOutput output;
    const gchar* out = nullptr;
    const gchar* err = nullptr;
    gint32 status = 0;
    g_variant_get(reply, "(i&s&s)", &status, &out, &err);
    output.status = status;
    output.out = out;
    output.err = err;
    g_variant_unref(reply);
    return output;
}

namespace {

struct WatchState {
    const std::function<void(const std::string&, int)>* event;
    GMainLoop* loop;
    int status = 0;
};

void onMouseEvent(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                  gpointer data)
{
    auto* state = static_cast<WatchState*>(data);
    const gchar* kind = nullptr;
    gint32 value = 0;
    g_variant_get(parameters, "(&si)", &kind, &value);
    (*state->event)(kind, value);
}

void onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                    gpointer data)
{
    auto* state = static_cast<WatchState*>(data);
    const gchar* newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
    if (newOwner && *newOwner == '\0') {
        state->status = 1;
        g_main_loop_quit(state->loop);
    }
}

gboolean onStop(gint, GIOCondition, gpointer data)
{
    g_main_loop_quit(static_cast<WatchState*>(data)->loop);
    return G_SOURCE_REMOVE;
}

} // namespace

int BusClient::watch(const std::function<void(const std::string& kind, int value)>& event, int stopFd)
{
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    WatchState state{&event, g_main_loop_new(context, FALSE)};
    const guint events =
        g_dbus_connection_signal_subscribe(m_bus, bus::kName, bus::kInterface, "MouseEvent", bus::kPath, nullptr,
                                           G_DBUS_SIGNAL_FLAGS_NONE, onMouseEvent, &state, nullptr);
    const guint owner = g_dbus_connection_signal_subscribe(m_bus, "org.freedesktop.DBus", "org.freedesktop.DBus",
                                                           "NameOwnerChanged", "/org/freedesktop/DBus", bus::kName,
                                                           G_DBUS_SIGNAL_FLAGS_NONE, onOwnerChanged, &state, nullptr);
    GSource* stop = g_unix_fd_source_new(stopFd, G_IO_IN);
    g_source_set_callback(stop, G_SOURCE_FUNC(onStop), &state, nullptr);
    g_source_attach(stop, context);
    // The program may have ended between the look-up and the subscription.
    if (nameHasOwner(bus::kName))
        g_main_loop_run(state.loop);
    else
        state.status = 1;
    g_source_destroy(stop);
    g_source_unref(stop);
    g_dbus_connection_signal_unsubscribe(m_bus, events);
    g_dbus_connection_signal_unsubscribe(m_bus, owner);
    g_main_loop_unref(state.loop);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return state.status;
}

bool servesSameFolder(const RunningVarcel& running, const std::string& dataFolder, bool simulated)
{
    if (running.simulated != simulated)
        return false;
    std::error_code ec1;
    std::error_code ec2;
    const auto theirs = std::filesystem::canonical(running.dataFolder, ec1);
    const auto ours = std::filesystem::canonical(dataFolder, ec2);
    return !ec1 && !ec2 && theirs == ours;
}

} // namespace varcel
