#!/bin/bash
# A big generated script run once: bench/bigscript.sh BUILD_DIR
#  (a) ~1 MB (small functions each called once from main, then straight-line statements):
#      median wall time of 5 runs, as is (statement trees) and with the text reader alone
#      (KOVASH_TREE=0: scripts are read without parsed forms then), alternating so that the machine's
#      load falls on all alike; every run must succeed (main returns true: status 1);
#  (b) peak resident memory per byte of script for the 1 MB script and a ~50 MB one;
#  (c) the 1 MB script with every function called twice (so each gets its tree and lean form),
#      with a static of one name in every function, with a loop in every function (called once:
#      each gets its tree and lean form at its only run), and with one small loop at the top of
#      main (main gets its tree and lean form): median wall time and peak memory.
# Wall times include starting the program (and time, timeout: a few ms).
# Runs are cut at 60 s and 8 GB of address space (ulimit -v, which bounds the resident memory).
set -u
[ -x /usr/bin/time ] || { echo "bigscript: /usr/bin/time missing (apt-get install time)"; exit 0; }
. "$(dirname "$0")/kovcopy.sh"
bench_kovash bigscript "${1:-build}"

# gen BYTES NAME [CALLS [STATIC [LOOP]]]: about BYTES of script; half in functions, half in
# main's straight-line code; main calls each function CALLS times (1); STATIC 1: each function
# counts its calls in a static of one name; LOOP 1: each function's "if" is a "while", 2: main
# begins with a loop of three rounds.
gen() {
    /usr/bin/python3 - "$1" "$2" "${3:-1}" "${4:-0}" "${5:-0}" <<'PY'
import sys
size, name, calls, static, loop = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
fns, body = [], []
n = used = 0
while used < size // 2:
    f = 'f%d(var x) { %svar y = x * %d + 1; %s%s (y > 1000) y = y %% 1000; return y; }\n' % (
        n, 'static var c; ' if static else '', n % 89 + 2, 'c++; ' if static else '', 'while' if loop == 1 else 'if')
    fns.append(f)
    body.extend(['    s = (s + f%d(s)) %% 10007;\n' % n] * calls)
    used += len(f) + len(body[-1])
    n += 1
k = 0
while used < size:
    line = '    a = (a * %d + s - b) %% 1000; b = b + (a < s ? 1 : 2);\n' % (k % 97 + 1)
    body.append(line)
    used += len(line)
    k += 1
with open(name, 'w') as out:
    out.writelines(fns)
    out.write('main() {\n    var s = 1, a = 2, b = 3, i;\n')
    if loop == 2:
        out.write('    for (i = 0; i < 3; i++) s = s + i;\n')
    out.writelines(body)
    out.write('    return s >= 0;\n}\n')
PY
}
gen $((1 << 20)) big1.scr
gen $((1 << 20)) big1x2.scr 2
gen $((1 << 20)) big1s.scr 2 1
gen $((1 << 20)) big1l.scr 1 0 1
gen $((1 << 20)) big1m.scr 1 0 2
echo 'main() { return 1; }' > empty.scr

# run ENV... -- SCRIPT: one run under the caps; prints "MS KB" (wall time, peak resident
# memory) or "FAIL(status)".
run() {
    local envs=() t0 t1 rc
    while [ "$1" != -- ]; do envs+=("$1"); shift; done
    shift
    t0=$(date +%s%N)
    ( ulimit -v $((8 << 20))
      headless env "${envs[@]}" /usr/bin/time -f %M -o tm timeout 60 ./kovash "$1" >/dev/null 2>&1 )
    rc=$?
    t1=$(date +%s%N)
    [ $rc = 1 ] || { echo "FAIL($rc)"; return 1; }
    # (time puts a line of its own before the figure when the status is not 0)
    echo "$(( (t1 - t0) / 1000000 )) $(tail -1 tm)"
}
# Medians of 7 rounds, each round running every variant once: the load of a shared machine
# falls on all of them alike.
variants=("default" "KOVASH_TREE=0")
declare -A times
for _ in 1 2 3 4 5 6 7; do
    for v in "${variants[@]}"; do
        envs=()
        [ "$v" = default ] || read -ra envs <<<"$v"
        r=$(run "${envs[@]}" -- big1.scr) || { times[$v]+="FAIL "; continue; }
        times[$v]+="${r%% *} "
    done
done
echo "1 MB script ($(stat -c %s big1.scr) bytes), median of 7 runs:"
for v in "${variants[@]}"; do
    printf '  %-32s %8s ms\n' "$v" "$(tr ' ' '\n' <<<"${times[$v]}" | grep . | sort -n | sed -n 4p)"
done

gen $((50 << 20)) big50.scr
echo "peak resident memory:"
base=$(run -- empty.scr | awk '{ print $2 }')
printf '  %-28s %8s kB\n' "empty script" "$base"
for s in big1.scr big50.scr; do
    bytes=$(stat -c %s $s)
    r=$(run -- $s) || { printf '  %-28s %s (124: cut at 60 s)\n' "$s ($bytes bytes)" "$r"; continue; }
    read -r t kb <<<"$r"
    printf '  %-28s %8s kB in %6s ms %6.1f bytes per script byte (%.1f above the empty script)\n' \
        "$s ($bytes bytes)" "$kb" "$t" "$(bc -l <<<"$kb * 1024 / $bytes")" "$(bc -l <<<"($kb - $base) * 1024 / $bytes")"
done

declare -A what=([big1x2.scr]="each function called twice" [big1s.scr]="each function called twice, a static of one name in each"
                 [big1l.scr]="a loop in each function" [big1m.scr]="a small loop at the top of main")
for s in big1x2.scr big1s.scr big1l.scr big1m.scr; do
    r=()
    for _ in 1 2 3 4 5 6 7; do r+=("$(run -- $s)"); done
    printf '%-10s (%s bytes: %s), median of 7: %s ms, %s kB\n' $s "$(stat -c %s $s)" "${what[$s]}" \
        "$(printf '%s\n' "${r[@]}" | awk '{ print $1 }' | sort -n | sed -n 4p)" "$(printf '%s\n' "${r[@]}" | awk '{ print $2 }' | sort -n | sed -n 4p)"
done
