#!/usr/bin/env bash
# Builds every preset and runs every test: the Linux tests (with ASan and
# UBSan) through ctest, the Windows tests as 64-bit programs under Wine 10's
# wine64 in a virtual display, the end-to-end tests again on the 32-bit
# release under Wine 10's 32-bit half, checks of the 32-bit release exe, the
# Debian package built, installed on this machine, used and removed again,
# and the Windows archive built and read. Installs whatever is missing with
# apt-get first, and sets up the Debian 13 root that Wine 10 runs in (tools/setup-wine10.sh). Last, checks
# that every C++ source is formatted as .clang-format says. Ends with one
# line "N passed, N failed" (", N not run" added when this machine cannot run
# 32-bit programs at all); the counting is tools/lib.sh's.
set -uo pipefail
cd "$(dirname "$0")"

packages=(
    cmake ninja-build g++ clang clang-format libgtest-dev
    qt6-base-dev qt6-translations-l10n libgl-dev fonts-arphic-uming fonts-arphic-ukai
    xvfb xauth xdotool imagemagick mawk
    dpkg-dev file appstream desktop-file-utils unzip
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64 mingw-w64-tools debootstrap
)

. tools/lib.sh
start_counting "test.sh"

tools/install-missing.sh "${packages[@]}" || { echo "== could not install the build dependencies"; echo "0 passed, 1 failed"; exit 1; }

log_dir=build/logs
mkdir -p "$log_dir"

# The Debian 13 root holding Wine 10, which the Windows tests run in, set up
# while the Linux program builds (on a fresh machine it is a minute or two of
# downloading and unpacking; afterwards a check of a second). A machine that
# cannot run 32-bit programs at all gets a root with 64-bit Wine only and
# skips the 32-bit run (counted as not run); any other set-up failure is a
# failure.
echo "== Wine 10 root: set-up (tools/setup-wine10.sh), alongside the Linux build"
setup_started=$SECONDS
tools/setup-wine10.sh >"$log_dir/setup-wine10.log" 2>&1 &
setup_pid=$!

echo "== Linux: configure, build"
if cmake --preset linux >"$log_dir/linux-configure.log" 2>&1 &&
    cmake --build --preset linux -j2 >"$log_dir/linux-build.log" 2>&1; then
    linux_built=1
else
    linux_built=0
fi

wait "$setup_pid"
setup_status=$?
case $setup_status in
    0) tail -n 1 "$log_dir/setup-wine10.log" ;;
    2)
        export MORVANE_WINE32_UNAVAILABLE
        MORVANE_WINE32_UNAVAILABLE=$(tail -n 1 "$log_dir/setup-wine10.log")
        tail -n 2 "$log_dir/setup-wine10.log" | head -n 1
        ;;
    *)
        tail -n 30 "$log_dir/setup-wine10.log"
        echo "== the Wine 10 root set-up failed"
        failed=$((failed + 1))
        ;;
esac
echo "== Wine 10 root: set-up and Linux build took $((SECONDS - setup_started)) s"

if [ "$linux_built" -eq 1 ]; then
    echo "== Linux: tests"
    xvfb-run -a ctest --preset linux -j2 --timeout 120 2>&1 | tee "$log_dir/linux-tests.log" |
        grep -E '\*\*\*|Not Run|tests passed' || true
    add_counts_from "$log_dir/linux-tests.log" "the Linux tests"
else
    tail -n 40 "$log_dir"/linux-*.log
    echo "== Linux build failed"
    failed=$((failed + 1))
fi

echo "== Windows: build both exes, tests under Wine 10's wine64, end-to-end tests again on the 32-bit exe"
if tests/win32/run-windows-tests.sh 2>&1 | tee "$log_dir/windows.log"; then :; fi
add_counts_from "$log_dir/windows.log" "the Windows tests"

echo "== Packages: the Debian package installed and removed, the Windows archive read"
if tests/package/run-package-test.sh 2>&1 | tee "$log_dir/package.log"; then :; fi
add_counts_from "$log_dir/package.log" "the package test"

echo "== Formatting (.clang-format)"
if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror >"$log_dir/format.log" 2>&1; then
    passed=$((passed + 1))
else
    head -n 20 "$log_dir/format.log"
    echo "== sources not formatted: run clang-format -i on them"
    failed=$((failed + 1))
fi

# Not run (a machine that cannot run 32-bit programs) is neither passed nor
# failed: it is reported, and does not make the run fail.
summary_line
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
