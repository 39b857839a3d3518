#!/usr/bin/env bash
# focus_switch_bench under sway (headless, as nobody), through sway's IPC and
# through the foreign-toplevel protocol: from sway's focus command to the
# mouse's last report of the profile, above the apply's floor.
#   bench/focus_sway.sh [BUILD_DIR] [RUNS]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/e2e/x_session.sh"
scratch_session "${1:-build}/bin"
runs=${2:-20}
start_sway game desk
swaymsg -s "$ipc" "[app_id=desk] focus" >/dev/null
# Each run prints its figures; the status says whether both met the target.
status=0
for backend in i3 wlroots; do
    "${1:-build}/bench/focus_switch_bench" "$runs" "$ipc" "$backend" || status=1
done
exit $status
