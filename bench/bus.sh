#!/usr/bin/env bash
# The running program on a private session bus (offscreen, simulated mouse):
# `varcelctl show` alone against `varcelctl show` through the running Varcel
# (median of RUNS each, wall time from exec to exit), the context switches of
# the idle program, which owns the bus name, over 10 s, and the cost of a
# property read with no profile and with 10,000: 10,000 reads sent at once,
# the program's own CPU time and the wall time per read.
#   bench/bus.sh [BUILD_DIR] [RUNS]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bench_start 20 "$@"
mkdir "$work/alone" "$work/running"
cp "$bin/config.bin" "$work/alone/"
cp "$bin/config.bin" "$work/running/"
read -r address bus_pid < <(dbus-daemon --session --print-address=1 --print-pid=1 --fork | tr '\n' ' ')
export DBUS_SESSION_BUS_ADDRESS="$address"
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; kill "$bus_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

now_us() { echo $(($(date +%s%N) / 1000)); }
time_show() { # $1 folder; prints the median in µs
    local times=() t0
    for _ in $(seq 1 "$runs"); do
        t0=$(now_us)
        "$bin/varcelctl" --simulate --data-dir "$1" show >/dev/null || exit 1
        times+=($(($(now_us) - t0)))
    done
    median "${times[@]}"
}

QT_QPA_PLATFORM=offscreen "$bin/varcel" --simulate --data-dir "$work/running" >/dev/null 2>&1 & pid=$!
for _ in $(seq 1 100); do
    busctl --user status io.github.varcel.Varcel >/dev/null 2>&1 && break
    sleep 0.05
done
# The two alternate, so that both meet the same load of the machine.
alone=()
through=()
for _ in 1 2 3; do
    alone+=($(time_show "$work/alone"))
    through+=($(time_show "$work/running"))
done
a=$(median "${alone[@]}")
t=$(median "${through[@]}")
echo "varcelctl show alone: $((a / 1000)).$(((a % 1000) / 100)) ms (median of $((3 * runs)))"
echo "varcelctl show through the running Varcel: $((t / 1000)).$(((t % 1000) / 100)) ms (median of $((3 * runs)))"
echo "difference: $(((t - a) / 1000)).$((((t - a) % 1000 + 1000) % 1000 / 100)) ms (target: at most 20 ms)"

sleep 2
idle_switches "$pid" 10 " with the bus name"

# The program's CPU time (user and system, in clock ticks).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
read_cost() { # LABEL
    local before after wall
    before=$(cpu_ticks)
    wall=$(/usr/bin/python3 - <<'PY'
import time
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
count, left, loop = 10000, [10000], GLib.MainLoop()
def done(connection, result, _):
    connection.call_finish(result)
    left[0] -= 1
    if not left[0]:
        loop.quit()
start = time.monotonic()
for _ in range(count):
    bus.call("io.github.varcel.Varcel", "/io/github/varcel/Varcel", "org.freedesktop.DBus.Properties", "Get",
             GLib.Variant("(ss)", ("io.github.varcel.Varcel1", "ActiveProfile")), None, 0, -1, None, done, None)
loop.run()
print("%.3f" % ((time.monotonic() - start) * 1000 / count))
PY
)
    after=$(cpu_ticks)
    echo "property read$1: $(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", t * 1000 / hz / 10000}') ms of Varcel's CPU, $wall ms wall each (10,000 at once; target: at most 0.1 ms, flat)"
}
read_cost " with no profile"
"$bin/varcelctl" --simulate --data-dir "$work/running" profile save P0 >/dev/null
/usr/bin/python3 -c '
import shutil, sys
for i in range(1, 10000):
    shutil.copyfile(sys.argv[1] + "/P0.json", sys.argv[1] + "/P%d.json" % i)' "$work/running/profiles"
sleep 3
read_cost " with 10,000 profiles"
