// Tells Varcel, on the session bus, which application is in front: at each
// change of the focused window and when Varcel appears on the bus. Varcel
// picks the profile; this reports and does nothing else.
const kBusName = 'io.github.varcel.Varcel';
const kObjectPath = '/io/github/varcel/Varcel';
const kInterface = 'io.github.varcel.Varcel1';
const kCallTimeoutMs = 1000;

class FocusReporter {
    enable() {
        this._varcelRuns = false;
        this._focusId = global.display.connect('notify::focus-window', () => this._report());
        this._watchId = Gio.bus_watch_name(Gio.BusType.SESSION, kBusName, Gio.BusNameWatcherFlags.NONE,
            () => {
                this._varcelRuns = true;
                this._report();
            },
            () => {
                this._varcelRuns = false;
            });
    }

    disable() {
        global.display.disconnect(this._focusId);
        Gio.bus_unwatch_name(this._watchId);
        this._focusId = 0;
        this._watchId = 0;
    }

    _report() {
        const window = global.display.focus_window;
        if (!window || !this._varcelRuns)
            return;
        const wmClass = window.get_wm_class() || '';
        // The application's desktop file names it; a window without one
        // gets a made-up "window:N" app, and then a Wayland window's own app
        // ID (which GNOME gives as its class) is the best name.
        const app = Shell.WindowTracker.get_default().get_window_app(window);
        let appId = app ? app.get_id() || '' : '';
        if (appId.endsWith('.desktop'))
            appId = appId.slice(0, -'.desktop'.length);
        else if (window.get_client_type() === Meta.WindowClientType.WAYLAND)
            appId = wmClass;
        else
            appId = '';
        const args = new GLib.Variant('(sssu)',
            [appId, wmClass, window.get_wm_class_instance() || '', Math.max(0, window.get_pid())]);
        Gio.DBus.session.call(kBusName, kObjectPath, kInterface, 'FocusChanged', args, null,
            Gio.DBusCallFlags.NO_AUTO_START, kCallTimeoutMs, null, null);
    }
}
