#!/bin/bash
# Instructions per loop iteration and per call, kovash beside Debian's /usr/bin/python3 and
# lua5.4, counted by callgrind: bench/callgrind.sh BUILD_DIR
# Each workload runs at two sizes; (Ir(N2) - Ir(N1)) / (N2 - N1) leaves start-up and parsing out.
#   loop:  N iterations of s = s + i
#   call:  N iterations of s = f(i), f returning its argument plus 1
#   call-loop: the call's own cost (an add less, negligible)
#   fnloop: the loop's N iterations inside a function given N, called once from a main without
#           a loop (so that the function's own call, not main, starts it)
#   builtin: N iterations of s = s + abs(i - 5), a built-in function of the language
#   builtin-loop: the built-in call's own cost (a subtraction more, negligible)
# Every twin keeps its variables local to a function: globals would cost Python a dictionary
# look-up per access, which is not what is measured here.
set -u
command -v valgrind >/dev/null || { echo "callgrind: valgrind not installed (apt-get install valgrind)"; exit 0; }
n1=100000 n2=200000
. "$(dirname "$0")/kovcopy.sh"
bench_kovash callgrind "${1:-build}"

for n in $n1 $n2; do
    cat > loop$n.scr <<S
main() { var i, s = 0; for (i = 0; i < $n; i++) s = s + i; return 1; }
S
    cat > call$n.scr <<S
f(var x) { return x + 1; }
main() { var i, s = 0; for (i = 0; i < $n; i++) s = f(i); return 1; }
S
    cat > loop$n.py <<S
def main():
    i = 0; s = 0
    while i < $n:
        s = s + i; i += 1
main()
S
    cat > call$n.py <<S
def f(x):
    return x + 1
def main():
    i = 0; s = 0
    while i < $n:
        s = f(i); i += 1
main()
S
    cat > fnloop$n.scr <<S
f(var n) { var i, s = 0; for (i = 0; i < n; i++) s = s + i; return s; }
main() { f($n); return 1; }
S
    cat > fnloop$n.py <<S
def f(n):
    i = 0; s = 0
    while i < n:
        s = s + i; i += 1
    return s
f($n)
S
    cat > fnloop$n.lua <<S
local function f(n) local i, s = 0, 0; while i < n do s = s + i; i = i + 1 end; return s end
f($n)
S
    cat > builtin$n.scr <<S
main() { var i, s = 0; for (i = 0; i < $n; i++) s = s + abs(i - 5); return 1; }
S
    cat > builtin$n.py <<S
def main():
    i = 0; s = 0
    while i < $n:
        s = s + abs(i - 5); i += 1
main()
S
    cat > builtin$n.lua <<S
local function main() local i, s, abs = 0, 0, math.abs; while i < $n do s = s + abs(i - 5); i = i + 1 end end
main()
S
    cat > loop$n.lua <<S
local function main() local i, s = 0, 0; while i < $n do s = s + i; i = i + 1 end end
main()
S
    cat > call$n.lua <<S
local function f(x) return x + 1 end
local function main() local i, s = 0, 0; while i < $n do s = f(i); i = i + 1 end end
main()
S
done

# ir WANT CMD...: instructions of one run; empty when the run's exit status is not WANT.
ir() {
    local want=$1; shift
    headless valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" >/dev/null 2>cg.txt
    [ $? = "$want" ] || return
    sed -n 's/.*Collected : *//p' cg.txt
}
# per WANT CMD EXT WORKLOAD: instructions per iteration, "FAIL" when a run failed.
per() {
    local a b
    a=$(ir "$1" $2 "$4$n1.$3") b=$(ir "$1" $2 "$4$n2.$3")
    [ -n "$a" ] && [ -n "$b" ] || { echo FAIL; return; }
    echo $(( (b - a) / (n2 - n1) ))
}
printf '%-12s %10s %10s %10s   (instructions per iteration, N = %d and %d)\n' workload kovash python3 lua5.4 $n1 $n2
declare -A r
for w in loop call builtin fnloop; do
    r[k$w]=$(per 1 ./kovash scr $w)
    r[p$w]=$(per 0 /usr/bin/python3 py $w)
    r[l$w]=-
    command -v lua5.4 >/dev/null && r[l$w]=$(per 0 lua5.4 lua $w)
    printf '%-12s %10s %10s %10s\n' $w "${r[k$w]}" "${r[p$w]}" "${r[l$w]}"
done
minus() { [[ "$1" =~ ^[0-9]+$ && "$2" =~ ^[0-9]+$ ]] && echo $(( $1 - $2 )) || echo -; }
printf '%-12s %10s %10s %10s\n' call-loop "$(minus "${r[kcall]}" "${r[kloop]}")" \
    "$(minus "${r[pcall]}" "${r[ploop]}")" "$(minus "${r[lcall]}" "${r[lloop]}")"
printf '%-12s %10s %10s %10s\n' builtin-loop "$(minus "${r[kbuiltin]}" "${r[kloop]}")" \
    "$(minus "${r[pbuiltin]}" "${r[ploop]}")" "$(minus "${r[lbuiltin]}" "${r[lloop]}")"
command -v lua5.4 >/dev/null || echo "(lua5.4 not installed: apt-get install lua5.4, for the benchmarks only)"
