// varcelctl's GLib, GObject and GIO functions, loaded when the first is
// called rather than when the program starts. Linked at start, the ten
// libraries GIO brings along cost a command that never reaches the session
// bus or GSettings (show, a simulated apply) more than the rest of its start
// together. Each function here looks its namesake up in libgio-2.0.so.0
// (which brings GObject and GLib) once, and calls it.
//
// Only varcelctl links this file, with --as-needed, so it records no GIO
// library to load at start; the window links GIO itself (Qt loads GLib
// anyway). A GLib function varcelctl's code comes to call without a line
// here would bring the libraries back at start: the build of varcelctl stops
// then (src/varcelctl/CMakeLists.txt), and `nm -D --undefined-only varcelctl`
// names the function to add below.
#include "platform/on_demand.h"

#include <gio/gio.h>
#include <glib-unix.h>

#include <cstdarg>

namespace {

void* onDemandSymbol(const char* name)
{
    using namespace varcel::library_detail;
    std::string missing;
    static void* const library = orStop(open("libgio-2.0.so.0", missing), missing);
    void* function = nullptr;
    find(library, name, &function, missing);
    return orStop(function, missing);
}

} // namespace

// GLib
VARCEL_ON_DEMAND(void, g_free, (gpointer mem), (mem))
VARCEL_ON_DEMAND(void, g_error_free, (GError * error), (error))
VARCEL_ON_DEMAND(const gchar*, g_strerror, (gint errnum), (errnum))
VARCEL_ON_DEMAND(guint, g_log_set_handler,
                 (const gchar* domain, GLogLevelFlags levels, GLogFunc function, gpointer data),
                 (domain, levels, function, data))
VARCEL_ON_DEMAND(void, g_log_remove_handler, (const gchar* domain, guint id), (domain, id))
VARCEL_ON_DEMAND(GMainContext*, g_main_context_new, (), ())
VARCEL_ON_DEMAND(void, g_main_context_push_thread_default, (GMainContext * context), (context))
VARCEL_ON_DEMAND(void, g_main_context_pop_thread_default, (GMainContext * context), (context))
VARCEL_ON_DEMAND(void, g_main_context_unref, (GMainContext * context), (context))
VARCEL_ON_DEMAND(GMainLoop*, g_main_loop_new, (GMainContext * context, gboolean running), (context, running))
VARCEL_ON_DEMAND(void, g_main_loop_run, (GMainLoop * loop), (loop))
VARCEL_ON_DEMAND(void, g_main_loop_quit, (GMainLoop * loop), (loop))
VARCEL_ON_DEMAND(void, g_main_loop_unref, (GMainLoop * loop), (loop))
VARCEL_ON_DEMAND(guint, g_source_attach, (GSource * source, GMainContext* context), (source, context))
VARCEL_ON_DEMAND(void, g_source_destroy, (GSource * source), (source))
VARCEL_ON_DEMAND(void, g_source_set_callback,
                 (GSource * source, GSourceFunc function, gpointer data, GDestroyNotify notify),
                 (source, function, data, notify))
VARCEL_ON_DEMAND(void, g_source_unref, (GSource * source), (source))
VARCEL_ON_DEMAND(GSource*, g_unix_fd_source_new, (gint fd, GIOCondition condition), (fd, condition))
VARCEL_ON_DEMAND(GSource*, g_timeout_source_new, (guint interval), (interval))
VARCEL_ON_DEMAND(gboolean, g_main_context_iteration, (GMainContext * context, gboolean mayBlock), (context, mayBlock))
VARCEL_ON_DEMAND(GVariant*, g_variant_new_fixed_array,
                 (const GVariantType* type, gconstpointer elements, gsize count, gsize size),
                 (type, elements, count, size))
