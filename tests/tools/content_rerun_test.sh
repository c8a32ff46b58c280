#!/bin/sh
# Runs the content generator into a temporary folder and compares every file
# with the content the build generated: the output must be byte-identical.
set -eu
generator=$1
build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$generator" "$out"
cmp "$out/zzzz.saf" "$build/zzzz.saf"
diff -r "$out/rabbithill" "$build/rabbithill"
diff -r "$out/backyard" "$build/backyard"
echo "content identical"
