#!/bin/sh
# Runs a command on a fresh Xvfb screen managed by openbox, so that windows get real frames.
# Exits 77 (the test is skipped) when Xvfb or openbox is missing; every wait has a time limit.
#   under-openbox.sh COMMAND [ARGS...]
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }
command -v openbox >/dev/null 2>&1 || { echo "openbox is not installed: skipped"; exit 77; }

dir=$(mktemp -d) || exit 1
xvfb=""
wm=""
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT INT TERM

# Wait up to 10 s for a file to be there and not empty.
wait_for() {
    i=0
    while [ ! -s "$1" ]; do
        i=$((i + 1))
        [ "$i" -gt 100 ] && { echo "timed out waiting for $2"; exit 1; }
        sleep 0.1
    done
}

# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
wait_for "$dir/display" "Xvfb"
DISPLAY=:$(cat "$dir/display")
export DISPLAY

# Everything the window manager and the programs write stays in the scratch folder.
export HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" XDG_DATA_HOME="$dir/data"
export XDG_RUNTIME_DIR="$dir/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# openbox runs its start-up command (without a shell) once it manages the screen.
openbox --sm-disable --startup "cp $dir/display $dir/wm-ready" 2>"$dir/openbox.log" &
wm=$!
wait_for "$dir/wm-ready" "openbox"

QT_QPA_PLATFORM=xcb timeout 240 "$@"
