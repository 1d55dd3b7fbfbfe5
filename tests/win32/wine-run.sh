#!/bin/bash
# The emulator ctest starts each Windows test program through: runs it under
# wine64 in the run's prefix, with the locale that gives the ANSI code page
# (zh_CN.UTF-8: 936 unless MORVANE_WINE_LOCALE says otherwise), and writes
# GoogleTest's XML report to $MORVANE_RESULTS (one file per program and run).
# It runs inside the Wine 10 root (run-windows-tests.sh starts ctest there).
#
# Wine takes the code page from the locale's name but converts file names
# with the C library's idea of it: without the locale really present, a
# Chinese file name cannot be created. The root has zh_CN.UTF-8 installed.
set -u
: "${WINEPREFIX:?run through tests/win32/run-windows-tests.sh (WINEPREFIX unset)}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL="${MORVANE_WINE_LOCALE:-zh_CN.UTF-8}"
exe=$1
shift
if [ -n "${MORVANE_RESULTS:-}" ]; then
    name=$(basename "$exe" .exe)${MORVANE_RESULT_SUFFIX:-}
    rm -f "$MORVANE_RESULTS/$name.xml"
    export GTEST_OUTPUT="xml:Z:${MORVANE_RESULTS//\//\\}\\$name.xml"
fi
wine=/usr/lib/wine/wine64
[ -n "${MORVANE_SCREEN_DPI:-}" ] || exec "$wine" "$exe" "$@"

# A screen of another dpi. Wine 10's display keeps the dpi the user's
# LogPixels had when the Wine session began (as Windows' keeps the one of
# the sign-in): a program started later with another LogPixels is scaled to
# the display's dpi. So the program runs in a session of its own, begun at
# that dpi, and the next one at the default dpi again.
wineserver=/usr/lib/wine/wineserver
set_dpi() {
    "$wineserver" -w  # the session before has ended (and saved the registry)
    "$wine" reg "$@" >/dev/null 2>&1
    "$wineserver" -w
}
desktop='HKCU\Control Panel\Desktop'
set_dpi add "$desktop" /v LogPixels /t REG_DWORD /d "$MORVANE_SCREEN_DPI" /f
"$wine" "$exe" "$@"
status=$?
set_dpi delete "$desktop" /v LogPixels /f
exit $status
