#!/bin/bash
# Builds the Windows programs and runs every Windows test under Wine 10.
#
#   1. builds, on this machine with the MinGW cross compilers, the win64
#      preset (the test build: unit tests, Windows service tests, the
#      end-to-end tests and the 64-bit Pellorin.exe) and the win32 preset
#      (the release: the 32-bit Pellorin.exe);
#   2. makes a fresh Wine prefix for the run in build/win64/wineprefix, with
#      no writable C:\progra~1 (the program must never need one) and the
#      Arphic fonts standing in for 宋体 and 楷体_GB2312;
#   3. runs ctest on build/win64 inside one xvfb-run: every test program
#      starts under wine64 through tests/win32/wine-run.sh, with the locale
#      zh_CN.UTF-8 (ANSI code page 936); the code-page refusal test runs a
#      second time under C.UTF-8 (code page 1252);
#   4. runs the end-to-end tests a second time on the 32-bit
#      build/win32/bin/Pellorin.exe, in a prefix of its own
#      (build/win32/wineprefix, a copy of the fresh one of 2); Wine starts
#      it with its 32-bit half (the test program itself stays 64-bit); its
#      lines say "i686", its reports and screenshots go to build/win32/.
#      Where 32-bit Wine does not run (see tools/setup-32bit.sh), one line
#      says so and why, and this run counts as one "not run";
#   5. checks the 32-bit Pellorin.exe with objdump, and its embedded
#      manifest.
#
# Counting: every GoogleTest case of every Windows test program (read from
# its XML report), in each run, plus each objdump check, is one test; a test
# program that fails without a report, and a build that fails, count one
# failure each. The last line is "N passed, M failed" (", K not run" added
# when the 32-bit run was skipped); the exit status is non-zero when
# anything failed.
#
# Everything Wine does (2 to 4) happens in the Debian 13 root that
# tools/setup-wine10.sh makes (Debian 12 has only Wine 8): Wine, Xvfb, ctest,
# the zh_CN.UTF-8 locale and the fonts are the root's; this checkout, and so
# build/, is at the same path inside (tools/in-wine10-root.sh). Installs
# nothing: ./test.sh runs the set-up.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
. tools/lib.sh
start_counting windows

logs=$root/build/win64/test-logs
results=$root/build/win64/test-results
screenshots=$root/build/win64/screenshots

