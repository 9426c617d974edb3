# Sourced by the whole-process benchmarks: bench_kovash NAME BUILD_DIR sets $kovash (the build's
# program) and $tmp (a scratch folder holding a copy of it, removed at exit) and changes into
# $tmp; a missing build ends the benchmark with a note. The copy keeps the settings file and the
# log out of the build, and its first start (which writes the settings) is not timed.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
bench_kovash() {
    kovash="$(cd "${2:-build}" && pwd)/app/kovash"
    [ -x "$kovash" ] || { echo "$1: $kovash not built"; exit 0; }
    tmp="$(mktemp -d)"
    trap 'rm -rf "$tmp"' EXIT
    cp "$kovash" "$tmp/kovash"
    cd "$tmp" || exit 1
    headless ./kovash >/dev/null 2>&1
}
