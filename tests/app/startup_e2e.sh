#!/usr/bin/env bash
# Runs the real program on a small data folder made here.
#   startup_e2e.sh run|no-data|bad-option|no-window|open-home <rutwise> <rw_saf>
# run:        opens the window, logs the GL strings, is asked to close (SIGTERM,
#             which the window system layer turns into the close button's
#             event), shuts down through every status text and exits 0.
# no-data:    shows "Can't find game data" (on standard error: no display)
#             and exits 0.
# bad-option: every command-line error exits 1 before a window opens.
# no-window:  a window that cannot be created exits 1.
# no-tracks:  game data without any track folder: "No tracks found" on
#             standard error, exit 1.
# open-home:  "--open-home" alone opens the home folder in the file browser
#             (a stand-in for xdg-open here) without writing a log; exits 0.
set -u
mode=$1 rutwise=$(realpath "$2") rw_saf=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  log: /' "$log" | cut -c1-160; exit 1; }

export XDG_DATA_HOME=$work/xdg HOME=$work/home RW_HOME=$work/data
unset NOLT_LOGFILE NOLT_LOGFILE_FLAGS NOLT_OPTIONS RW_CHECK_ALLOC
log=$work/xdg/Rutwise/lastlog.txt
mkdir -p "$work/data" "$work/home" "$work/src/demos"
echo "demo" > "$work/src/demos/first lap.rwdemo"
echo "notes" > "$work/src/readme.txt"
if [ "$mode" != no-tracks ]; then
    mkdir -p "$work/src/tracks/mini"
    echo "Mini track" > "$work/src/tracks/mini/desc"
    echo "listed only" > "$work/src/tracks/mini/terrain.hf"
fi
if [ "$mode" != no-data ]; then
    "$rw_saf" pack "$work/src" "$work/data/zzzz.saf" || fail "can't pack the game data"
fi
# Without an X display the offscreen driver still gives a GL context.
[ -z "${DISPLAY:-}" ] && export SDL_VIDEODRIVER=offscreen

# Every expected line must appear after the previous one.
expect_in_order() {
    awk -v want="$1" 'BEGIN { n = split(want, w, "\n"); i = 1 }
        i <= n && index($0, "] " w[i]) { i++ }
        END { if (i <= n) { print "missing or out of order: " w[i]; exit 1 } }' "$log"
}

case $mode in
run)
    cd "$work"
    "$rutwise" >"$work/out" 2>"$work/err" &
    pid=$!
    for _ in $(seq 200); do
        grep -q "GL_EXTENSIONS: " "$log" 2>/dev/null && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    grep -q "GL_EXTENSIONS: " "$log" || { kill -KILL $pid; fail "the window never drew"; }
    kill -TERM $pid
    wait $pid
    status=$?
    [ $status -eq 0 ] || fail "exit status $status"
    expect_in_order "Logfile \"$log\" opened
NOLT 0.31
Rutwise version 2021-02-21-1558 snapshot
Creating window
Creating OpenGL context
File index complete
GL_VENDOR: 
GL_RENDERER: 
GL_VERSION: 
GL_EXTENSIONS: 
Freeing memory (1)
Closing input devices
Closing audio
Writing config files
Freeing memory (2)
Freeing memory (3)
Freeing file list
Freeing memory (4)
Deleting textures
Deleting models
Deleting OpenGL context
Destroying window
Window shutdown complete" || fail "log order"
    ;;
no-data)
    unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER
    "$rutwise" >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 0 ] || fail "exit status $status"
    grep -q "Problem starting Rutwise: Can't find game data" "$work/err" || fail "no message: $(cat "$work/err")"
    grep -q "Creating window" "$log" && fail "a window was opened"
    ;;
bad-option)
    while IFS='|' read -r args text; do
        # shellcheck disable=SC2086
        "$rutwise" $args >"$work/out" 2>"$work/err"
        status=$?
        [ $status -eq 1 ] || fail "'$args': exit status $status"
        [ "$(cat "$work/err")" = "$text" ] || fail "'$args': said '$(cat "$work/err")'"
        grep -q "Creating window" "$log" && fail "'$args': a window was opened"
    done <<'CASES'
--turbo|bad option '--turbo'
--texture-detail=abc|Bad arg for --texture-detail
one.rwdemo two.rwdemo|Too many files!
--chase-center 1,2|Bad arg for --chase-center
CASES
    ;;
no-window)
    SDL_VIDEODRIVER=no-such-driver "$rutwise" >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 1 ] || fail "exit status $status"
    grep -q "Can't start the video system" "$log" || fail "the cause is not logged"
    ;;
no-tracks)
    cd "$work"
    "$rutwise" >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 1 ] || fail "exit status $status"
    [ "$(cat "$work/err")" = "No tracks found" ] || fail "said '$(cat "$work/err")'"
    ;;
open-home)
    mkdir -p "$work/bin"
    printf '#!/bin/sh\necho "$@" > "%s"\n' "$work/opened" > "$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    PATH=$work/bin:$PATH "$rutwise" --open-home >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 0 ] || fail "exit status $status"
    [ "$(cat "$work/opened" 2>/dev/null)" = "$work/xdg/Rutwise" ] || fail "opened '$(cat "$work/opened" 2>/dev/null)'"
    [ -e "$log" ] && fail "a log was written"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "ok: $mode"
