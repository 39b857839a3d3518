#!/usr/bin/env bash
# Runs a test as on a desktop of its own: a private session bus, runtime
# folder and home, and no display but those the test starts, so that the
# user's session can neither break the test nor be touched by it. The bus,
# with whatever a test left on it, ends with the test.
#   private_session.sh COMMAND [ARGS...]
set -u
session=$(mktemp -d "${TMPDIR:-/tmp}/varcel-session-XXXXXX") || exit 1
bus=""
end() {
    [ -n "$bus" ] && kill "$bus" 2>/dev/null && wait "$bus" 2>/dev/null
    rm -rf "$session"
}
trap end EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME \
    XDG_SESSION_ID XDG_SESSION_TYPE XDG_CURRENT_DESKTOP DESKTOP_SESSION
export HOME="$session/home" XDG_RUNTIME_DIR="$session/run"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
dbus-daemon --session --nofork --print-address=3 3>"$session/bus" >/dev/null 2>&1 &
bus=$!
for _ in $(seq 1 100); do [ -s "$session/bus" ] && break; sleep 0.02; done
[ -s "$session/bus" ] || { echo "private_session.sh: the session bus did not start" >&2; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$session/bus")
export DBUS_SESSION_BUS_ADDRESS
"$@"
