#!/usr/bin/env bash
# Profiles follow the application in front on a real X server with a window
# manager (openbox keeps _NET_ACTIVE_WINDOW): two windows of different
# classes raised in turn switch the simulated mouse between two profiles,
# and focus flapping ten times within 300 ms makes at most one switch.
#   profile_focus_test.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/x_session.sh"
x_session "$bin"
openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
for n in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

focus_profiles class GameWindow DeskWindow

# Two small windows; xmessage's class is Xmessage, so each gets its own.
xmessage -name game game & pids+=($!)
xmessage -name desk desk & pids+=($!)
for name in game desk; do
    for n in $(seq 1 50); do id=$(xdotool search --classname "^$name\$" 2>/dev/null | head -n 1); [ -n "$id" ] && break; sleep 0.1; done
    [ -n "$id" ] || fail "no $name window"
    eval "$name=$id"
done
xdotool set_window --class GameWindow "$game"
xdotool set_window --class DeskWindow "$desk"

start_varcel
main_window

raise() { raise_with "$2" "$3" xdotool windowactivate --sync "$1"; }
raise "$game" Game 8
raise "$desk" Desk 1
raise "$game" Game 8

# Ten activations in one xdotool run, well within 300 ms, ending on the desk.
before=$(switches)
start=$(date +%s%N)
xdotool windowactivate "$desk" windowactivate "$game" windowactivate "$desk" windowactivate "$game" \
    windowactivate "$desk" windowactivate "$game" windowactivate "$desk" windowactivate "$game" \
    windowactivate "$desk" windowactivate "$game" windowactivate "$desk"
took=$((($(date +%s%N) - start) / 1000000))
[ "$took" -lt 300 ] || fail "the flapping took $took ms, not under 300"
sleep 1
made=$(($(switches) - before))
[ "$made" -le 1 ] || fail "focus flapping for $took ms made $made switches"
[ "$(rate)" = 1 ] || fail "after the flapping the mouse does not hold Desk, the profile of the window in front"
echo "PASS: switched by the window in front; ten changes in $took ms made $made switch"
