# Sourced by the shell scripts that need a display of their own: starts Xvfb
# at 1366x768 on the first free display, waits until it answers, sets and
# exports DISPLAY, and leaves the server's process id in $xvfb.
#   start_virtual_display WORK_FOLDER
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$1/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do
        [ -s "$1/display" ] && break
        sleep 0.1
    done
    [ -s "$1/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(cat "$1/display")
    export DISPLAY
}
