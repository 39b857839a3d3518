#!/usr/bin/env bash
# The single-key dialog with real X key events: box 3 gets F5 through the
# window, Apply sends it, and the simulated mouse and str.ini show it.
#   single_key_test.sh BIN_DIR LAYOUT_POINT SCREENSHOT_DIR
set -u
bin=$1
point=$2
shots=$3
mkdir -p "$shots"
. "$(dirname "$0")/x_session.sh"
x_session "$bin"

# No tray host: the window shows at once.
"$bin/varcel" --simulate --data-dir "$work" > "$work/varcel.log" 2>&1 & varcel=$!
pids+=($varcel)

main_window
open_dialog "$point" 3 11 single-key
# The pointer rests on the dialog, which has the keyboard.
xdotool mousemove $((dx + dw / 2)) $((dy + dh / 2))
sleep 0.2
xdotool key F5
sleep 0.3
import -window "$dialog" "$shots/e2e-single-key-f5.png" 2>/dev/null || fail "no screenshot of the dialog"
read -r ox oy < <("$point" dialog single-key ok)
click_at "$dx" "$dy" "$ox" "$oy"
for i in $(seq 1 30); do [ -z "$(window_sized "$dw" "$dh")" ] && break; sleep 0.1; done
[ -z "$(window_sized "$dw" "$dh")" ] || fail "OK did not close the dialog"

read -r ax ay < <("$point" apply)
click_at "$wx" "$wy" "$ax" "$ay"
sleep 1
import -window "$window" "$shots/e2e-key-page-single-key-f5.png" 2>/dev/null

# Without a tray, closing the window ends the program, which keeps what the
# simulated mouse was sent.
read -r cx cy < <("$point" close)
click_at "$wx" "$wy" "$cx" "$cy"
for i in $(seq 1 50); do kill -0 "$varcel" 2>/dev/null || break; sleep 0.1; done
kill -0 "$varcel" 2>/dev/null && fail "closing the window did not end the program"

device=$("$bin/varcelctl" --simulate --data-dir "$work" device) || fail "varcelctl device failed"
# Button 3 of "Mode A" is slot 2 of key matrix 1; F5 is the keyboard usage 0x3E.
echo "$device" | awk '/^Key matrix 1:/ {m=1; next} /^Key matrix/ {m=0} m' | grep -E "slot 2: 00 00 3E 00" >/dev/null ||
    { echo "$device"; fail "the mouse does not hold F5 on button 3"; }
labels=$("$bin/varcelctl" --data-dir "$work" labels) || fail "varcelctl labels failed"
echo "$labels" | grep -E "Item3 +Single Key-F5$" >/dev/null || { echo "$labels"; fail "the label of box 3 is not \"Single Key-F5\""; }
echo "PASS"
