# Sourced by the end-to-end scripts: a scratch data folder with the built
# config.bin, an Xvfb display of its own, and clean-up of everything started.
#   x_session BIN_DIR
# sets work, DISPLAY and the pids array, and defines fail.
x_session() {
    local bin=$1
    work=$(mktemp -d)
    cp "$bin/config.bin" "$work/"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    export LANG=C LC_ALL=C
    pids=()
    trap x_session_end EXIT

    # Xvfb picks a free display itself and names it: tests running side by
    # side never race for the same one.
    local n
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
    for n in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$work/display")"
    for n in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    fail "the X display $DISPLAY does not answer"
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
