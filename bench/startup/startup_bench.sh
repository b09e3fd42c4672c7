#!/usr/bin/env bash
# Start-up benchmark: the real program, started on the demo town hall (1,500
# households a month over three months, as scripts/run makes it), timed from
# its start until its main window ("Hestavo  ver. ...") is mapped on a
# virtual display (Xvfb). Budget 1 s. Run by hand:
#   bash bench/startup/startup_bench.sh [BUILD-DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${HESTAVO_BUILD_DIR:-$root/build}}
runs=${2:-7}
budget_ms=1000
program=$build/ui/main/hestavo
demo=$build/tools/demo-db/hestavo-demo-db
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/setup installs it)" >&2; exit 1; }
done
[ -x "$program" ] && [ -x "$demo" ] || { echo "build hestavo and hestavo-demo-db first" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$demo" "$work/town/Data" --households 1500 --months 3 >/dev/null
export HESTAVO_PROGRAM_DIR=$work/town HESTAVO_SYSTEM_DIR=$work/town/system

. "$root/tests/common-virtual-display.sh"
start_virtual_display "$work"
export QT_QPA_PLATFORM=xcb

times=()
for run in $(seq "$runs"); do
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    app=$!
    # The main window's caption is set once the start-up is done.
    if ! timeout 30 xdotool search --sync --onlyvisible --pid "$app" --name '^Hestavo  ver\.' >/dev/null; then
        echo "run $run: the main window did not appear within 30 s" >&2
        exit 1
    fi
    end=$(date +%s%N)
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null || true
    app=
    times+=($(( (end - start) / 1000000 )))
    echo "run $run: $(( (end - start) / 1000000 )) ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
echo "start-up to the main window, demo town hall: median $median ms (ratio $(awk "BEGIN { printf \"%.3f\", $median / $budget_ms }"))  budget $budget_ms ms"