# --- 1. builds --------------------------------------------------------------
build() {
    local preset=$1
    say "building preset $preset"
    mkdir -p "$root/build"
    if ! cmake --preset "$preset" >"$root/build/$preset-configure.log" 2>&1; then
        tail -30 "$root/build/$preset-configure.log"
        say "FAILED: configuring $preset"
        return 1
    fi
    if ! cmake --build --preset "$preset" -j2 >"$root/build/$preset-build.log" 2>&1; then
        grep -E "error|FAILED" "$root/build/$preset-build.log" | head -30
        say "FAILED: building $preset"
        return 1
    fi
}
build win64 || { failed=$((failed + 1)); finish; }
build win32 || failed=$((failed + 1))
mkdir -p "$logs" "$results" "$screenshots"
rm -f "$results"/*.xml "$screenshots"/*.png

# --- 2. Wine prefixes ------------------------------------------------------
# Wine, and all it needs, runs in the Wine 10 root; the paths below are the
# root's.
in_root() { "$root/tools/in-wine10-root.sh" "$@"; }
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if ! wine_version=$(in_root "$wine" --version 2>&1); then
    echo "$wine_version"
    say "FAILED: no Wine 10 root to run the tests in (make it with tools/setup-wine10.sh)"
    failed=$((failed + 1))
    finish
fi

# A fresh prefix in $WINEPREFIX (with 32-bit Wine installed, it holds the
# 32-bit half too), with no writable C:\progra~1 and the Arphic fonts
# standing in for 宋体 and 楷体_GB2312.
make_prefix() {
    say "making a fresh Wine prefix in ${WINEPREFIX#"$root"/}"
    [ -d "$WINEPREFIX" ] && in_root "$wineserver" -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    if ! in_root env LC_ALL=zh_CN.UTF-8 xvfb-run -a "$wine" wineboot -i >"$logs/wineboot.log" 2>&1; then
        tail -20 "$logs/wineboot.log"
        say "FAILED: wineboot"
        return 1
    fi
    in_root "$wineserver" -w
    # What an ordinary user meets on Windows since Vista: the program-files
    # folder takes no file. Wine hashes short names ("PROG~FBU"), so the old
    # script folder c:\progra~1 is made here for real, without write
    # permission; root passes any permission, so for root a plain file stands
    # there instead (nothing can be made beneath a file). The tests check
    # that it holds.
    if [ "$(id -u)" -eq 0 ]; then
        : >"$WINEPREFIX/drive_c/progra~1"
    else
        mkdir -p "$WINEPREFIX/drive_c/progra~1"
        chmod a-w "$WINEPREFIX/drive_c/progra~1"
    fi
    # The Arphic fonts in the prefix, standing in for SimSun and KaiTi (and
    # Wine's Marlett for the caption buttons; links to the root's files, which
    # its set-up installs); Wine draws the window frames itself (Xvfb has no
    # window manager); the classic look, not Wine's theme.
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    mkdir -p "$fonts"
    for font in /usr/share/fonts/truetype/arphic/uming.ttc /usr/share/fonts/truetype/arphic/ukai.ttc \
        /usr/share/wine/fonts/marlett.ttf; do
        ln -sf "$font" "$fonts/"
    done
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
        '"宋体"="AR PL UMing CN"' '"SimSun"="AR PL UMing CN"' '"新宋体"="AR PL UMing CN"' \
        '"楷体_GB2312"="AR PL UKai CN"' '"KaiTi_GB2312"="AR PL UKai CN"' '"楷体"="AR PL UKai CN"' \
        '"KaiTi"="AR PL UKai CN"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"Decorated"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\ThemeManager]' '"ThemeActive"="0"' '' |
        iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX/drive_c/morvane-fonts.reg"
    in_root env LC_ALL=zh_CN.UTF-8 "$wine" regedit /S 'C:\morvane-fonts.reg' >"$logs/regedit.log" 2>&1
    in_root "$wineserver" -w
}

# --- 3. the test programs -------------------------------------------------
# Runs ctest on build/win64 inside one xvfb-run ($1 names the run, $2 is its
# ctest log, the rest are ctest's arguments) and counts the GoogleTest
# reports it leaves in $MORVANE_RESULTS.
run_ctest() {
    local run=$1 log=$2
    shift 2
    in_root xvfb-run -a -s "-screen 0 1024x768x24" \
        bash -c 'ctest --test-dir build/win64 --output-on-failure "$@"; status=$?; '"'$wineserver'"' -k; exit $status' \
        ctest "$@" >"$log" 2>&1
    grep -aE "Test +#|tests passed|Total Test time" "$log"

    # Each ctest test and its GoogleTest report.
    local name outcome report header tests failures errors bad
    while read -r name outcome; do
        case $name in
            *_acp1252 | *_[0-9]*dpi) report=$MORVANE_RESULTS/${name%_*}-${name##*_}.xml ;;
            *) report=$MORVANE_RESULTS/$name${MORVANE_RESULT_SUFFIX:-}.xml ;;
        esac
        if [ -f "$report" ]; then
            header=$(grep -m1 '<testsuites' "$report")
            tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$header")
            failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$header")
            errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$header")
            bad=$((${failures:-0} + ${errors:-0}))
            passed=$((passed + ${tests:-0} - bad))
            failed=$((failed + bad))
            if [ "$outcome" != Passed ] && [ "$bad" -eq 0 ]; then failed=$((failed + 1)); fi
            say "$run: $name: $((${tests:-0} - bad)) of ${tests:-0} cases passed"
        else
            failed=$((failed + 1))
            say "FAILED: $run: $name left no report ($outcome)"
        fi
    done < <(sed -n 's/.*Test *#[0-9]*: \([A-Za-z0-9_]*\) \.*[* ]*\([A-Za-z]*\).*/\1 \2/p' "$log")
    if grep -aq "FAILED\|\*\*\*" "$log"; then
        grep -aE "Failure|FAILED|\*\*\*" "$log" | head -40
    fi
}

# Whether 32-bit Wine runs here (tools/setup-wine10.sh installs it where
# tools/setup-32bit.sh makes 32-bit programs run).
exe32=$root/build/win32/bin/Pellorin.exe
prefix32=$root/build/win32/wineprefix
wine32_version=$(in_root /usr/lib/wine/wine --version 2>&1) || wine32_version=""

# Every test program, with the 64-bit Pellorin.exe, under wine64.
export WINEPREFIX=$root/build/win64/wineprefix
export MORVANE_RESULTS=$results
export MORVANE_SCREENSHOTS=$screenshots
rm -rf "$prefix32"
if make_prefix; then
    # The 32-bit run's own prefix: a copy of this one while still untouched
    # (seconds, where wineboot takes a minute under qemu).
    if [ -n "$wine32_version" ] && [ -f "$exe32" ]; then
        cp -a "$WINEPREFIX" "$prefix32" || rm -rf "$prefix32"
    fi
    say "x86_64: running the Windows tests under wine64 ($wine_version; ctest in xvfb-run)"
    run_ctest x86_64 "$logs/ctest.log" --timeout 300
else
    failed=$((failed + 1))
fi

