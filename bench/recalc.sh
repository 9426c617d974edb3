#!/bin/bash
# Recalculation, whole process: load, one pass, write CSV (kovash --convert), side by side with
# gnumeric's ssconvert doing the same on the same sheet as a CSV of formulas (when installed).
#   bench/recalc.sh BUILD_DIR
# Prints the median of 5 runs (seconds), the peak resident memory of each program and the ratio
# of the times (below 1: kovash is faster). bench_recalc times the passes alone.
set -u
kovash="$(cd "${1:-build}" && pwd)/app/kovash"
[ -x "$kovash" ] || { echo "recalc: $kovash not built"; exit 0; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
/usr/bin/python3 - <<'PY'
# tall: column 0 is 1, then the cell above + 1; column 1 sums the ten cells above in column 0.
kov, csv = [], []
for y in range(100000):
    c0 = '\x02=1\x03' if y == 0 else '\x02=R[-1]C+1\x03'
    a0 = '=1' if y == 0 else '=A%d+1' % y
    if y >= 10:
        kov.append(c0 + ',\x02=SUM(R[-10]C[-1]:R[-1]C[-1])\x03')
        csv.append(a0 + ',=SUM(A%d:A%d)' % (y - 9, y))
    else:
        kov.append(c0)
        csv.append(a0)
open('tall.kov', 'w').write('\x02FOP_VER\x031.00\r\n\x02FOP_YSIZ\x03100000\r\n' + '\r\n'.join(kov) + '\r\n')
open('tall.csv', 'w').write('\n'.join(csv) + '\n')
# wide: 100 rows x 1000 columns, each the cell above + 1.
def col(x):
    s = ''
    x += 1
    while x:
        x, r = divmod(x - 1, 26)
        s = chr(65 + r) + s
    return s
kov = [','.join('\x02=1\x03' if y == 0 else '\x02=R[-1]C+1\x03' for x in range(1000)) for y in range(100)]
csv = [','.join('=1' if y == 0 else '=%s%d+1' % (col(x), y) for x in range(1000)) for y in range(100)]
open('wide.kov', 'w').write('\x02FOP_VER\x031.00\r\n\x02FOP_XSIZ\x031000\r\n' + '\r\n'.join(kov) + '\r\n')
open('wide.csv', 'w').write('\n'.join(csv) + '\n')
PY
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# time_of CMD...: the median of 5 wall-clock runs, and the largest peak RSS (MB) seen.
time_of() {
    local t m peak=0 times=""
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f "%e %M" -o tm "$@" >/dev/null 2>&1 || { echo "failed"; return; }
        read -r t m < tm
        times="$times$t"$'\n'
        [ "$m" -gt "$peak" ] && peak=$m
    done
    printf "%6.2f s  %6.1f MB" "$(printf %s "$times" | median)" "$(echo "$peak / 1024" | bc -l)"
}
have_ss=0
command -v ssconvert >/dev/null && have_ss=1
for sheet in tall wide; do
    k=$(time_of "$kovash" --convert $sheet.kov $sheet-k.csv)
    line="$sheet: kovash $k"
    if [ $have_ss = 1 ]; then
        s=$(time_of ssconvert $sheet.csv $sheet-s.csv)
        line="$line   ssconvert $s"
        kt=${k%% s*}; st=${s%% s*}
        line="$line   kovash/ssconvert $(awk -v a="$kt" -v b="$st" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
        cmp -s <(tr -d '\r"' < $sheet-k.csv | sed 's/,*$//') <(tr -d '"' < $sheet-s.csv | sed 's/,*$//') || line="$line (outputs differ)"
    fi
    echo "$line"
done
[ $have_ss = 1 ] || echo "(ssconvert not installed: apt-get install gnumeric, for the benchmark only)"
