# Sourced by the end-to-end scripts: a scratch data folder with the built
# config.bin, an Xvfb display of its own, and clean-up of everything started.
#   x_session BIN_DIR FIRST_DISPLAY LAST_DISPLAY
# sets work, DISPLAY and the pids array, and defines fail.
x_session() {
    local bin=$1 first=$2 last=$3
    work=$(mktemp -d)
    cp "$bin/config.bin" "$work/"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    export LANG=C LC_ALL=C
    pids=()
    trap x_session_end EXIT

    local display="" n
    for n in $(seq "$first" "$last"); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
    done
    [ -n "$display" ] || fail "no free X display"
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
    export DISPLAY=":$display"
    for n in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
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
