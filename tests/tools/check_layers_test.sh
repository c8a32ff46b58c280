#!/bin/sh
# The floor check passes on the repository and catches an upward include and
# SDL outside the platform folder in a tiny tree of its own.
set -u
check=$1
repo=$2
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$check" "$repo" >/dev/null || fail "the repository itself does not pass"

mkdir -p "$tree/sim" "$tree/render" "$tree/track"
printf '#include "sim/world.h"\n#include "base/ticks.h"\n' > "$tree/render/down.cpp"
"$check" "$tree" >/dev/null || fail "a downward include was refused"

printf '#include "track/terrain.h"\n#include "render/shape.h"\n' > "$tree/sim/up.cpp"
printf '#include <SDL2/SDL.h>\n' > "$tree/track/window.h"
out=$("$check" "$tree" 2>&1) && fail "an upward include passed"
echo "$out" | grep -qx 'sim/up.cpp: includes "render/shape.h", a floor above sim/' \
    || fail "the upward include is not named: $out"
echo "$out" | grep -qx 'track/window.h: includes SDL, which only platform/ may' \
    || fail "SDL outside platform/ is not named: $out"
echo "$out" | grep -q 'track/terrain.h' && fail "a downward include was named: $out"
echo "check-layers test passed"
