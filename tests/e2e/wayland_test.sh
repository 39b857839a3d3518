#!/usr/bin/env bash
# Varcel under weston's headless Wayland compositor, where no tray host is:
# the window shows at once, and its key page is drawn as under X11 (Xvfb).
#   wayland_test.sh BIN_DIR SCREENSHOT_DIR
set -u
bin=$1
shots=$2
mkdir -p "$shots"
. "$(dirname "$0")/x_session.sh"
x_session "$bin"

start_varcel
for i in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --pid "$varcel" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the window did not show under X11"
sleep 0.5
import -window "$window" "$shots/e2e-x11-key-page.png" || fail "no screenshot under X11"
kill "$varcel"

# A plain background and no panel: the window stands out of the screenshot.
printf '[shell]\nbackground-color=0xff204060\npanel-position=none\nlocking=false\n' > "$work/weston.ini"
weston --backend=headless-backend.so --use-pixman --debug --config="$work/weston.ini" --socket=varcel-test \
    --width=1280 --height=800 > "$work/weston.log" 2>&1 & pids+=($!)
for i in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/varcel-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/varcel-test" ] || { cat "$work/weston.log"; fail "weston did not start"; }
WAYLAND_DISPLAY=varcel-test QT_QPA_PLATFORM=wayland DISPLAY= "$bin/varcel" --simulate --data-dir "$work" \
    > "$work/varcel.log" 2>&1 & pids+=($!)
sleep 3
# weston-screenshooter leaves wayland-screenshot-<time>.png where it runs.
(cd "$work" && WAYLAND_DISPLAY=varcel-test weston-screenshooter) || fail "no screenshot under Wayland"
convert "$work"/wayland-screenshot-*.png -bordercolor '#204060' -border 1 -trim +repage \
    "$shots/e2e-wayland-key-page.png" || fail "the Wayland screenshot cannot be read"
size() { identify -format '%wx%h' "$1"; }
[ "$(size "$shots/e2e-wayland-key-page.png")" = "$(size "$shots/e2e-x11-key-page.png")" ] ||
    fail "the window is $(size "$shots/e2e-wayland-key-page.png") under Wayland, not as under X11"
differ=$(compare -metric AE -fuzz 2% "$shots/e2e-wayland-key-page.png" "$shots/e2e-x11-key-page.png" null: 2>&1)
[ "${differ%.*}" -lt 100 ] || fail "the key page differs from X11 in $differ pixels"
echo "PASS"
