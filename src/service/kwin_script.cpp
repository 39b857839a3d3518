#include "service/kwin_script.h"

#include "platform/atomic_file.h"
#include "service/dbus_names.h"

#include <gio/gio.h>

namespace varcel {

namespace {

constexpr int kCallTimeoutMs = 5000;

GVariant* callScripting(GDBusConnection* bus, const char* method, GVariant* args, const char* replyType,
                        std::string* why)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, kwin::kName, kwin::kScriptingPath, kwin::kScriptingInterface,
                                                  method, args, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
    if (!reply && why)
        *why = std::string("KWin's ") + method + ": " + (error ? error->message : "no answer");
    if (error)
        g_error_free(error);
    return reply;
}

} // namespace

std::string kwinScriptText()
{
    const std::string call = std::string("callDBus(\"") + bus::kName + "\", \"" + bus::kPath + "\", \"" +
                             bus::kInterface + "\", \"FocusChanged\",";
    return "// Loaded by Varcel while it runs: tells it which application is in front.\n"
           "function report(window) {\n"
           "    if (!window)\n"
           "        return;\n"
           "    " +
           call +
           "\n"
           "             String(window.desktopFileName || \"\"), String(window.resourceClass || \"\"),\n"
           "             String(window.resourceName || \"\"), Number(window.pid || 0));\n"
           "}\n"
           "if (workspace.windowActivated) {\n"
           "    workspace.windowActivated.connect(report);\n"
           "    report(workspace.activeWindow);\n"
           "} else {\n"
           "    workspace.clientActivated.connect(report);\n"
           "    report(workspace.activeClient);\n"
           "}\n";
}

KWinScript::KWinScript(GDBusConnection* bus)
{
    m_bus = bus ? G_DBUS_CONNECTION(g_object_ref(bus)) : g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

KWinScript::~KWinScript()
{
    unload();
    if (m_bus)
        g_object_unref(m_bus);
}

bool KWinScript::load(const std::filesystem::path& file, std::string* why)
{
    if (!m_bus) {
        if (why)
            *why = "no session bus";
        return false;
    }
    const std::string text = kwinScriptText();
    if (const int error = replaceFileAtomically(file, text.data(), text.size())) {
        if (why)
            *why = file.string() + ": " + g_strerror(error);
        return false;
    }
    // One of ours left loaded by a Varcel that was killed goes first: KWin
    // refuses a second script of the same name.
    if (GVariant* old = callScripting(m_bus, "unloadScript", g_variant_new("(s)", kwin::kPluginName), "(b)", nullptr))
        g_variant_unref(old);
    GVariant* id =
        callScripting(m_bus, "loadScript", g_variant_new("(ss)", file.c_str(), kwin::kPluginName), "(i)", why);
    if (!id)
        return false;
    gint32 number = -1;
    g_variant_get(id, "(i)", &number);
    g_variant_unref(id);
    if (number < 0) {
        if (why)
            *why = "KWin refused the script";
        return false;
    }
    m_loaded = true;
    GVariant* started = callScripting(m_bus, "start", nullptr, nullptr, why);
    if (!started) {
        unload();
        return false;
    }
    g_variant_unref(started);
    return true;
}

void KWinScript::unload()
{
    if (!m_loaded || !m_bus)
        return;
    m_loaded = false;
    if (GVariant* reply = callScripting(m_bus, "unloadScript", g_variant_new("(s)", kwin::kPluginName), "(b)", nullptr))
        g_variant_unref(reply);
}

} // namespace varcel
