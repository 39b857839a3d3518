# Sourced by the bench scripts.
#
# bench_start DEFAULT_RUNS [BUILD_DIR] [RUNS]: sets build, runs and bin from
# the script's arguments, and work, a scratch folder holding XDG_RUNTIME_DIR.
bench_start() {
    local default_runs=$1
    build=${2:-build}
    runs=${3:-$default_runs}
    bin="$build/bin"
    work=$(mktemp -d)
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# median N...: the median of the numbers.
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# idle_switches PID SECONDS LABEL prints the context switches of every thread
# of PID over SECONDS of idleness, counted per thread, so that a thread ending
# in between does not hide another's wake-ups.
idle_switches() {
    local pid=$1 seconds=$2 label=$3 before after
    before="$(mktemp)"
    after="$(mktemp)"
    per_thread() {
        local task
        for task in /proc/"$pid"/task/*; do
            awk -v tid="${task##*/}" '/^voluntary_ctxt_switches/ {v=$2} /^nonvoluntary_ctxt_switches/ {n=$2} END {print tid, v + n}' "$task/status"
        done
    }
    per_thread > "$before"
    sleep "$seconds"
    per_thread > "$after"
    awk -v label="$label" -v seconds="$seconds" 'NR == FNR {before[$1] = $2; next} ($1 in before) {total += $2 - before[$1]; threads++}
        END {print "context switches over " seconds " s idle" label ": " total " (" threads " threads)"}' "$before" "$after"
    rm -f "$before" "$after"
}
