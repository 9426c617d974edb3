#!/bin/bash
# Start-up side by side: kovash running an empty main() without a display, kovash --version,
# and an empty script in Debian's python3 and lua5.4. Medians of 21 runs in microseconds.
build="${1:-build}"
kovash="$build/app/kovash"
[ -x "$kovash" ] || { echo "startup: $kovash not built"; exit 0; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# A copy in a scratch folder keeps its settings and log out of the build (and the window module
# beside it unread: a script run without a display must not need it).
cp "$kovash" "$tmp/kovash"
echo 'main() { }' > "$tmp/empty.scr"
: > "$tmp/empty.py"
: > "$tmp/empty.lua"
(cd "$tmp" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./kovash empty.scr >/dev/null 2>&1)

median() {   # command...: median wall time of 21 runs, microseconds
    for _ in $(seq 21); do
        t0=${EPOCHREALTIME/./}; "$@" >/dev/null 2>&1; t1=${EPOCHREALTIME/./}   # bash's clock: no process between
        echo $(( t1 - t0 ))
    done | sort -n | sed -n 11p
}
cd "$tmp"
k=$(median env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./kovash empty.scr)
v=$(median ./kovash --version)
printf '%-28s %8s us\n' "kovash empty.scr" "$k" "kovash --version" "$v"
for cmd in /usr/bin/python3 lua5.4; do
    command -v "$cmd" >/dev/null || { echo "$cmd: not installed"; continue; }
    ext=py; [ "$cmd" = lua5.4 ] && ext=lua
    t=$(median "$cmd" "empty.$ext")
    printf '%-28s %8s us   kovash/%s = %s\n' "$(basename "$cmd") empty.$ext" "$t" "$(basename "$cmd")" \
        "$(awk -v a="$k" -v b="$t" 'BEGIN { printf "%.2f", a / b }')"
done
echo "shared libraries of kovash: $(ldd ./kovash | wc -l)"
