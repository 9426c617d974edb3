#!/bin/bash
# Smoke test on a real X server (Xvfb): the window opens, runs a script and ends with the
# script's status, and renders a sheet into a picture. Skipped (77) without xvfb-run.
#   tests/qt/xvfb_smoke.sh KOVASH SOURCE_DIR
set -u
kovash=$1 src=$2
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_RUNTIME_DIR=$tmp
# An authority file of our own: without one xvfb-run makes a folder for it and, when removing
# that folder races with the server it has not stopped yet, ends with its own status 5.
xvfb-run -a -f "$tmp/xauth" "$kovash" "$src/examples/tour.scr" 2>/dev/null
st=$?
[ $st = 42 ] || { echo "tour.scr in the window ended with $st, not 42"; exit 1; }
xvfb-run -a -f "$tmp/xauth" "$kovash" --screenshot "$tmp/b.png" "$src/examples/budget.kov" --size 700x300 2>/dev/null || exit 1
[ "$(head -c 8 "$tmp/b.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "no PNG"; exit 1; }
echo ok
