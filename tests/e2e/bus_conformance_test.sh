#!/usr/bin/env bash
# The running Varcel as D-Bus clients nobody here wrote see it: Qt's qdbus,
# gdbus, busctl and a GDBusProxy, which caches the properties. Errors carry
# the standard org.freedesktop.DBus.Error names clients look for; properties
# read with an empty interface name; ReportRate is what varcelctl show --json
# says; a profile saved or deleted outside the bus reaches every client's cache;
# a setting's property set with busctl saves as varcelctl does.
#   bus_conformance_test.sh BIN_DIR
set -u
. "$(dirname "$0")/bus_session.sh"
bus_session "$1"
client="/usr/bin/python3 $(dirname "$0")/bus_client.py" # the system's python, which has GObject introspection
qdbus=$(command -v qdbus6 || echo /usr/lib/qt6/bin/qdbus)

ctl profile save Game >/dev/null || fail "profile save"
# Report rate code 3, which no list of the window offers: 333 Hz.
printf '\003' | dd of="$work/data/config.bin" bs=1 seek=$((1 + 0x785)) conv=notrunc 2>/dev/null
start_varcel

[[ $(ctl show --json) == *'"hz": 333'* ]] && [ "$(busctl --user get-property $BUS ReportRate)" = "u 333" ] &&
    [ "$($qdbus io.github.varcel.Varcel /io/github/varcel/Varcel ReportRate 2>&1)" = 333 ] &&
    [ "$(busctl --user get-property $BUS ReportRateSetting)" = "u 333" ] ||
    fail "show, busctl and qdbus do not all read a report rate of 333 Hz"
[[ $(gdbus introspect --session -d io.github.varcel.Varcel -o /io/github/varcel/Varcel) == *RunCommandWithInput*'readwrite au DpiStageValues'* ]] ||
    fail "gdbus introspect"

I=io.github.varcel.Varcel1
P=org.freedesktop.DBus.Properties
E=org.freedesktop.DBus.Error
expected=(
    "$I|NoSuchMethod||[]|$E.UnknownMethod"
    "$I|SetButtonFunction|suass|[\"A\", 3, [\"single-key\", \"F5\"], \"yes\"]|$E.InvalidArgs"
    "$I|LoadProfile|i|[5]|$E.InvalidArgs"
    "$I|LoadProfile|ss|[\"Game\", \"x\"]|$E.InvalidArgs"
    "$I|LoadProfile|s|[\"Ghost\"]|$I.Error.NoSuchProfile"
    "$I|LoadProfile|s|[\"../x\"]|$I.Error.Usage"
    "$I|GetButtonFunction|su|[\"A\", 3]|ok"
    "$P|Get|ss|[\"\", \"DpiStage\"]|ok"
    "$P|GetAll|s|[\"\"]|ok"
    "$P|Get|s|[\"DpiStage\"]|$E.InvalidArgs"
    "$P|Set|ssv|[\"$I\", \"Nope\", 1]|$E.UnknownProperty"
    "$P|Set|ssv|[\"$I\", \"DpiStage\", 1]|$E.PropertyReadOnly"
    "$P|Set|ssv|[\"$I\", \"LayerShown\", 1]|$E.PropertyReadOnly"
    "$P|Set|ssv|[\"$I\", \"ReportRateSetting\", 333]|$E.InvalidArgs"
)
got=$(printf '%s\n' "${expected[@]%|*}" | timeout 20 $client calls)
want=$(printf '%s\n' "${expected[@]##*|}")
[ "$got" = "$want" ] || fail "the answers differ from the expected ones: $(diff <(echo "$want") <(echo "$got"))"

# Every client's view of the profiles, while another varcelctl, away from
# the bus, saves and deletes one.
$client watch >"$work/proxy" 2>&1 & pids+=($!)
gdbus monitor --session -d io.github.varcel.Varcel >"$work/monitor" 2>&1 & pids+=($!)
sleep 0.5
alone() { DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent ctl "$@" >/dev/null || fail "$* alone"; }
# Waits for the proxy's cache to hold PROXY and the monitor to show MONITOR.
seen() { # PROXY MONITOR
    for n in $(seq 1 30); do
        [ "$(tail -n 1 "$work/proxy")" = "$1" ] && grep -qF "$2" "$work/monitor" && return
        sleep 0.1
    done
    fail "the clients do not show the change: $(cat "$work/proxy" "$work/monitor")"
}
alone profile save Desk
seen "Desk ['Desk', 'Game']" "'Profiles': <['Desk', 'Game']>"
[ "$($qdbus io.github.varcel.Varcel /io/github/varcel/Varcel ActiveProfile)" = Desk ] || fail "qdbus ActiveProfile"
[ "$(busctl --user get-property $BUS Profiles)" = 'as 2 "Desk" "Game"' ] || fail "busctl Profiles"
alone profile delete Desk
seen " ['Game']" "'Profiles': <['Game']>"
busctl --user set-property $BUS DpiStageValues au 4 250 500 750 4000 || fail "busctl set-property DpiStageValues"
seen " ['Game']" "'DpiStageValues': <[uint32 250, 500, 750, 4000]>"
[[ $(ctl show) == *"DPI Stage3 value: 750 DPI"* ]] || fail "DpiStageValues set is not what varcelctl show reads"
alone rate 250
seen " ['Game']" "'ReportRateSetting': <uint32 250>"
echo PASS
