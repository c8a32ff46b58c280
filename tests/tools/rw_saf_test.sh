#!/bin/sh
# Usage: rw_saf_test.sh <rw_saf executable>
set -eu
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/in/sub"
printf 'hello\n' > "$dir/in/b.txt"
printf 'x' > "$dir/in/sub/A.dat"
printf '' > "$dir/in/a"
"$tool" pack "$dir/in" "$dir/out.saf"
expected=$(printf '0 a\n6 b.txt\n1 sub/A.dat')
[ "$("$tool" list "$dir/out.saf")" = "$expected" ] || { echo "list differs"; exit 1; }
[ "$(tail -c 7 "$dir/out.saf")" = "$(printf 'hello\nx')" ] || { echo "member bytes differ"; exit 1; }
if "$tool" list "$dir/in/b.txt" 2>/dev/null; then echo "listed a non-archive"; exit 1; fi
if "$tool" pack "$dir/missing" "$dir/x.saf" 2>/dev/null; then echo "packed a missing folder"; exit 1; fi
set +e
"$tool" frobnicate >/dev/null 2>&1
[ $? -eq 2 ] || { echo "bad usage not refused"; exit 1; }
echo ok
