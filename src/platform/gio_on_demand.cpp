// GObject and GIO functions, loaded when the first is called rather than when
// the program starts: the session bus and GSettings are reached late or
// never, and the ten libraries GIO brings along, loaded and relocated at
// start, cost varcelctl more than the rest of its start together and hold
// back the window's tray icon. Each function here looks its namesake up in
// libgio-2.0.so.0 (which brings GObject) once, and calls it.
//
// varcelctl and varcel link this file with --as-needed, so neither records
// GIO or GObject to load at start. A function their code comes to call
// without a line here would bring the libraries back at start: the builds
// stop then (src/varcelctl/CMakeLists.txt, src/app/CMakeLists.txt), and
// `nm -D --undefined-only` names the function to add below.
#include "platform/on_demand.h"

#include <gio/gio.h>

VARCEL_ON_DEMAND_LIBRARY("libgio-2.0.so.0")

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
