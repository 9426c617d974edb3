#!/bin/bash
# The cost of a goto against the length of its function: bench/goto.sh BUILD_DIR
# One function with K labelled statements "Lk: n = n + 1;" (run once) and a loop of M rounds:
#   last:  "top: n = n + 1; if (n < M) goto top;" placed after the K labels;
#   first: the same loop placed before them;
#   while: the same rounds as "do n = n + 1; while (n < M);", in the same function.
# A goto that re-reads (or searches) its function from the start costs K per jump in "last";
# a jump through a label table costs the same whatever K and wherever the label is.
# Prints median wall times of 3 runs in ms, and the cost per jump: (last - while) / M in us.
set -u
m=2000
. "$(dirname "$0")/kovcopy.sh"
bench_kovash goto "${1:-build}"

# gen K: last.scr, first.scr and while.scr; each main returns true when n counted M + K.
gen() {
    local k=$1 fill=fill.txt
    seq 1 "$k" | sed 's/.*/L&: n = n + 1;/' > $fill
    { echo 'main() {'; echo '    var n = 0;'; cat $fill
      echo "top: n = n + 1;"; echo "    if (n < $((m + k))) goto top;"
      echo "    return n == $((m + k));"; echo '}'; } > last.scr
    { echo 'main() {'; echo '    var n = 0;'
      echo "top: n = n + 1;"; echo "    if (n < $m) goto top;"; cat $fill
      echo "    return n == $((m + k));"; echo '}'; } > first.scr
    { echo 'main() {'; echo '    var n = 0;'
      echo "    do n = n + 1; while (n < $m);"; cat $fill
      echo "    return n == $((m + k));"; echo '}'; } > while.scr
}
# median SCRIPT: median wall time of 3 runs in ms (each cut at 20 s); FAIL(status) otherwise.
median() {
    local ts=() t0 rc
    for _ in 1 2 3; do
        t0=$(date +%s%N)
        headless timeout 20 ./kovash "$1" >/dev/null 2>&1
        rc=$?
        [ $rc = 1 ] || { echo "FAIL($rc)"; return; }
        ts+=($(( ($(date +%s%N) - t0) / 1000000 )))
    done
    printf '%s\n' "${ts[@]}" | sort -n | sed -n 2p
}
printf '%-7s %10s %10s %10s %14s   (M = %d rounds)\n' K last_ms first_ms while_ms us_per_jump $m
for k in 2000 4000 8000 16000; do
    gen $k
    l=$(median last.scr) f=$(median first.scr) w=$(median while.scr)
    per=-
    [[ "$l" =~ ^[0-9]+$ && "$w" =~ ^[0-9]+$ ]] && per=$(awk -v a="$l" -v b="$w" -v m=$m 'BEGIN { printf "%.1f", (a - b) * 1000 / m }')
    printf '%-7s %10s %10s %10s %14s\n' $k "$l" "$f" "$w" "$per"
done
