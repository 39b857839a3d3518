#!/usr/bin/env bash
# Varcel keeps answering, and ends at once on SIGTERM, through what a user
# should not have to fear: a byte that is not text in str.ini, callers that
# are hostile or of another user, a stopped Varcel.   bus_hostile_test.sh BIN_DIR
set -u
. "$(dirname "$0")/bus_session.sh"
bus_session "$1"
get() { timeout 2 busctl --user get-property $BUS "$@" >/dev/null; }

# A named profile active and a label hand-edited into a byte that is not text,
# at start and while Varcel runs (the apply writes the labels, not the start).
ctl apply >/dev/null && ctl profile save Game >/dev/null || fail "apply and profile save"
for item in 4 5; do
    sed -i "s/^Item$item=.*/Item$item=Fo\\xffrward\\r/" "$work/data/str.ini"
    [ $item = 4 ] && start_varcel
    sleep 1
    kill -0 $varcel 2>/dev/null && get ActiveProfile || fail "a stray byte in label $item ended Varcel"
done
sed -i 's/^Item\([45]\)=.*/Item\1=Side\r/' "$work/data/str.ini"

# A forwarded export into a FIFO nobody reads: varcelctl waits, Varcel does not.
mkfifo "$work/fifo"
ctl export "$work/fifo" >/dev/null 2>&1 & exporter=$! && pids+=($exporter)
sleep 0.5
get DpiStage || fail "an export to an unread FIFO held up Varcel"
kill $exporter || fail "the export did not wait for a reader of its FIFO"

# A 100 MB argument: refused, and Varcel answers after it. Its cost in
# Varcel's own time is printed, not judged: a loaded machine inflates it.
read -r error took < <(timeout 30 /usr/bin/python3 - $varcel <<'PY'
import os, sys
from gi.repository import Gio, GLib
cpu = lambda: sum(map(int, open("/proc/%s/stat" % sys.argv[1]).read().split()[13:15])) / os.sysconf("SC_CLK_TCK")
argument, bus = GLib.Variant("(s)", ("x" * 100_000_000,)), Gio.bus_get_sync(Gio.BusType.SESSION)
used = cpu()
try:
    bus.call_sync("io.github.varcel.Varcel", "/io/github/varcel/Varcel", "io.github.varcel.Varcel1", "LoadProfile",
                  argument, None, 0, 25000, None)
except GLib.Error as e:
    print(Gio.DBusError.get_remote_error(e), "%.2f" % (cpu() - used))
PY
)
echo "100 MB argument: $error after $took s of Varcel's time"
[ "$error" = org.freedesktop.DBus.Error.InvalidArgs ] || fail "a 100 MB argument: $error"
get DpiStage || fail "Varcel does not answer after a 100 MB argument"

# A command, its exit status and what its output holds; none changes config.bin.
cp "$work/data/config.bin" "$work/config.before"
rows=(
    "$CTL profile save \$'bad\\xffname'|2|not UTF-8"
    "$CTL button A 3 single-key \$'\\xff'|2|not UTF-8"
    "$CALL.RunCommand \"['link', 'show']\"|0|(2,"
    "$CALL.RunCommand \"['export', '$work/stolen']\"|0|(2,"
    "$bin/varcelctl --data-dir $work/data status|1|did not detect"
    "busctl --user set-property $BUS DpiStageValues au 65 $(seq -s ' ' 1 65)|1|or 65 values and more"
    "busctl --user set-property $BUS DpiStagesEnabled ab 4 false false false false|1|the only enabled DPI stage and stays on"
)
[ "$(id -u)" = 0 ] &&
    rows+=("setpriv --reuid=65534 --regid=65534 --clear-groups $CALL.Apply|1|AccessDenied: Varcel answers its own user only")
for row in "${rows[@]}"; do
    IFS='|' read -r command status text <<<"$row"
    out=$(eval "timeout 5 $command" 2>&1)
    got=$?
    [ $got = "$status" ] && [[ $out == *"$text"* ]] || fail "$command: status $got, not $status with \"$text\": $out"
    cmp -s "$work/data/config.bin" "$work/config.before" || fail "$command changed config.bin"
done
[ ! -e "$work/stolen" ] && [ "$(ls "$work/data/profiles")" = Game.json ] || fail "a refused call wrote a file"

# A stopped Varcel is told within 2 s, by the commands and by doctor.
kill -STOP $varcel
for command in show doctor; do
    out=$(timeout 2 $CTL $command 2>&1)
    [[ $out == *"does not answer"* ]] || fail "$command with Varcel stopped: $out"
done
kill -CONT $varcel
get DpiStage || fail "Varcel does not answer after it went on"

kill -TERM $varcel
for n in $(seq 1 10); do kill -0 $varcel 2>/dev/null || break; sleep 0.1; done
kill -0 $varcel 2>/dev/null && fail "Varcel did not end within 1 s of SIGTERM"
echo PASS
