#!/usr/bin/env bash
# The running program on a private session bus (offscreen, simulated mouse):
# `varcelctl show` alone against `varcelctl show` through the running Varcel
# (median of RUNS each, wall time from exec to exit), and the context
# switches of the idle program, which owns the bus name, over 10 s.
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
