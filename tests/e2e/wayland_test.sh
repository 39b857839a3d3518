#!/usr/bin/env bash
# Varcel under a Wayland compositor (weston's headless backend), where no
# tray host is: the window shows at once, and its key page is drawn as under
# X11 (Xvfb), pixel for pixel.
#   wayland_test.sh BIN_DIR SCREENSHOT_DIR
set -u
bin=$1
shots=$2
mkdir -p "$shots"
. "$(dirname "$0")/x_session.sh"
x_session "$bin"

# Under X11, without a tray host, the window shows at once too.
"$bin/varcel" --simulate --data-dir "$work" > "$work/varcel.log" 2>&1 & varcel=$!
pids+=($varcel)
window=""
for i in $(seq 1 100); do
    for id in $(xdotool search --onlyvisible --pid "$varcel" 2>/dev/null); do
        eval "$(xwininfo -id "$id" | awk '/Width:/ {print "w="$2}')"
        [ "$w" -ge 800 ] && window=$id
    done
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the window did not show under X11"
sleep 0.5
import -window "$window" "$shots/e2e-x11-key-page.png" || fail "no screenshot under X11"
kill "$varcel"; wait "$varcel" 2>/dev/null

# The compositor on a plain background and without its panel, so the window
# stands out of the screenshot as it is.
cat > "$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
background-color=0xff204060
panel-position=none
locking=false
INI
weston --backend=headless-backend.so --use-pixman --debug --config="$work/weston.ini" --socket=varcel-test \
    --width=1280 --height=800 > "$work/weston.log" 2>&1 & pids+=($!)
for i in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/varcel-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/varcel-test" ] || { cat "$work/weston.log"; fail "weston did not start"; }
export WAYLAND_DISPLAY=varcel-test
QT_QPA_PLATFORM=wayland DISPLAY= "$bin/varcel" --simulate --data-dir "$work" > "$work/varcel.log" 2>&1 & varcel=$!
pids+=($varcel)
sleep 3
kill -0 "$varcel" 2>/dev/null || fail "Varcel ended under Wayland"
# weston-screenshooter writes wayland-screenshot-<time>.png where it runs.
(cd "$work" && weston-screenshooter) || { cat "$work/weston.log"; fail "no screenshot under Wayland"; }
shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -n 1)
[ -n "$shot" ] || fail "weston-screenshooter left no picture"
convert "$shot" -bordercolor '#204060' -border 1 -trim +repage "$shots/e2e-wayland-key-page.png"

size() { identify -format '%wx%h' "$1"; }
[ "$(size "$shots/e2e-wayland-key-page.png")" = "$(size "$shots/e2e-x11-key-page.png")" ] ||
    fail "the window is $(size "$shots/e2e-wayland-key-page.png") under Wayland, $(size "$shots/e2e-x11-key-page.png") under X11"
differ=$(compare -metric AE -fuzz 2% "$shots/e2e-wayland-key-page.png" "$shots/e2e-x11-key-page.png" null: 2>&1)
[ "${differ%.*}" -lt 100 ] || fail "the key page differs from X11 in $differ pixels"
echo "PASS"