VARCEL_ON_DEMAND(const GVariantType*, g_variant_type_checked_, (const gchar* type), (type))
VARCEL_ON_DEMAND(void, g_variant_builder_init, (GVariantBuilder * builder, const GVariantType* type), (builder, type))
VARCEL_ON_DEMAND(gboolean, g_variant_equal, (gconstpointer one, gconstpointer two), (one, two))
VARCEL_ON_DEMAND(GVariant*, g_variant_get_child_value, (GVariant * value, gsize index), (value, index))
VARCEL_ON_DEMAND(GVariant*, g_variant_new_double, (gdouble value), (value))
VARCEL_ON_DEMAND(GVariant*, g_variant_new_int32, (gint32 value), (value))
VARCEL_ON_DEMAND(GVariant*, g_variant_new_string, (const gchar* value), (value))
VARCEL_ON_DEMAND(GVariant*, g_variant_ref_sink, (GVariant * value), (value))
VARCEL_ON_DEMAND(const gchar*, g_variant_get_string, (GVariant * value, gsize* length), (value, length))
VARCEL_ON_DEMAND(GVariant*, g_variant_get_variant, (GVariant * value), (value))
VARCEL_ON_DEMAND(gboolean, g_variant_is_of_type, (GVariant * value, const GVariantType* type), (value, type))
VARCEL_ON_DEMAND(void, g_variant_unref, (GVariant * value), (value))
VARCEL_ON_DEMAND(GVariant*, g_variant_new_va, (const gchar* format, const gchar** end, va_list* arguments),
                 (format, end, arguments))
VARCEL_ON_DEMAND(void, g_variant_get_va, (GVariant * value, const gchar* format, const gchar** end, va_list* arguments),
                 (value, format, end, arguments))
VARCEL_ON_DEMAND(GVariant*, g_variant_lookup_value, (GVariant * dictionary, const gchar* key, const GVariantType* type),
                 (dictionary, key, type))
VARCEL_ON_DEMAND(void, g_variant_builder_add_value, (GVariantBuilder * builder, GVariant* value), (builder, value))

// The functions of a variable argument list, through their va_list forms.
extern "C" GVariant* g_variant_new(const gchar* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    GVariant* value = g_variant_new_va(format, nullptr, &arguments);
    va_end(arguments);
    return value;
}

extern "C" void g_variant_get(GVariant* value, const gchar* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    g_variant_get_va(value, format, nullptr, &arguments);
    va_end(arguments);
}

extern "C" void g_variant_builder_add(GVariantBuilder* builder, const gchar* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    g_variant_builder_add_value(builder, g_variant_new_va(format, nullptr, &arguments));
    va_end(arguments);
}

// As GLib does it: the dictionary made whole first, so that the strings read
// by "&s" stay valid after the value found is let go; a value of another
// type than the format's is not found.
extern "C" gboolean g_variant_lookup(GVariant* dictionary, const gchar* key, const gchar* format, ...)
{
    g_variant_get_data(dictionary);
    GVariant* value = g_variant_lookup_value(dictionary, key, nullptr);
    if (!value)
        return FALSE;
    if (!g_variant_check_format_string(value, format, FALSE)) {
        g_variant_unref(value);
        return FALSE;
    }
    va_list arguments;
    va_start(arguments, format);
    g_variant_get_va(value, format, nullptr, &arguments);
    va_end(arguments);
    g_variant_unref(value);
    return TRUE;
}
VARCEL_ON_DEMAND(gconstpointer, g_variant_get_data, (GVariant * value), (value))
VARCEL_ON_DEMAND(gboolean, g_variant_check_format_string, (GVariant * value, const gchar* format, gboolean copyOnly),
                 (value, format, copyOnly))

// GObject (g_object_ref is also a macro that keeps the argument's type)
#undef g_object_ref
VARCEL_ON_DEMAND(gpointer, g_object_ref, (gpointer object), (object))
VARCEL_ON_DEMAND(void, g_object_unref, (gpointer object), (object))
VARCEL_ON_DEMAND(GTypeInstance*, g_type_check_instance_cast, (GTypeInstance * instance, GType type), (instance, type))
VARCEL_ON_DEMAND(const gchar*, g_type_name, (GType type), (type))

// GIO: the session bus
VARCEL_ON_DEMAND(GDBusConnection*, g_bus_get_sync, (GBusType type, GCancellable* cancellable, GError** error),
                 (type, cancellable, error))
VARCEL_ON_DEMAND(GType, g_dbus_connection_get_type, (), ())
VARCEL_ON_DEMAND(gchar*, g_dbus_address_get_for_bus_sync, (GBusType type, GCancellable* cancellable, GError** error),
                 (type, cancellable, error))
