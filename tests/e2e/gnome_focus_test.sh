#!/usr/bin/env bash
# Profiles follow the application in front under GNOME Shell (headless, on
# buses of the test's own) through Varcel's extension: doctor says how to
# enable it, "gnome-extensions enable" does, and two foot windows of app IDs
# game and desk, each activated as it opens and the front one closed, switch
# the simulated mouse between two profiles.
#   gnome_focus_test.sh BIN_DIR EXTENSIONS_DIR
set -u
bin=$1
extensions=$2
. "$(dirname "$0")/x_session.sh"
scratch_session "$bin"
private_bus
unset DISPLAY
export HOME=$work XDG_CONFIG_HOME=$work/config GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME
uuid=$(ls "$extensions" | grep legacy)
ours=$HOME/.local/share/gnome-shell/extensions
mkdir -p "$ours" && cp -r "$extensions/$uuid" "$ours/"

# The Shell wants a system bus (logind's) to start; one that allows all serves.
cat > "$work/system.conf" <<CONF
<busconfig><type>system</type><listen>unix:path=$work/system-bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
CONF
dbus-daemon --config-file="$work/system.conf" --nofork >/dev/null 2>&1 & pids+=($!)
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system-bus

# New windows take no focus without input devices here: this test-only
# extension activates each once it shows (before, GNOME ignores it).
activator=activate-new-windows@varcel.test
mkdir -p "$ours/$activator"
echo '{"uuid": "'$activator'", "name": "activate", "description": "test", "shell-version": ["43", "44"]}' \
    > "$ours/$activator/metadata.json"
cat > "$ours/$activator/extension.js" <<'JS'
let id = 0;
const activate = w => { const s = w.connect('shown', () => { w.disconnect(s); w.activate(global.get_current_time()); }); };
function init() {
    return {enable: () => { id = global.display.connect('window-created', (d, w) => activate(w)); },
        disable: () => global.display.disconnect(id)};
}
JS
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "['$activator']"

rm -f "$XDG_RUNTIME_DIR/gnome-shell-disable-extensions"
gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display=varcel-gnome \
    > "$work/gnome-shell.log" 2>&1 & pids+=($!)
export WAYLAND_DISPLAY=varcel-gnome
shell_up() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Extensions.GetExtensionInfo "$activator" 2>/dev/null | grep -q "'state': <1.0>"
}
for n in $(seq 1 100); do shell_up && break; sleep 0.1; done
shell_up || { tail -20 "$work/gnome-shell.log"; fail "GNOME Shell did not start with the test's extension"; }

focus_profiles app-id game desk
doctor() { "$bin/varcelctl" --data-dir "$work" doctor | grep "profiles:"; }
doctor | grep -F "FIX  profiles: no automatic switching (gnome: the extension $uuid is not enabled; run \"gnome-extensions enable $uuid\")" ||
    { doctor; fail "doctor does not say how to enable the extension"; }
gnome-extensions enable "$uuid" || fail "gnome-extensions enable failed"
for n in $(seq 1 50); do doctor | grep -q "OK   profiles: switched by the application in front (GNOME Shell: the extension $uuid)" && break; sleep 0.1; done
doctor | grep "OK   profiles: switched by the application in front (GNOME Shell: the extension $uuid)" ||
    { gnome-extensions info "$uuid"; fail "doctor does not see the extension enabled"; }

start_varcel QT_QPA_PLATFORM=offscreen
for n in $(seq 1 50); do grep -q "follow the application in front" "$work/varcel.log" && break; sleep 0.1; done
grep -q "follow the application in front through gnome$" "$work/varcel.log" || fail "the extension was not chosen"
open_window() { foot --app-id="$1" sleep 600 >/dev/null 2>&1 & pids+=($!); }
raise_with Game 8 open_window game
raise_with Desk 1 open_window desk
desk_window=${pids[-1]}
raise_with Game 8 kill "$desk_window"
echo "PASS: GNOME Shell's extension switched by the window in front"
