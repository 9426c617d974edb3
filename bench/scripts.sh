#!/bin/bash
# Scripts side by side with Debian's /usr/bin/python3 and lua5.4, whole process:
#   bench/scripts.sh BUILD_DIR
# Each bench/NAME.scr with a twin NAME.py (and NAME.lua) runs 9 times in each program; prints
# the median wall time and the ratios kovash / python3 and kovash / lua5.4. Every run must
# succeed (exit status 0 for the twins, 1 for the script: main's result is true).
# BENCH_CALLGRIND=1 also counts kovash's instructions per run with valgrind (slow).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
kovash="$(cd "${1:-build}" && pwd)/app/kovash"
[ -x "$kovash" ] || { echo "scripts: $kovash not built"; exit 0; }
runs=9
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$kovash" "$tmp/kovash"
(cd "$tmp" && ./kovash >/dev/null 2>&1)   # the first start writes the settings file

# median wall time in ms (one decimal) of "$@" over $runs runs; fails unless every run exits
# with $want. The clock is bash's own (no process of its own between the two readings: a date
# process would add milliseconds to every short run alike and pull every ratio towards 1).
median() {
    local want=$1; shift
    local ts=() t0 t1 rc
    for _ in $(seq $runs); do
        t0=${EPOCHREALTIME/./}
        "$@" >/dev/null 2>&1
        rc=$?
        t1=${EPOCHREALTIME/./}
        [ "$rc" = "$want" ] || { echo "FAIL(status $rc)"; return 1; }
        ts+=($(( (t1 - t0) / 100 )))
    done
    printf '%s\n' "${ts[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | awk '{ printf "%.1f", $1 / 10 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

lua="$(command -v lua5.4 || true)"
status=0
printf '%-10s %10s %10s %10s %8s %8s\n' workload kovash_ms python3_ms lua5.4_ms /python3 /lua5.4
for s in "$here"/*.scr; do
    name="$(basename "$s" .scr)"
    [ -f "$here/$name.py" ] || continue
    cp "$s" "$tmp/$name.scr"
    k=$(cd "$tmp" && median 1 ./kovash "$name.scr") || status=1
    p=$(median 0 /usr/bin/python3 "$here/$name.py") || status=1
    l=-
    [ -n "$lua" ] && [ -f "$here/$name.lua" ] && { l=$(median 0 "$lua" "$here/$name.lua") || status=1; }
    printf '%-10s %10s %10s %10s %8s %8s\n' "$name" "$k" "$p" "$l" "$(ratio "$k" "$p")" "$(ratio "$k" "$l")"
done
if [ "${BENCH_CALLGRIND:-0}" = 1 ] && command -v valgrind >/dev/null; then
    echo "instructions (callgrind, whole process):"
    for s in "$here"/*.scr; do
        name="$(basename "$s" .scr)"
        [ -f "$here/$name.py" ] || continue
        n=$(cd "$tmp" && valgrind --tool=callgrind --callgrind-out-file=/dev/null ./kovash "$name.scr" 2>&1 |
            sed -n 's/.*Collected : *//p')
        printf '  %-10s %s\n' "$name" "$n"
    done
fi
exit $status
