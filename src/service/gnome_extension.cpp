#include "service/gnome_extension.h"

#include <gio/gio.h>

#include <memory>

namespace varcel {

namespace {

constexpr int kCallTimeoutMs = 2000;
// The Shell's ExtensionState: 1 is ENABLED, 3 ERROR, 4 OUT_OF_DATE.
constexpr double kEnabled = 1;
constexpr double kError = 3;
constexpr double kOutOfDate = 4;

struct VariantUnref {
    void operator()(GVariant* v) const { g_variant_unref(v); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;
struct ObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};

Variant callShell(GDBusConnection* bus, const char* interface, const char* method, GVariant* args, const char* type)
{
    return Variant(g_dbus_connection_call_sync(bus, "org.gnome.Shell", "/org/gnome/Shell", interface, method, args,
                                               G_VARIANT_TYPE(type), G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs,
                                               nullptr, nullptr));
}

// The Shell's major version, 0 when it does not answer.
int shellMajorVersion(GDBusConnection* bus)
{
    Variant reply = callShell(bus, "org.freedesktop.DBus.Properties", "Get",
                              g_variant_new("(ss)", "org.gnome.Shell", "ShellVersion"), "(v)");
    if (!reply)
        return 0;
    Variant boxed(g_variant_get_child_value(reply.get(), 0));
    Variant value(g_variant_get_variant(boxed.get()));
    if (!g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING))
        return 0;
    return std::atoi(g_variant_get_string(value.get(), nullptr));
}

} // namespace

GnomeFocusExtension gnomeFocusExtension(GDBusConnection* bus)
{
    GnomeFocusExtension found;
    std::unique_ptr<GDBusConnection, ObjectUnref> own;
    if (!bus) {
        own.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
        bus = own.get();
    }
    const int major = bus ? shellMajorVersion(bus) : 0;
    if (major <= 0) {
        found.problem = "GNOME Shell does not answer on the session bus; start Varcel from the GNOME session";
        return found;
    }
    found.uuid = major >= 45 ? gnome::kExtensionUuid : gnome::kLegacyExtensionUuid;
    Variant reply = callShell(bus, "org.gnome.Shell.Extensions", "GetExtensionInfo",
                              g_variant_new("(s)", found.uuid.c_str()), "(a{sv})");
    Variant info(reply ? g_variant_get_child_value(reply.get(), 0) : nullptr);
    double state = 0;
    if (!info || !g_variant_lookup(info.get(), "state", "d", &state)) {
        found.problem = "GNOME Shell " + std::to_string(major) + " does not know its extension " + found.uuid +
                        "; install Varcel's package (it puts the extension under "
                        "/usr/share/gnome-shell/extensions), log out and in, then run \"gnome-extensions enable " +
                        found.uuid + "\"";
        return found;
    }
    found.enabled = state == kEnabled;
    if (found.enabled)
        return found;
    if (state == kError || state == kOutOfDate) {
        const gchar* error = nullptr;
        g_variant_lookup(info.get(), "error", "&s", &error);
        found.problem = "the extension " + found.uuid + " failed in GNOME Shell " + std::to_string(major) +
                        (error && *error ? std::string(" (") + error + ")" : std::string()) +
                        "; \"journalctl --user -b | grep " + found.uuid + "\" tells more";
        return found;
    }
    found.problem =
        "the extension " + found.uuid + " is not enabled; run \"gnome-extensions enable " + found.uuid + "\"";
    return found;
}

} // namespace varcel
