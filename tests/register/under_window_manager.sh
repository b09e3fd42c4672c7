#!/bin/sh
# Runs window tests on a real X server (Xvfb) with a window manager (openbox):
# windows are activated later than they are shown there, which the offscreen
# platform does not reproduce (a dialog's first focus then selects its text).
# Usage: under_window_manager.sh TEST_PROGRAM GTEST_FILTER
# Exit 77 (skipped) when Xvfb or openbox is missing.
test_program=$1
filter=$2
command -v Xvfb >/dev/null 2>&1 && command -v openbox >/dev/null 2>&1 || exit 77

work=$(mktemp -d)
trap 'kill $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT INT TERM
. "$(dirname "$0")/../common-virtual-display.sh"
start_virtual_display "$work"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
QT_QPA_PLATFORM=xcb "$test_program" --gtest_filter="$filter"
