#!/bin/sh
# Usage: frame_loop_e2e.sh <rutwise executable> <rw_saf executable>
# Runs the real program on the title screen with --lock-fps: the settings
# file of a previous run is read (a windowed 320x200 mode, the screenshot on
# "p"), a real key press takes a screenshot numbered after the one already in
# the home folder, and a clean shutdown writes the settings back.
set -eu
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"; fi
game=$1
saf=$2
. "$(dirname "$0")/e2e_common.sh"

mkdir -p "$dir/content" "$dir/data" "$dir/xdg/Rutwise"
printf 'readme\n' > "$dir/content/readme.txt"
mkdir -p "$dir/content/tracks/mini"
printf 'listed only\n' > "$dir/content/tracks/mini/terrain.hf"
"$saf" pack "$dir/content" "$dir/data/zzzz.saf" >/dev/null
printf 'x' > "$home/screenshot007.png"
printf 'video_mode=Windowed\nxres=320\nyres=200\nlaps=99\nscreenshot_key=p\nfov=abc\n' > "$home/config"

export RW_HOME="$dir/data" XDG_DATA_HOME="$dir/xdg" HOME="$dir/xdg" SDL_AUDIODRIVER=dummy
"$game" --lock-fps 30 &
pid=$!
wid=$(timeout 20 xdotool search --sync --name '^Rutwise$' | head -n 1) || fail "no window"
# Keys pressed before the loop runs are drained by the loading frames: wait
# for the last start-up line first. Under a sanitizer and a loaded machine a
# frame can take long: each try waits up to 10 s for the screenshot.
i=0
until grep -q 'GL_EXTENSIONS: ' "$home/lastlog.txt" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt 200 ] && fail "start-up did not finish"
    sleep 0.1
done
sleep 0.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
# The main menu is open at start: Esc closes it, then the screenshot key. A
# slow machine may still lose a key, so the presses are tried again.
for keys in "Escape p" "p" "Escape p"; do
    xdotool key --delay 100 $keys
    i=0
    while [ ! -f "$home/screenshot008.png" ] && [ $i -lt 100 ]; do
        i=$((i + 1))
        sleep 0.1
    done
    [ -f "$home/screenshot008.png" ] && break
done
[ -f "$home/screenshot008.png" ] || fail "no screenshot after the key presses"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"

# The screenshot is a PNG of the 320x200 window.
[ "$(od -An -c -j1 -N3 "$home/screenshot008.png" | tr -d ' ')" = "PNG" ] || fail "not a PNG"
[ "$(od -An -tu1 -j16 -N8 "$home/screenshot008.png" | tr -s ' ')" = " 0 0 1 64 0 0 0 200" ] ||
    fail "screenshot size"
grep -q 'Saved "screenshot008.png"' "$home/lastlog.txt" || fail "no Saved message"
grep -q 'Writing config files' "$home/lastlog.txt" || fail "no shutdown"
for line in 'video_mode=Windowed' 'xres=320' 'yres=200' 'laps=50.000000' 'fov=110.000000' \
    'screenshot_key=(k)p' 'throttle_key=(k)x'; do
    grep -qx "$line" "$home/config" || fail "config lacks $line"
done
ls "$home" | grep -q 'config\.' && fail "temporary file left behind"
echo ok
