#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds the optimised Linux program and
# starts it.
#
# On a machine without a display (no DISPLAY, no WAYLAND_DISPLAY) there is no
# window to show, so it runs the example extraction of the example window
# through the real program instead: the program on a virtual X display
# (Xvfb), the boxes filled and Start pressed from outside with xdotool, the
# result printed and a screenshot saved.
set -euo pipefail
cd "$(dirname "$0")"

headless=false
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=true; fi

packages=(cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgl-dev fonts-arphic-uming fonts-arphic-ukai)
if $headless; then packages+=(xvfb xdotool imagemagick); fi

say() { printf '== %s\n' "$*"; }
fail() {
    printf '== %s\n' "$*" >&2
    exit 1
}

tools/install-missing.sh "${packages[@]}"
say "building (preset linux-release, the program and its interpreter; no tests)"
cmake --preset linux-release -DMORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build --preset linux-release -j2
program="$PWD/build/linux-release/bin/pellorin"
[ -x "$program" ] || fail "the build left no $program"
[ -x "$PWD/build/linux-release/bin/cmd.exe" ] || fail "the build left no stand-in interpreter cmd.exe"

if ! $headless; then
    say "starting $program"
    exec "$program"
fi

say "no display here: running the example extraction through the real window on a virtual display"
tools/headless-example.sh "$program" "$PWD/build/linux-release/demo-screenshot.png"
say "done: this was the example extraction run headless on a virtual display, not an interactive session."
say "on a machine with a display, ./run.sh opens the window instead."