# --- 4. the end-to-end tests on the 32-bit release -----------------------
# Pellorin.exe runs under Wine's 32-bit half; the test program stays 64-bit
# and starts it. Skipped, and counted as not run, where 32-bit Wine does not
# run here.
if [ -z "$wine32_version" ]; then
    not_run=$((not_run + 1))
    say "NOT RUN: the end-to-end tests on the 32-bit Pellorin.exe: ${MORVANE_WINE32_UNAVAILABLE:-32-bit Wine does not run here (set it up with tools/setup-wine10.sh)}"
elif [ -f "$exe32" ]; then
    logs32=$root/build/win32/test-logs
    mkdir -p "$logs32" "$root/build/win32/test-results" "$root/build/win32/screenshots"
    rm -f "$root"/build/win32/test-results/*.xml "$root"/build/win32/screenshots/*.png
    (
        export WINEPREFIX=$prefix32
        export MORVANE_RESULTS=$root/build/win32/test-results
        export MORVANE_SCREENSHOTS=$root/build/win32/screenshots
        export MORVANE_RESULT_SUFFIX=-i686
        export MORVANE_PELLORIN=$exe32 MORVANE_PELLORIN_BITS=32
        # Under qemu-i386 the window is up in 3-5 s and WMI answers slower:
        # every wait for a state may take three times as long.
        export MORVANE_WAIT_SCALE=3
        logs=$logs32
        [ -d "$prefix32" ] || make_prefix || exit 1
        say "i686: running the end-to-end tests on the 32-bit Pellorin.exe ($wine32_version)"
        run_ctest i686 "$logs32/ctest.log" -R '^win32_e2e_tests' --timeout 900
        echo "$passed $failed" >"$logs32/counts"
    ) || failed=$((failed + 1))
    if [ -f "$logs32/counts" ]; then
        read -r passed failed <"$logs32/counts"
        rm -f "$logs32/counts"
    fi
fi

# --- 5. the 32-bit release exe ------------------------------------------------
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        say "FAILED: Pellorin.exe (i686): $what"
    fi
}
exe=$root/build/win32/bin/Pellorin.exe
if [ -f "$exe" ]; then
    inspect=$root/build/win32/inspect
    mkdir -p "$inspect"
    i686-w64-mingw32-objdump -p "$exe" >"$inspect/headers.txt" 2>&1
    i686-w64-mingw32-strings -el "$exe" >"$inspect/strings-utf16.txt"
    i686-w64-mingw32-strings -a "$exe" >"$inspect/strings.txt"
    sed -n 's/^[[:space:]]*DLL Name: //p' "$inspect/headers.txt" | tr '[:upper:]' '[:lower:]' >"$inspect/dlls.txt"
    has_all() {  # file, then every string that must be in it
        local file=$1
        shift
        for text in "$@"; do grep -qF -- "$text" "$file" || return 1; done
    }
    windows_dlls_only() {
        [ -s "$inspect/dlls.txt" ] || return 1
        ! grep -vxE 'kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|advapi32|shell32|msvcrt|uxtheme' \
            <(sed 's/\.dll$//' "$inspect/dlls.txt")
    }
    check "machine i386" has_all "$inspect/headers.txt" "file format pei-i386"
    check "GUI subsystem" grep -Eq "^Subsystem[[:space:]]+00000002" "$inspect/headers.txt"
    version_strings() {
        has_all "$inspect/strings-utf16.txt" StringFileInfo 080404B0 VarFileInfo Translation CompanyName \
            ProductName FileDescription Comments Morvane InternalName Pellorin OriginalFilename \
            Pellorin.exe FileVersion ProductVersion 1.00 &&
            # "Morvane 出品" in UTF-16LE (strings cannot show its CJK part)
            LC_ALL=C grep -qaP 'M\x00o\x00r\x00v\x00a\x00n\x00e\x00 \x00\xfa\x51\xc1\x54' "$exe"
    }
    check "version strings" version_strings
    check "manifest" has_all "$inspect/strings.txt" Microsoft.Windows.Common-Controls 6595b64144ccf1df \
        'version="6.0.0.0"' 'language="*"' 'processorArchitecture="*"'
    # The embedded manifest: the user's own rights, Vista to 10/11, system dpi.
    sed -n '/<assembly/,/<\/assembly>/p' "$inspect/strings.txt" >"$inspect/manifest.xml"
    check "manifest: asInvoker" has_all "$inspect/manifest.xml" \
        '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
    check "manifest: supportedOS Vista to 10/11" has_all "$inspect/manifest.xml" \
        '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
        '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
        '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'
    check "manifest: system dpi aware" grep -qE '<dpiAware[^>]*>true</dpiAware>' "$inspect/manifest.xml"
    check "only Windows DLLs imported" windows_dlls_only
    say "Pellorin.exe (i686) imports: $(tr '\n' ' ' <"$inspect/dlls.txt")"
else
    failed=$((failed + 1))
    say "FAILED: build/win32/bin/Pellorin.exe missing"
fi
finish
