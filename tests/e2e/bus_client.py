# A D-Bus client on GIO, as desktop programs use it, for bus_conformance_test.sh:
#   calls: for each line "INTERFACE|METHOD|SIGNATURE|JSON ARGUMENTS" of stdin,
#          prints "ok" or the error's name
#   watch: a GDBusProxy, which caches the properties, prints ActiveProfile and
#          Profiles as it holds them at start and after each PropertiesChanged
import json, sys
from gi.repository import Gio, GLib

NAME, PATH, IFACE = "io.github.varcel.Varcel", "/io/github/varcel/Varcel", "io.github.varcel.Varcel1"

def calls():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    for line in sys.stdin:
        iface, method, signature, args = line.rstrip("\n").split("|")
        values = [GLib.Variant("u", v) if t == "v" else v for t, v in zip(signature, json.loads(args))]
        try:
            bus.call_sync(NAME, PATH, iface, method, GLib.Variant("(" + signature + ")", tuple(values)), None,
                          Gio.DBusCallFlags.NO_AUTO_START, 5000, None)
            print("ok")
        except GLib.Error as e:
            print(Gio.DBusError.get_remote_error(e))

def watch():
    proxy = Gio.DBusProxy.new_for_bus_sync(Gio.BusType.SESSION, Gio.DBusProxyFlags.DO_NOT_AUTO_START, None, NAME,
                                           PATH, IFACE, None)

    def show(*_):
        held = [proxy.get_cached_property(p) for p in ("ActiveProfile", "Profiles")]
        print(" ".join(str(None if v is None else v.unpack()) for v in held), flush=True)

    show()
    proxy.connect("g-properties-changed", show)
    GLib.MainLoop().run()

{"calls": calls, "watch": watch}[sys.argv[1]]()
