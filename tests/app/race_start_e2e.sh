#!/bin/sh
# Usage: race_start_e2e.sh <rutwise executable> <folder with the generated content>
# Runs the real program on the generated content: start-up resets a race onto
# the start-up track ("backyard" from the settings) with the loading screen's
# steps in the log, Esc closes the main menu, the throttle key is held, and
# the program shuts down cleanly.
set -eu
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"; fi
game=$1
content=$2
. "$(dirname "$0")/e2e_common.sh"
log=$home/lastlog.txt

mkdir -p "$home"
printf 'video_mode=Windowed\nxres=320\nyres=200\ntrack=backyard\n' > "$home/config"
export RW_HOME="$content" XDG_DATA_HOME="$dir/xdg" HOME="$dir/xdg" SDL_AUDIODRIVER=dummy
"$game" --lock-fps 30 &
pid=$!
wid=$(timeout 20 xdotool search --sync --name '^Rutwise$' | head -n 1) || fail "no window"
i=0
until grep -q 'Max loading delay was ' "$log" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt 300 ] && fail "the start-up race reset did not finish"
    sleep 0.1
done

# The reset's steps, in this order (each line after the time stamp).
expected='Resetting...
Resetting
Remembering lines
Remembering lines...done
Cleaning up
Deallocating bikes
Finished deallocating bikes
Cleaning up...done
Scanning
Scanning...done
Loading lighting
Loading lighting...done
Loading flaggers
Loading flaggers...done
Loading statues
Loading statues...done
Loading map
Loading map...done
Analyzing lines
Analyzing lines...done
Loading bikes
Loading bikes...done'
sed 's/^\[[0-9]*:[0-9][0-9]:[0-9][0-9]\.[0-9][0-9]\] //' "$log" > "$dir/lines"
last=0
echo "$expected" | while IFS= read -r want; do
    at=$(awk -v from="$last" -v want="$want" 'NR > from && $0 == want { print NR; exit }' "$dir/lines")
    [ -n "$at" ] || fail "missing or out of order: '$want'"
    last=$at
done
grep -Eq '^[0-9]+ MB texture memory used$' "$dir/lines" || fail "no texture memory line"
grep -Eq '^Max loading delay was [0-9.]+ \(.*\)$' "$dir/lines" || fail "no loading delay line"
grep -q '^Setting working set range to ' "$dir/lines" || fail "the working set was not tuned after the load"

# Riding: Esc closes the main menu, the throttle key is held for a second.
sleep 0.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key Escape
xdotool keydown x
sleep 1
xdotool keyup x
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
grep -q 'Writing config files' "$log" || fail "no clean shutdown"
echo "race start-up e2e passed"
