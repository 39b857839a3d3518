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
start_varcel

main_window
open_dialog "$point" 3 11 single-key
# The pointer rests on the dialog, which has the keyboard.
xdotool mousemove $((dx + dw / 2)) $((dy + dh / 2))
sleep 0.2
xdotool key F5
sleep 0.3
import -window "$dialog" "$shots/e2e-single-key-f5.png" 2>/dev/null || fail "no screenshot of the dialog"
ok_closes_dialog "$point" single-key
apply_and_close "$point" "$shots/e2e-key-page-single-key-f5.png"

device=$("$bin/varcelctl" --simulate --data-dir "$work" device) || fail "varcelctl device failed"
# Button 3 of "Mode A" is slot 2 of key matrix 1; F5 is the keyboard usage 0x3E.
echo "$device" | awk '/^Key matrix 1:/ {m=1; next} /^Key matrix/ {m=0} m' | grep -E "slot 2: 00 00 3E 00" >/dev/null ||
    { echo "$device"; fail "the mouse does not hold F5 on button 3"; }
labels=$("$bin/varcelctl" --data-dir "$work" labels) || fail "varcelctl labels failed"
echo "$labels" | grep -E "Item3 +Single Key-F5$" >/dev/null || { echo "$labels"; fail "the label of box 3 is not \"Single Key-F5\""; }
echo "PASS"
