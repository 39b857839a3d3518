// varcelctl's GLib functions, loaded when the first is called rather than
// when the program starts, as its GObject and GIO ones are
// (gio_on_demand.cpp). Each function here looks its namesake up in
// libgio-2.0.so.0 (which brings GLib) once, and calls it.
//
// Only varcelctl links this file, with --as-needed, so it records no GLib
// to load at start; the window links GLib itself, as Qt loads it anyway and
// would otherwise call these. A GLib function varcelctl's code comes to call
// without a line here would bring the library back at start: the build of
// varcelctl stops then (src/varcelctl/CMakeLists.txt), and
// `nm -D --undefined-only varcelctl` names the function to add below.
#include "platform/on_demand.h"

#include <glib-unix.h>
#include <glib.h>

#include <cstdarg>

VARCEL_ON_DEMAND_LIBRARY("libgio-2.0.so.0")

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
