#!/bin/bash
# Makes the pictures of the user guide with the program itself: docs/screenshots.sh [BUILD_DIR]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
kovash="${1:-$here/../build}/app/kovash"
"$kovash" --screenshot "$here/images/budget.png" "$here/../examples/budget.kov" --size 760x300 2>/dev/null
echo "docs/images/budget.png"
"$kovash" --screenshot "$here/images/timers.png" "$here/../examples/timers.kov" --size 760x460 2>/dev/null
echo "docs/images/timers.png"
