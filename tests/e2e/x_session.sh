# Sourced by the end-to-end scripts: a scratch data folder with the built
# config.bin, an Xvfb display of its own, and clean-up of everything started.
#   x_session BIN_DIR
# sets work, DISPLAY and the pids array, and defines fail and the window
# helpers below.
x_session() {
    scratch_session "$1"

    # Xvfb picks a free display itself and names it: tests running side by
    # side never race for the same one. Without -noreset the server resets
    # whenever its last client leaves (the xdpyinfo below, a window closed
    # between two steps), and a program connecting during that reset is
    # dropped: "could not connect to display", more often the busier the
    # machine.
    local n
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
    for n in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$work/display")"
    for n in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    fail "the X display $DISPLAY does not answer"
}

# The scratch folder, runtime folder and clean-up alone, for tests that
# bring a display server of their own.
scratch_session() { # BIN_DIR
    x_session_bin=$1
    work=$(mktemp -d)
    cp "$1/config.bin" "$work/"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    export LANG=C LC_ALL=C
    pids=()
    trap x_session_end EXIT
}

# A session bus of the test's own.
private_bus() {
    dbus-daemon --session --nofork --print-address=4 4>"$work/bus" >/dev/null 2>&1 & pids+=($!)
    for n in $(seq 1 50); do [ -s "$work/bus" ] && break; sleep 0.1; done
    [ -s "$work/bus" ] || fail "no session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
}

# sway on its headless backend with a foot window of each APP_ID; sets ipc
# (its IPC socket) and WAYLAND_DISPLAY. sway refuses to run as root: it runs
# as nobody, in a folder of its own.
start_sway() { # APP_ID...
    local seat=$work/sway id
    mkdir -p "$seat/run" && chmod 711 "$work" && chmod 700 "$seat/run" && chown -R nobody:nogroup "$seat"
    echo "output HEADLESS-1 resolution 1280x800" > "$seat/config"
    local as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin HOME="$seat"
        XDG_RUNTIME_DIR="$seat/run" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
        WAYLAND_DISPLAY=wayland-1)
    "${as_nobody[@]}" sway -c "$seat/config" > "$work/sway.log" 2>&1 & pids+=($!)
    for n in $(seq 1 100); do
        ls "$seat"/run/sway-ipc.*.sock >/dev/null 2>&1 && [ -S "$seat/run/wayland-1" ] && break
        sleep 0.1
    done
    ipc=$(ls "$seat"/run/sway-ipc.*.sock 2>/dev/null | head -n 1)
    [ -S "$ipc" ] || { cat "$work/sway.log"; fail "sway did not start"; }
    export WAYLAND_DISPLAY=$seat/run/wayland-1
    for id in "$@"; do
        "${as_nobody[@]}" foot --app-id="$id" sleep 600 >/dev/null 2>&1 & pids+=($!)
    done
    for id in "$@"; do
        for n in $(seq 1 100); do swaymsg -s "$ipc" -t get_tree | grep -q "\"app_id\": \"$id\"" && break; sleep 0.1; done
        swaymsg -s "$ipc" -t get_tree | grep -q "\"app_id\": \"$id\"" || fail "no $id window"
    done
}

x_session_end() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}

fail() {
    echo "FAIL: $*"
    [ -f "$work/varcel.log" ] && cat "$work/varcel.log"
    exit 1
}

