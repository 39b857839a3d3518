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

start_sway game desk

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
