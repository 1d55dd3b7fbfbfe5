#!/bin/bash
# Builds the Windows programs and runs every Windows test under wine64.
#
#   1. builds the win64 preset (the test build: unit tests, Windows service
#      tests, the end-to-end tests and the 64-bit Pellorin.exe) and the win32
#      preset (the release: the 32-bit Pellorin.exe);
#   2. makes a fresh Wine prefix for the run in build/win64/wineprefix, with
#      a real folder C:\progra~1 and the Arphic fonts standing in for 宋体
#      and 楷体_GB2312;
#   3. runs ctest on build/win64 inside one xvfb-run: every test program
#      starts under wine64 through tests/win32/wine-run.sh, with the locale
#      zh_CN.UTF-8 (ANSI code page 936); the code-page refusal test runs a
#      second time under C.UTF-8 (code page 1252);
#   4. checks the 32-bit Pellorin.exe with objdump.
#
# Counting: every GoogleTest case of every Windows test program (read from
# its XML report), plus each objdump check, is one test; a test program
# that fails without a report, and a build that fails, count one failure
# each. The last line is "N passed, M failed"; the exit status is non-zero
# when anything failed. Installs nothing: ./test.sh does that.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
started=$SECONDS
passed=0
failed=0

say() { printf '[windows %3ds] %s\n' $((SECONDS - started)) "$*"; }
finish() {
    say "done"
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit $?
}

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

# --- 2. the Wine prefix ---------------------------------------------------
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX=$root/build/win64/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine names the code page after the locale but converts file names with the
# C library's locale, which must exist for Chinese names: compile it into a
# private folder (the locales package provides its source).
locpath=$root/build/win64/locale
if [ ! -d "$locpath/zh_CN.UTF-8" ]; then
    mkdir -p "$locpath"
    if ! localedef -i zh_CN -f UTF-8 "$locpath/zh_CN.UTF-8" >"$logs/localedef.log" 2>&1; then
        cat "$logs/localedef.log"
        say "FAILED: cannot compile the zh_CN.UTF-8 locale (is the locales package installed?)"
        failed=$((failed + 1))
        finish
    fi
fi
export MORVANE_LOCPATH=$locpath

say "making a fresh Wine prefix"
[ -d "$WINEPREFIX" ] && "$wineserver" -k >/dev/null 2>&1
rm -rf "$WINEPREFIX"
if ! LOCPATH=$locpath LC_ALL=zh_CN.UTF-8 xvfb-run -a "$wine" wineboot -i >"$logs/wineboot.log" 2>&1; then
    tail -20 "$logs/wineboot.log"
    say "FAILED: wineboot"
    failed=$((failed + 1))
    finish
fi
LOCPATH=$locpath "$wineserver" -w
# Wine's short names are hashed ("PROG~FBU"): give c:\progra~1 a real folder.
mkdir -p "$WINEPREFIX/drive_c/progra~1"
# The Arphic fonts in the prefix, standing in for SimSun and KaiTi.
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
for font in /usr/share/fonts/truetype/arphic/uming.ttc /usr/share/fonts/truetype/arphic/ukai.ttc; do
    [ -f "$font" ] && ln -sf "$font" "$fonts/"
done
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"宋体"="AR PL UMing CN"' '"SimSun"="AR PL UMing CN"' '"新宋体"="AR PL UMing CN"' \
    '"楷体_GB2312"="AR PL UKai CN"' '"KaiTi_GB2312"="AR PL UKai CN"' '"楷体"="AR PL UKai CN"' \
    '"KaiTi"="AR PL UKai CN"' '' |
    iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX/drive_c/morvane-fonts.reg"
LOCPATH=$locpath LC_ALL=zh_CN.UTF-8 "$wine" regedit /S 'C:\morvane-fonts.reg' >"$logs/regedit.log" 2>&1
LOCPATH=$locpath "$wineserver" -w

# --- 3. the test programs -------------------------------------------------
say "running the Windows tests under wine64 (ctest in xvfb-run)"
export MORVANE_RESULTS=$results
export MORVANE_SCREENSHOTS=$screenshots
xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c 'ctest --test-dir build/win64 --output-on-failure --timeout 300; status=$?; '"'$wineserver'"' -k; exit $status' \
    >"$logs/ctest.log" 2>&1
grep -E "Test +#|tests passed|Total Test time" "$logs/ctest.log"

# Each ctest test and its GoogleTest report.
while read -r name outcome; do
    case $name in
        win32_tests_acp1252) report=$results/win32_tests-acp1252.xml ;;
        *) report=$results/$name.xml ;;
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
        say "$name: $((${tests:-0} - bad)) of ${tests:-0} cases passed"
    else
        failed=$((failed + 1))
        say "FAILED: $name left no report ($outcome)"
    fi
done < <(sed -n 's/.*Test *#[0-9]*: \([A-Za-z0-9_]*\) \.*[* ]*\([A-Za-z]*\).*/\1 \2/p' "$logs/ctest.log")
if grep -q "FAILED\|\*\*\*" "$logs/ctest.log"; then
    grep -E "Failure|FAILED|\*\*\*" "$logs/ctest.log" | head -40
fi

# --- 4. the 32-bit release ------------------------------------------------
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
    headers=$(i686-w64-mingw32-objdump -p "$exe" 2>&1)
    wide=$(i686-w64-mingw32-strings -el "$exe")
    narrow=$(i686-w64-mingw32-strings -a "$exe")
    check "machine i386" grep -q "file format pei-i386" <<<"$headers"
    check "GUI subsystem" grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$headers"
    check "version strings" bash -c 'for s in OriginalFilename Pellorin.exe InternalName Pellorin ProductName \
        FileDescription Comments Morvane CompanyName FileVersion 1.00 080404B0 Translation; do
        grep -qx -- "$s" <<<"$1" || grep -q -- "$s" <<<"$1" || exit 1; done' _ "$wide"
    check "manifest" bash -c 'grep -q "Microsoft.Windows.Common-Controls" <<<"$1" &&
        grep -q "6595b64144ccf1df" <<<"$1" && grep -q "6.0.0.0" <<<"$1"' _ "$narrow"
    check "only Windows DLLs imported" bash -c '
        dlls=$(sed -n "s/^[[:space:]]*DLL Name: //p" <<<"$1" | tr "[:upper:]" "[:lower:]")
        [ -n "$dlls" ] || exit 1
        for dll in $dlls; do
            case $dll in
                kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|ole32.dll|oleaut32.dll|\
                advapi32.dll|shell32.dll|msvcrt.dll|uxtheme.dll) ;;
                *) echo "$dll"; exit 1 ;;
            esac
        done' _ "$headers"
    say "Pellorin.exe (i686) imports: $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
else
    failed=$((failed + 1))
    say "FAILED: build/win32/bin/Pellorin.exe missing"
fi
finish