# Starts Varcel on the simulated mouse in the scratch folder; sets varcel.
# Its arguments (NAME=VALUE) go into Varcel's environment.
start_varcel() {
    env "$@" "$x_session_bin/varcel" --simulate --data-dir "$work" > "$work/varcel.log" 2>&1 & varcel=$!
    pids+=($varcel)
}
# Waits at most 5 s for Varcel ($varcel) to end; fails with MESSAGE if not.
expect_end() { # MESSAGE
    for n in $(seq 1 50); do kill -0 "$varcel" 2>/dev/null || return 0; sleep 0.1; done
    fail "$1"
}
# OK of the dialog NAME ($dialog, from open_dialog) closes it.
ok_closes_dialog() { # LAYOUT_POINT NAME
    local ox oy
    read -r ox oy < <("$1" dialog "$2" ok)
    click_at "$dx" "$dy" "$ox" "$oy"
    for n in $(seq 1 30); do [ -z "$(window_sized "$dw" "$dh")" ] && break; sleep 0.1; done
    [ -z "$(window_sized "$dw" "$dh")" ] || fail "OK did not close the $2 dialog"
}
# Apply, then the close button: without a tray host, closing the window ends
# the program, which keeps what the simulated mouse was sent. SHOT, if
# given, is a screenshot of the window after Apply.
apply_and_close() { # LAYOUT_POINT [SHOT]
    local ax ay cx cy
    read -r ax ay < <("$1" apply)
    click_at "$wx" "$wy" "$ax" "$ay"
    sleep 1
    [ -n "${2:-}" ] && import -window "$window" "$2" 2>/dev/null
    read -r cx cy < <("$1" close)
    click_at "$wx" "$wy" "$cx" "$cy"
    expect_end "closing the window did not end the program"
}

# The profiles of the focus tests: Desk (report rate code 1) and Game (code
# 8, 125 Hz), with a rule of kind MATCH (class, app-id) for each window.
focus_profiles() { # MATCH GAME_VALUE DESK_VALUE
    local ctl=("$x_session_bin/varcelctl" --data-dir "$work")
    "${ctl[@]}" profile save Desk >/dev/null && "${ctl[@]}" rate 125 >/dev/null &&
        "${ctl[@]}" profile save Game >/dev/null || fail "the profiles could not be saved"
    "${ctl[@]}" profile rule add "$1" "$2" Game && "${ctl[@]}" profile rule add "$1" "$3" Desk || fail "rules refused"
}
switches() { cat "$work/varcel.log" 2>/dev/null | grep -c "switched to profile"; }
rate() { "$x_session_bin/varcelctl" --data-dir "$work" --simulate device | sed -n 's/^Report rate code: //p'; }
# Brings a window to the front with COMMAND... and waits for Varcel's switch
# to PROFILE and the mouse's report rate CODE.
raise_with() { # PROFILE CODE COMMAND...
    local profile=$1 code=$2 before
    before=$(switches)
    shift 2
    "$@" >/dev/null || fail "$* failed"
    for n in $(seq 1 50); do [ "$(switches)" -gt "$before" ] && break; sleep 0.1; done
    grep "switched to profile" "$work/varcel.log" | tail -n 1 | grep -q "profile $profile " ||
        fail "$* did not switch to $profile"
    [ "$(rate)" = "$code" ] || fail "the mouse holds report rate code $(rate), not $code of $profile"
}

# The visible window of Varcel ($varcel) at least WIDTH wide and exactly HEIGHT high, if any.
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
# Waits for the main window of Varcel ($varcel); sets window, wx and wy.
main_window() {
    window=""
    for n in $(seq 1 100); do window=$(window_sized 800 630); [ -n "$window" ] && break; sleep 0.1; done
    [ -n "$window" ] || fail "the window did not show"
    sleep 0.3
    read -r wx wy < <(origin "$window")
}
# Opens the dialog of row ROW of box BOX's function list, named NAME for
# LAYOUT_POINT; sets dialog, dw, dh, dx and dy.
open_dialog() { # LAYOUT_POINT BOX ROW NAME
    local bx by rx ry
    read -r bx by < <("$1" box "$2")
    click_at "$wx" "$wy" "$bx" "$by"
    sleep 0.3
    read -r rx ry < <("$1" function-row "$2" "$3")
    click_at "$wx" "$wy" "$rx" "$ry"
    read -r dw dh < <("$1" dialog-size "$4")
    dialog=""
    for n in $(seq 1 50); do dialog=$(window_sized "$dw" "$dh"); [ -n "$dialog" ] && break; sleep 0.1; done
    [ -n "$dialog" ] || fail "choosing row $3 did not open the $4 dialog"
    sleep 0.3
    read -r dx dy < <(origin "$dialog")
}
