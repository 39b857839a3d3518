#!/usr/bin/env bash
# Start-up and idle cost of the tray program under Xvfb with a real tray host
# and the simulated mouse, beside a bare Qt tray program (bench/bare_tray):
# time from exec to the tray icon docked (polled) and first drawn (logged by
# the program), from a tray click to the window's first frame drawn, resident
# memory in the tray before and after the window was shown, context switches
# over 10 s of idleness. Needs xvfb, trayer, xdotool and x11-utils; with
# valgrind, it also counts the instructions to the tray icon.
#   bench/startup.sh [BUILD_DIR] [RUNS]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bench_start 5 "$@"
# The data folder's own folder is the scratch folder: Varcel watches both,
# and the system's temporary folder would wake it for other programs' files.
data="$work/data"
mkdir "$data"
cp "$bin/config.bin" "$data/"
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
load=$(cut -d' ' -f1-3 /proc/loadavg)
export LC_ALL=C
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

# The clicks go through one xdotool, started ahead and fed a line at the
# moment of the click, so that no program's start lies between the time
# taken and the click.
mkfifo "$work/xdotool"
xdotool - < "$work/xdotool" & pids+=($!)
exec 3> "$work/xdotool"

# start_and_click PROGRAM ARGS...: starts it with its frame log, waits for
# its tray icon, clicks it and waits for the window's first frame, which the
# program logs itself (VARCEL_FRAME_LOG), so that the waiting's own polling
# does not count. Sets pid, dock_ms (exec to icon docked, polled), drawn_ms
# (exec to the icon first drawn, as the program logs it) and click_ms (click
# to the first frame drawn).
start_and_click() {
    local log="$work/frames" icon="" t0 started clicked frame
    rm -f "$log"
    t0=$(now_ms)
    started=${EPOCHREALTIME/[.,]/}
    VARCEL_FRAME_LOG="$log" "$@" >/dev/null 2>&1 & pid=$!
    until [ -n "$icon" ]; do icon=$(window_of "$pid" icon); done
    dock_ms=$(($(now_ms) - t0))
    # A program that does not log it (an older Varcel) leaves it out.
    for i in $(seq 1 300); do grep -q '^icon' "$log" 2>/dev/null && break; sleep 0.01; done
    drawn_ms=$(awk -v s="$started" '/^icon/ {printf "%.1f", ($2 / 1000 - s) / 1000; exit}' "$log" 2>/dev/null)
    if [ "$run" -eq "$runs" ]; then sleep 5; never_shown_rss=$(rss "$pid"); fi
    eval "$(xwininfo -id "$icon" | awk '/Absolute upper-left X/ {print "ix="$4} /Absolute upper-left Y/ {print "iy="$4}')"
    # A user's click comes a while after the icon appeared: a second here.
    # (A pointer already over the icon would hold --sync until it moves.)
    xdotool mousemove 0 400
    sleep 1
    xdotool mousemove --sync $((ix + 8)) $((iy + 8))
    clicked=${EPOCHREALTIME/[.,]/}
    echo "click 1" >&3
    until grep -q '^frame' "$log" 2>/dev/null; do sleep 0.01; done
    frame=$(awk '/^frame/ {print $2; exit}' "$log")
    click_ms=$(awk -v f="$frame" -v c="$clicked" 'BEGIN {printf "%.1f", (f / 1000 - c) / 1000}')
}

# Instructions (millions) from exec to the tray icon asked for, and from there
# to the first window drawn, the docked icon: counted by valgrind where it is
# installed, they do not move with the machine's load as the times do.
instructions() { # PROGRAM ARGS...
    local out="$work/callgrind" p
    valgrind --tool=callgrind --callgrind-out-file="$out.%p" --dump-after='QSystemTrayIcon::setVisible*' \
        --dump-before='QWindow::paintEvent*' "$@" >/dev/null 2>&1 & p=$!
    for i in $(seq 1 600); do [ -e "$out.$p.2" ] && break; sleep 0.1; done
    kill "$p"; wait "$p" 2>/dev/null
    awk '/^totals:/ {printf "%.2f ", $2 / 1e6}' "$out.$p.1" "$out.$p.2"
}
if command -v valgrind >/dev/null; then
    read -r bare_asked bare_drawn < <(instructions "$build/bench/bare_tray")
    read -r asked drawn < <(instructions "$bin/varcel" --simulate --data-dir "$data")
    echo "instructions to the tray icon asked for (millions): $asked, the bare Qt tray program $bare_asked:" \
        "$(awk -v a="$asked" -v b="$bare_asked" 'BEGIN {printf "%.3f", a / b}') of it;" \
        "from there to the icon drawn: $drawn, the bare Qt tray program $bare_drawn"
    rm -f "$work"/callgrind.*
fi

# Varcel's runs alternate with a bare Qt tray program's (bench/bare_tray: an
# empty window of Varcel's size on a click), so both meet the same load of
# the machine.
never_shown_rss=""
bare_dock=()
bare_drawn=()
bare_click=()
dock=()
drawn=()
show=()
for run in $(seq 1 "$runs"); do
    start_and_click "$build/bench/bare_tray"
    bare_dock+=("$dock_ms")
    bare_drawn+=($drawn_ms)
    bare_click+=("$click_ms")
    bare_rss=$never_shown_rss
    kill "$pid"; wait "$pid" 2>/dev/null
    start_and_click "$bin/varcel" --simulate --data-dir "$data"
    dock+=("$dock_ms")
    drawn+=($drawn_ms)
    show+=("$click_ms")
    tray_rss=$never_shown_rss
    if [ "$run" -lt "$runs" ]; then kill "$pid"; wait "$pid" 2>/dev/null; else last=$pid; pids+=($pid); fi
done
ratio() { awk -v a="$(median "$@")" -v b="$(median "${anchor[@]}")" 'BEGIN {printf "%.2f", a / b}'; }
echo "load average at the start: $load"
echo "bare Qt tray program, exec to tray icon docked (ms, $runs runs): $(sorted "${bare_dock[@]}")"
echo "exec to tray icon docked (ms, $runs runs): $(sorted "${dock[@]}")"
anchor=("${bare_dock[@]}")
echo "  median against the bare Qt tray program: $(ratio "${dock[@]}") (target <= 1.2)"
if [ ${#drawn[@]} -gt 0 ]; then
    echo "bare Qt tray program, exec to its tray icon first drawn, as it logs it (ms, $runs runs): $(sorted "${bare_drawn[@]}")"
    echo "exec to the tray icon first drawn, as Varcel logs it (ms, $runs runs): $(sorted "${drawn[@]}")"
    anchor=("${bare_drawn[@]}")
    echo "  median against the bare Qt tray program: $(ratio "${drawn[@]}") (target <= 1.2)"
fi
echo "bare Qt tray program, tray click to its window's first frame (ms, $runs runs): $(sorted "${bare_click[@]}")"
echo "tray click to the window's first frame (ms, $runs runs): $(sorted "${show[@]}")"
anchor=("${bare_click[@]}")
echo "  median $(median "${show[@]}") ms (target <= 20), against the bare Qt window: $(ratio "${show[@]}") (target <= 4)"
echo "resident memory, bare Qt tray program after 5 s: $bare_rss"
echo "resident memory in the tray, never shown, after 5 s: $tray_rss (target <= 34 MiB)"

# Idle: window hidden again, nothing happening.
xdotool key Escape
sleep 5
echo "resident memory in the tray after the window was shown and hidden, 5 s later: $(rss "$last")"
idle_switches "$last" 10 ""
