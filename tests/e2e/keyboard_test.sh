#!/usr/bin/env bash
# The window by keyboard alone, with real X key events and no click: box 3
# gets the single key F5 through its list and the single-key dialog, Apply
# sends it, and the simulated mouse holds it.
#   keyboard_test.sh BIN_DIR LAYOUT_POINT SCREENSHOT_DIR
set -u
bin=$1
point=$2
shots=$3
mkdir -p "$shots"
. "$(dirname "$0")/x_session.sh"
x_session "$bin"

# No tray host: the window shows at once.
start_varcel
main_window
# No window manager gives the window the keyboard: it is given to it, as a
# desktop would on showing it.
xdotool windowfocus --sync "$window" || fail "the window could not take the keyboard"
keys() { # COUNT KEY
    local i
    for i in $(seq 1 "$1"); do xdotool key --delay 40 "$2"; done
    sleep 0.2
}

# The page buttons, the frame's three buttons, Mode A, Mode B, boxes 1 to 3.
keys 10 Tab
import -window "$window" "$shots/e2e-keyboard-focus-box-3.png" 2>/dev/null || fail "no screenshot of the window"
keys 1 Return
# Up to the top of the function list, then down to "Single Key" (row 12).
keys 16 Up
keys 11 Down
keys 1 Return
read -r dw dh < <("$point" dialog-size single-key)
dialog=""
for n in $(seq 1 50); do dialog=$(window_sized "$dw" "$dh"); [ -n "$dialog" ] && break; sleep 0.1; done
[ -n "$dialog" ] || fail "Enter on \"Single Key\" did not open the single-key dialog"
xdotool windowfocus --sync "$dialog"
keys 1 F5
# Tab leaves the key field for OK, where Enter is OK.
keys 1 Tab
import -window "$dialog" "$shots/e2e-keyboard-single-key-ok.png" 2>/dev/null
keys 1 Return
for n in $(seq 1 30); do [ -z "$(window_sized "$dw" "$dh")" ] && break; sleep 0.1; done
[ -z "$(window_sized "$dw" "$dh")" ] || fail "Enter on OK did not close the dialog"

# Back from box 3 to Apply: boxes 2 and 1, Mode B, Mode A, the frame's three
# buttons, the page buttons, Cancel, Apply.
xdotool windowfocus --sync "$window"
keys 11 shift+Tab
import -window "$window" "$shots/e2e-keyboard-focus-apply.png" 2>/dev/null
keys 1 space
sleep 1

# The program ends as at logout, which keeps what the simulated mouse was sent.
kill -TERM "$varcel"
expect_end "varcel did not end"

device=$("$bin/varcelctl" --simulate --data-dir "$work" device) || fail "varcelctl device failed"
# Button 3 of "Mode A" is slot 2 of key matrix 1; F5 is the keyboard usage 0x3E.
echo "$device" | awk '/^Key matrix 1:/ {m=1; next} /^Key matrix/ {m=0} m' | grep -E "slot 2: 00 00 3E 00" >/dev/null ||
    { echo "$device"; fail "the mouse does not hold F5 on button 3"; }
labels=$("$bin/varcelctl" --data-dir "$work" labels) || fail "varcelctl labels failed"
echo "$labels" | grep -E "Item3 +Single Key-F5$" >/dev/null || { echo "$labels"; fail "the label of box 3 is not \"Single Key-F5\""; }
echo "PASS"