VARCEL_ON_DEMAND(void, g_dbus_connection_new_for_address,
                 (const gchar* address, GDBusConnectionFlags flags, GDBusAuthObserver* observer,
                  GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data),
                 (address, flags, observer, cancellable, callback, data))
VARCEL_ON_DEMAND(GDBusConnection*, g_dbus_connection_new_for_address_finish, (GAsyncResult * result, GError** error),
                 (result, error))
VARCEL_ON_DEMAND(GCancellable*, g_cancellable_new, (), ())
VARCEL_ON_DEMAND(void, g_cancellable_cancel, (GCancellable * cancellable), (cancellable))
VARCEL_ON_DEMAND(gboolean, g_cancellable_is_cancelled, (GCancellable * cancellable), (cancellable))
VARCEL_ON_DEMAND(GVariant*, g_dbus_connection_call_sync,
                 (GDBusConnection * connection, const gchar* name, const gchar* path, const gchar* interface,
                  const gchar* method, GVariant* parameters, const GVariantType* replyType, GDBusCallFlags flags,
                  gint timeout, GCancellable* cancellable, GError** error),
                 (connection, name, path, interface, method, parameters, replyType, flags, timeout, cancellable, error))
VARCEL_ON_DEMAND(gboolean, g_dbus_connection_emit_signal,
                 (GDBusConnection * connection, const gchar* destination, const gchar* path, const gchar* interface,
                  const gchar* signal, GVariant* parameters, GError** error),
                 (connection, destination, path, interface, signal, parameters, error))
VARCEL_ON_DEMAND(gboolean, g_dbus_connection_flush_sync,
                 (GDBusConnection * connection, GCancellable* cancellable, GError** error),
                 (connection, cancellable, error))
VARCEL_ON_DEMAND(guint, g_dbus_connection_signal_subscribe,
                 (GDBusConnection * connection, const gchar* sender, const gchar* interface, const gchar* member,
                  const gchar* path, const gchar* arg0, GDBusSignalFlags flags, GDBusSignalCallback callback,
                  gpointer data, GDestroyNotify notify),
                 (connection, sender, interface, member, path, arg0, flags, callback, data, notify))
VARCEL_ON_DEMAND(void, g_dbus_connection_signal_unsubscribe, (GDBusConnection * connection, guint id), (connection, id))
VARCEL_ON_DEMAND(gchar*, g_dbus_error_get_remote_error, (const GError* error), (error))
VARCEL_ON_DEMAND(gboolean, g_dbus_error_strip_remote_error, (GError * error), (error))

// GIO: GSettings
VARCEL_ON_DEMAND(GSettingsBackend*, g_settings_backend_get_default, (), ())
VARCEL_ON_DEMAND(GSettingsSchemaSource*, g_settings_schema_source_get_default, (), ())
VARCEL_ON_DEMAND(GSettingsSchema*, g_settings_schema_source_lookup,
                 (GSettingsSchemaSource * source, const gchar* id, gboolean recursive), (source, id, recursive))
VARCEL_ON_DEMAND(gboolean, g_settings_schema_has_key, (GSettingsSchema * schema, const gchar* name), (schema, name))
VARCEL_ON_DEMAND(void, g_settings_schema_unref, (GSettingsSchema * schema), (schema))
VARCEL_ON_DEMAND(GSettings*, g_settings_new_full,
                 (GSettingsSchema * schema, GSettingsBackend* backend, const gchar* path), (schema, backend, path))
VARCEL_ON_DEMAND(gdouble, g_settings_get_double, (GSettings * settings, const gchar* key), (settings, key))
VARCEL_ON_DEMAND(gint, g_settings_get_int, (GSettings * settings, const gchar* key), (settings, key))
VARCEL_ON_DEMAND(gchar*, g_settings_get_string, (GSettings * settings, const gchar* key), (settings, key))
VARCEL_ON_DEMAND(GVariant*, g_settings_get_value, (GSettings * settings, const gchar* key), (settings, key))
VARCEL_ON_DEMAND(gboolean, g_settings_is_writable, (GSettings * settings, const gchar* key), (settings, key))
VARCEL_ON_DEMAND(gboolean, g_settings_set_value, (GSettings * settings, const gchar* key, GVariant* value),
                 (settings, key, value))
VARCEL_ON_DEMAND(void, g_settings_sync, (), ())
