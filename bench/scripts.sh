#!/bin/bash
# Scripts side by side with Debian's /usr/bin/python3 and lua5.4, whole process:
#   bench/scripts.sh BUILD_DIR
# Each bench/NAME.scr with a twin NAME.py (and NAME.lua) runs 21 times in each program, the
# programs taking turns so that a neighbour's burst falls on all alike; prints the median wall
# times and the ratios kovash / python3 and kovash / lua5.4. Every run must succeed (exit
# status 0 for the twins, 1 for the script: main's result is true).
# BENCH_CALLGRIND=1 also counts kovash's instructions per run with valgrind (slow).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
kovash="$(cd "${1:-build}" && pwd)/app/kovash"
[ -x "$kovash" ] || { echo "scripts: $kovash not built"; exit 0; }
runs=21
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$kovash" "$tmp/kovash"
(cd "$tmp" && ./kovash >/dev/null 2>&1)   # the first start writes the settings file

# wall time of one run of "$@" in tenths of a millisecond, or FAIL unless it exits with $want.
# The clock is bash's own (no process of its own between the two readings: a date process would
# add milliseconds to every short run alike and pull every ratio towards 1).
once() {
    local want=$1 t0 t1 rc; shift
    t0=${EPOCHREALTIME/./}
    "$@" >/dev/null 2>&1
    rc=$?
    t1=${EPOCHREALTIME/./}
    [ "$rc" = "$want" ] && echo $(( (t1 - t0) / 100 )) || echo FAIL
}
# the median in ms (one decimal) of the times given, FAIL if a run failed
median() {
    case " $* " in *" FAIL "*) echo FAIL; return 1 ;; esac
    printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p" | awk '{ printf "%.1f", $1 / 10 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

lua="$(command -v lua5.4 || true)"
status=0
printf '%-10s %10s %10s %10s %8s %8s\n' workload kovash_ms python3_ms lua5.4_ms /python3 /lua5.4
for s in "$here"/*.scr; do
    name="$(basename "$s" .scr)"
    [ -f "$here/$name.py" ] || continue
    cp "$s" "$tmp/$name.scr"
    kt=() pt=() lt=()
    for _ in $(seq $runs); do
        kt+=($(cd "$tmp" && once 1 ./kovash "$name.scr"))
        pt+=($(once 0 /usr/bin/python3 "$here/$name.py"))
        [ -n "$lua" ] && [ -f "$here/$name.lua" ] && lt+=($(once 0 "$lua" "$here/$name.lua"))
    done
    k=$(median "${kt[@]}") || status=1
    p=$(median "${pt[@]}") || status=1
    l=-
    [ ${#lt[@]} -gt 0 ] && { l=$(median "${lt[@]}") || status=1; }
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
