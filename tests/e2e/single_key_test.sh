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

# The visible window of Varcel at least WIDTH wide and exactly HEIGHT high, if any.
window_sized() {
    for id in $(xdotool search --onlyvisible --pid "$varcel" 2>/dev/null); do
        eval "$(xwininfo -id "$id" | awk '/Width:/ {print "w="$2} /Height:/ {print "h="$2}')"
        if [ "$w" -ge "$1" ] && [ "$h" -eq "$2" ]; then echo "$id"; return; fi
    done
}
origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}
click_at() { # WINDOW_ORIGIN_X WINDOW_ORIGIN_Y X Y
    xdotool mousemove $(($1 + $3)) $(($2 + $4)) && sleep 0.1 && xdotool click 1
}

window=""
for i in $(seq 1 100); do window=$(window_sized 800 630); [ -n "$window" ] && break; sleep 0.1; done
[ -n "$window" ] || fail "the window did not show"
sleep 0.3
read -r wx wy < <(origin "$window")

read -r bx by < <("$point" box 3)
click_at "$wx" "$wy" "$bx" "$by"
sleep 0.3
read -r rx ry < <("$point" function-row 3 11)
click_at "$wx" "$wy" "$rx" "$ry"

read -r dw dh < <("$point" dialog-size single-key)
dialog=""
for i in $(seq 1 50); do dialog=$(window_sized "$dw" "$dh"); [ -n "$dialog" ] && break; sleep 0.1; done
[ -n "$dialog" ] || fail "choosing Single Key did not open the single-key dialog"
sleep 0.3
read -r dx dy < <(origin "$dialog")
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
