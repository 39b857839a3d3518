#!/usr/bin/env bash
# Varcel on a real X server with a real tray host: the tray icon docks, a
# click opens the window, a second start leaves at once, and pulling the
# simulated mouse out hides the window.
#   tray_test.sh BIN_DIR SCREENSHOT_DIR
set -u
bin=$1
shots=$2
mkdir -p "$shots"
. "$(dirname "$0")/x_session.sh"
x_session "$bin"
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 & pids+=($!)
sleep 0.5

start_varcel

# A window of Varcel's in sight, MIN to MAX pixels wide and at most MAX high.
shown_window() { # MIN MAX
    for id in $(xdotool search --onlyvisible --pid "$varcel" 2>/dev/null); do
        eval "$(xwininfo -id "$id" | awk '/Width:/ {print "w="$2} /Height:/ {print "h="$2}')"
        if [ "$w" -ge "$1" ] && [ "$w" -le "$2" ] && [ "$h" -le "$2" ]; then echo "$id"; return; fi
    done
}
# The same, waited for 10 s at most.
wait_window() { # MIN MAX
    local id=""
    for i in $(seq 1 100); do id=$(shown_window "$1" "$2"); [ -n "$id" ] && break; sleep 0.1; done
    echo "$id"
}
big_window() { shown_window 800 10000; }

# The tray icon: the program's own small window, docked in trayer's panel.
icon=$(wait_window 1 64)
[ -n "$icon" ] || { cat "$work/varcel.log"; fail "the tray icon did not dock"; }

# A second Varcel ends at once with status 0 and leaves the first running.
timeout 5 "$bin/varcel" --simulate --data-dir "$work" >/dev/null 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the second start ended with $status"
kill -0 "$varcel" 2>/dev/null || fail "the first Varcel ended"

[ -z "$(big_window)" ] || fail "the window showed before the tray was clicked"

eval "$(xwininfo -id "$icon" | awk '/Absolute upper-left X/ {print "ix="$4} /Absolute upper-left Y/ {print "iy="$4} /Width/ {print "iw="$2} /Height/ {print "ih="$2}')"
# The balloon of the mouse found at start points at the docked icon, not at
# the screen's corner where an icon not yet docked would have put it.
balloon=$(wait_window 65 799)
[ -n "$balloon" ] || fail "no balloon at start"
eval "$(xwininfo -id "$balloon" | awk '/Absolute upper-left X/ {print "bx="$4} /Width/ {print "bw="$2}')"
[ $((bx + bw)) -ge "$ix" ] || fail "the balloon at start ends at x $((bx + bw)), left of the tray icon at x $ix"
# The balloon of the mouse found at start points at the docked icon, not at
# the screen's corner where an icon not yet docked would have put it.
balloon=""
for i in $(seq 1 50); do
    for id in $(xdotool search --onlyvisible --pid "$varcel" 2>/dev/null); do
        eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print "bx="$4} /Width:/ {print "bw="$2}')"
        if [ "$bw" -gt 64 ] && [ "$bw" -lt 800 ]; then balloon=$id; break; fi
    done
    [ -n "$balloon" ] && break
    sleep 0.1
done
[ -n "$balloon" ] && [ $((bx + bw)) -ge "$ix" ] || fail "the balloon at start is at x ${bx:-?}, the icon at x $ix"
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
window=""
for i in $(seq 1 50); do window=$(big_window); [ -n "$window" ] && break; sleep 0.1; done
[ -n "$window" ] || fail "a click on the tray icon did not open the window"
sleep 0.3
import -window "$window" "$shots/e2e-window.png" 2>/dev/null || fail "no screenshot"

# Pulling the simulated mouse out hides the window.
"$bin/varcelctl" --data-dir "$work" sim unplug >/dev/null || fail "the control channel did not answer"
for i in $(seq 1 50); do [ -z "$(big_window)" ] && break; sleep 0.1; done
[ -z "$(big_window)" ] || fail "the window stayed after the mouse was pulled out"

# And with the mouse gone, a click on the icon warns instead of opening.
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
sleep 0.5
[ -z "$(big_window)" ] || fail "the window opened without a mouse"
# The icon's tip then says where to look, and the right button opens the
# menu: both on the whole screen's picture.
sleep 1.5
import -window root "$shots/e2e-tray-no-mouse.png" 2>/dev/null
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
sleep 0.8
import -window root "$shots/e2e-tray-menu.png" 2>/dev/null
xdotool key Escape
echo "PASS"
