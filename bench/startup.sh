#!/usr/bin/env bash
# Start-up and idle cost of the tray program under Xvfb with a real tray host
# and the simulated mouse, beside a bare Qt tray program (bench/bare_tray):
# time from exec to the tray icon docked, from a tray click to the window
# mapped, resident memory in the tray before and after the window was shown,
# context switches over 10 s of idleness. Needs xvfb, trayer, xdotool and
# x11-utils.
#   bench/startup.sh [BUILD_DIR] [RUNS]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bench_start 5 "$@"
cp "$bin/config.bin" "$work/"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
display=""
for n in $(seq 170 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 & pids+=($!)
export DISPLAY=":$display"
for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 & pids+=($!)
sleep 0.5

now_ms() { date +%s%3N; }
window_of() { # $1 pid, $2 "icon" or "main"
    for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        eval "$(xwininfo -id "$id" | awk '/Width:/ {print "w="$2}')"
        if [ "$2" = icon ] && [ "$w" -le 64 ]; then echo "$id"; return; fi
        if [ "$2" = main ] && [ "$w" -ge 800 ]; then echo "$id"; return; fi
    done
}

rss() { awk '/VmRSS/ {printf "%.1f MiB", $2 / 1024}' "/proc/$1/status"; }
sorted() { printf '%s\n' "$@" | sort -n | tr '\n' ' '; }

# The yardstick: a bare Qt tray program, from exec to its icon docked, and
# what it holds once docked; its runs alternate with Varcel's below, so both
# meet the same load of the machine.
bare=()
bare_run() {
    local t0 pid
    t0=$(now_ms)
    "$build/bench/bare_tray" >/dev/null 2>&1 & pid=$!
    until [ -n "$(window_of "$pid" icon)" ]; do :; done
    bare+=($(($(now_ms) - t0)))
    if [ "$1" -eq "$runs" ]; then sleep 5; bare_rss=$(rss "$pid"); fi
    kill "$pid"; wait "$pid" 2>/dev/null
}

dock=()
show=()
for run in $(seq 1 "$runs"); do
    bare_run "$run"
    t0=$(now_ms)
    "$bin/varcel" --simulate --data-dir "$work" >/dev/null 2>&1 & pid=$!
    icon=""
    until [ -n "$icon" ]; do icon=$(window_of "$pid" icon); done
    t1=$(now_ms)
    dock+=($((t1 - t0)))
    if [ "$run" -eq "$runs" ]; then sleep 5; tray_rss=$(rss "$pid"); fi
    eval "$(xwininfo -id "$icon" | awk '/Absolute upper-left X/ {print "ix="$4} /Absolute upper-left Y/ {print "iy="$4}')"
    xdotool mousemove --sync $((ix + 8)) $((iy + 8))
    t2=$(now_ms)
    xdotool click --delay 0 1
    until [ -n "$(window_of "$pid" main)" ]; do :; done
    t3=$(now_ms)
    show+=($((t3 - t2)))
    if [ "$run" -lt "$runs" ]; then kill "$pid"; wait "$pid" 2>/dev/null; else last=$pid; pids+=($pid); fi
done
echo "bare Qt tray program, exec to tray icon docked (ms, $runs runs): $(sorted "${bare[@]}")"
echo "exec to tray icon docked (ms, $runs runs): $(sorted "${dock[@]}")"
echo "median against the bare Qt tray program: $(awk -v a="$(median "${dock[@]}")" -v b="$(median "${bare[@]}")" 'BEGIN {printf "%.2f", a / b}')"
echo "tray click to window mapped (ms, $runs runs): $(sorted "${show[@]}")"
echo "resident memory, bare Qt tray program after 5 s: $bare_rss"
echo "resident memory in the tray, never shown, after 5 s: $tray_rss"

# Idle: window hidden again, nothing happening.
xdotool key Escape
sleep 5
echo "resident memory in the tray after the window was shown and hidden, 5 s later: $(rss "$last")"
idle_switches "$last" 10 ""
