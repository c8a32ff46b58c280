# Sourced by the end-to-end runs of the program: a temporary folder with the
# home folder inside ($dir, $home), removed at exit after the program ($pid,
# when still running) is killed, and `fail`, which shows the log's tail.
dir=$(mktemp -d)
home=$dir/xdg/Rutwise
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$home/lastlog.txt" ] && tail -40 "$home/lastlog.txt"; exit 1; }
