#!/usr/bin/env bash
# Profiles follow the application in front under sway (headless, as an
# unprivileged user): two foot windows of app IDs game and desk raised in
# turn with swaymsg switch the simulated mouse between two profiles, once
# through sway's IPC (chosen by itself where SWAYSOCK is set) and once
# through the foreign-toplevel protocol (where it is not), and varcelctl
# doctor names the backend each time.
#   sway_focus_test.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/x_session.sh"
scratch_session "$bin"
private_bus
unset DISPLAY
export HOME=$work

# sway refuses to run as root: it runs as nobody, in a folder of its own.
seat=$work/sway
mkdir -p "$seat/run" && chmod 711 "$work" && chmod 700 "$seat/run" && chown -R nobody:nogroup "$seat"
echo "output HEADLESS-1 resolution 1280x800" > "$seat/config"
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin HOME="$seat"
    XDG_RUNTIME_DIR="$seat/run" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
    WAYLAND_DISPLAY=wayland-1)
"${as_nobody[@]}" sway -c "$seat/config" > "$work/sway.log" 2>&1 & pids+=($!)
for n in $(seq 1 100); do ls "$seat"/run/sway-ipc.*.sock >/dev/null 2>&1 && [ -S "$seat/run/wayland-1" ] && break; sleep 0.1; done
ipc=$(ls "$seat"/run/sway-ipc.*.sock 2>/dev/null | head -n 1)
[ -S "$ipc" ] || { cat "$work/sway.log"; fail "sway did not start"; }
export WAYLAND_DISPLAY=$seat/run/wayland-1

"${as_nobody[@]}" foot --app-id=game sleep 600 >/dev/null 2>&1 & pids+=($!)
"${as_nobody[@]}" foot --app-id=desk sleep 600 >/dev/null 2>&1 & pids+=($!)
for id in game desk; do
    for n in $(seq 1 100); do swaymsg -s "$ipc" -t get_tree | grep -q "\"app_id\": \"$id\"" && break; sleep 0.1; done
    swaymsg -s "$ipc" -t get_tree | grep -q "\"app_id\": \"$id\"" || fail "no $id window"
done

focus_profiles app-id game desk
raise() { raise_with "$2" "$3" swaymsg -s "$ipc" "[app_id=$1] focus"; }
# One run of Varcel (offscreen: its own window stays out of sway's focus)
# with the backend it picks in an environment; the doctor agrees with it.
follow() { # BACKEND DOCTOR_WORDS ENV...
    local backend=$1 words=$2
    shift 2
    env "$@" "$bin/varcelctl" --data-dir "$work" doctor | grep "profiles: switched by the application in front ($words" ||
        fail "doctor does not name $backend"
    swaymsg -s "$ipc" "[app_id=desk] focus" >/dev/null
    start_varcel QT_QPA_PLATFORM=offscreen "$@"
    for n in $(seq 1 50); do grep -q "follow the application in front" "$work/varcel.log" && break; sleep 0.1; done
    grep -q "follow the application in front through $backend$" "$work/varcel.log" || fail "$backend was not chosen"
    # The window in front at start has its profile at once.
    for n in $(seq 1 50); do [ "$(switches)" -gt 0 ] && break; sleep 0.1; done
    grep -q "switched to profile Desk " "$work/varcel.log" || fail "$backend did not tell the window in front at start"
    raise game Game 8
    raise desk Desk 1
    raise game Game 8
    kill -TERM "$varcel"
    expect_end "varcel did not end"
}
follow i3 "sway or i3" SWAYSOCK="$ipc"
follow wlroots "Wayland: the compositor's foreign-toplevel" SWAYSOCK= I3SOCK=
echo "PASS: sway's IPC and the foreign-toplevel protocol both switched by the window in front"
