# Sourced by the bus scripts: `bus_session BIN_DIR` makes a data folder, a
# HOME and runtime folder, and a private session bus that admits every user,
# as a shared bus could; sets CTL (varcelctl there), BUS (busctl's object)
# and CALL ($CALL.METHOD calls a method with gdbus).
bus_session() {
    bin=$1 work=$(mktemp -d)
    chmod 711 "$work"
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen LANG=C LC_ALL=C
    mkdir -p "$HOME" "$work/data" && mkdir -m 700 "$XDG_RUNTIME_DIR" && cp "$bin/config.bin" "$work/data/"
    pids=()
    trap 'for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"' EXIT
    echo '<busconfig><include>/usr/share/dbus-1/session.conf</include>
        <policy context="default"><allow user="*"/></policy></busconfig>' >"$work/bus.conf"
    dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=4 4>"$work/bus" >/dev/null 2>&1 & pids+=($!)
    for n in $(seq 1 50); do [ -s "$work/bus" ] && break; sleep 0.1; done
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
    BUS="io.github.varcel.Varcel /io/github/varcel/Varcel io.github.varcel.Varcel1"
    CTL="$bin/varcelctl --simulate --data-dir $work/data"
    CALL="gdbus call --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel -m io.github.varcel.Varcel1"
}
fail() { echo "FAIL: $*"; [ -f "$work/varcel.log" ] && cat "$work/varcel.log"; exit 1; }
ctl() { $CTL "$@"; }
# Starts Varcel on the simulated mouse and waits for its name; sets varcel.
start_varcel() {
    "$bin/varcel" --simulate --data-dir "$work/data" >"$work/varcel.log" 2>&1 & varcel=$! && pids+=($varcel)
    for n in $(seq 1 100); do busctl --user status io.github.varcel.Varcel >/dev/null 2>&1 && return; sleep 0.1; done
    fail "Varcel did not take its bus name"
}
