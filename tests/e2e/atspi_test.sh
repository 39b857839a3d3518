#!/usr/bin/env bash
# The window as a screen reader meets it: on the AT-SPI bus of a private
# session bus, a client reads every setting of the key page with its value in
# each language, then finds the "250 Hz" position and the "Apply" button by
# name and presses them; the simulated mouse then holds report rate code 4.
#   atspi_test.sh BIN_DIR SCREENSHOT_DIR
set -u
bin=$1
shots=$2
here=$(dirname "$0")
mkdir -p "$shots"
. "$here/x_session.sh"
x_session "$bin"

# A session bus of the test's own, and the accessibility bus on it, as a
# desktop session starts them.
private_bus
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & pids+=($!)
a11y_bus() {
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress \
        >/dev/null 2>&1
}
for n in $(seq 1 50); do a11y_bus && break; sleep 0.1; done
a11y_bus || fail "the accessibility bus did not start"

# Qt serves the bus whenever it is there, as it does when a screen reader runs.
# Debian's own Python, which python3-pyatspi is for.
for language in zh_CN zh_TW en_US; do
    start_varcel QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=$language.UTF-8
    main_window
    timeout 30 /usr/bin/python3 "$here/atspi_client.py" values $language || fail "the key page read in $language"
    [ $language = en_US ] && break
    kill -TERM "$varcel"
    expect_end "varcel did not end"
done
timeout 30 /usr/bin/python3 "$here/atspi_client.py" press || fail "the screen reader's client failed"
sleep 1
import -window "$window" "$shots/e2e-atspi-250-applied.png" 2>/dev/null

kill -TERM "$varcel"
expect_end "varcel did not end"
device=$("$bin/varcelctl" --simulate --data-dir "$work" device) || fail "varcelctl device failed"
# 250 Hz is report rate code 4 (1000 / 250).
echo "$device" | grep -E "^Report rate code: 4$" >/dev/null || { echo "$device"; fail "the mouse does not hold report rate code 4"; }
echo "PASS"
