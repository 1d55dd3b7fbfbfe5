#!/bin/bash
# Builds the Debian package and tries it on this machine the way a user
# would: installs it with apt-get, runs the installed program, removes it.
#
#   1. builds the linux-release preset's `package` target (CPack);
#   2. reads the package with dpkg-deb: its fields (Depends computed from the
#      binaries and naming the Qt 6 libraries, the fonts and Qt's
#      translations) and its files;
#   3. installs it with apt-get, checks what dpkg says it installed, runs the
#      installed `pellorin --version` and the example extraction through the
#      installed window (tools/headless-example.sh), whose only stand-in
#      interpreter is the installed one;
#   4. removes it with apt-get and checks that nothing of it is left;
#   5. builds the win32 preset's `package` target and reads the archive: the
#      release Pellorin.exe and the guide as text for Notepad.
#
# The package is removed again however this script ends, and one lock keeps
# two copies of it (other checkouts on the same machine) from installing and
# removing at the same time. Each check counts one test; the last line is
# "N passed, M failed". Needs root or sudo; installs nothing else: ./test.sh
# does that.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
# The guide's file name is Chinese: unzip lists it only in a UTF-8 locale.
export LC_ALL=C.UTF-8
. tools/lib.sh
start_counting package
check() {  # name, then the command that must succeed
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        say "ok: $name"
    else
        failed=$((failed + 1))
        say "FAILED: $name"
    fi
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { say "FAILED: neither root nor sudo to install the package"; failed=1; finish; }
    sudo="sudo"
fi
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -q -o DPkg::Lock::Timeout=600 "$@"; }

build=$root/build/linux-release
logs=$build/package-logs
mkdir -p "$logs"

# --- 1. the package ---------------------------------------------------------
say "building the package (preset linux-release, target package)"
rm -f "$build"/pellorin_*.deb
if ! { cmake --preset linux-release -DMORVANE_BUILD_TESTS=OFF &&
    cmake --build --preset linux-release -j2 --target package; } >"$logs/build.log" 2>&1; then
    grep -E "error|Error|FAILED" "$logs/build.log" | head -30
    say "FAILED: building the package"
    failed=$((failed + 1))
    finish
fi
debs=("$build"/pellorin_*_amd64.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    say "FAILED: the build left no single pellorin_<version>_amd64.deb (${debs[*]})"
    failed=$((failed + 1))
    finish
fi
deb=${debs[0]}
say "package: $deb"

# --- 2. what is in it ---------------------------------------------------------
dpkg-deb --info "$deb" >"$logs/info.txt"
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's#^\./#/#' >"$logs/contents.txt"
sed 's/^/    /' "$logs/info.txt"
sed 's/^/    /' "$logs/contents.txt"
field() { dpkg-deb --field "$deb" "$1"; }

version=$(field Version)
check "file name is pellorin_<Version>_amd64.deb" [ "$(basename "$deb")" = "pellorin_${version}_amd64.deb" ]
check "Package, Architecture, Maintainer, Section" \
    [ "$(field Package)/$(field Architecture)" = "pellorin/amd64" -a -n "$(field Maintainer)" -a -n "$(field Section)" ]
check "no Homepage invented" [ -z "$(field Homepage)" ]
depends_name() { field Depends | tr ',' '\n' | sed -E 's/^ *//; s/ .*//; s/:.*//' | grep -qx "$1"; }
depends_all() {
    local name
    [ -n "$(field Depends)" ] || return 1
    for name in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 \
        fonts-arphic-uming fonts-arphic-ukai qt6-translations-l10n; do
        depends_name "$name" || { say "Depends lacks $name"; return 1; }
    done
}
check "Depends names the Qt 6 libraries, the C++ runtime, the fonts and Qt's translations" depends_all
check "Description in English and Chinese" \
    bash -c 'd=$(dpkg-deb --field "$1" Description); grep -q "delimited text" <<<"$d" && grep -q "提取" <<<"$d"' _ "$deb"
contents_all() {
    local path
    for path in /usr/bin/pellorin /usr/libexec/pellorin/cmd.exe /usr/share/applications/pellorin.desktop \
        /usr/share/icons/hicolor/48x48/apps/pellorin.png /usr/share/icons/hicolor/256x256/apps/pellorin.png \
        /usr/share/metainfo/org.morvane.pellorin.metainfo.xml /usr/share/doc/pellorin/copyright \
        /usr/share/doc/pellorin/使用说明.md /usr/share/doc/pellorin/images/windows-main-window.png; do
        grep -qx "$path" "$logs/contents.txt" || { say "the package lacks $path"; return 1; }
    done
}
check "holds the program, the stand-in, the desktop entry, icons, metadata, copyright, guide" contents_all
# The stand-in must never be on PATH, and nothing outside /usr.
check "nothing else in /usr/bin, nothing outside /usr" \
    bash -c '! grep -E "^/usr/bin/." "$1" | grep -vqx /usr/bin/pellorin && ! grep -vqE "^/$|^/usr/" "$1"' _ "$logs/contents.txt"

# --- 3. installed -------------------------------------------------------------
exec 9>/tmp/morvane-package-test.lock
say "waiting for the package test lock"
flock 9
remove_package() {
    if dpkg-query -W -f='${Status}' pellorin 2>/dev/null | grep -q "installed"; then
        apt_get remove -y pellorin >>"$logs/remove.log" 2>&1
    fi
}
trap remove_package EXIT
if dpkg-query -W -f='${Status}' pellorin 2>/dev/null | grep -q " installed"; then
    say "pellorin $(dpkg-query -W -f='${Version}' pellorin) was installed before this test: removing it first"
    remove_package
fi

say "apt-get install -y $deb"
if apt_get install -y "$deb" >"$logs/install.log" 2>&1; then
    passed=$((passed + 1))
    say "ok: apt-get install"
else
    tail -20 "$logs/install.log"
    say "FAILED: apt-get install"
    failed=$((failed + 1))
    finish
fi
dpkg -L pellorin >"$logs/installed.txt" 2>&1
check "dpkg -L lists what the package holds" \
    bash -c 'for p in /usr/bin/pellorin /usr/libexec/pellorin/cmd.exe; do grep -qx "$p" "$1" || exit 1; done' _ "$logs/installed.txt"
check "the installed pellorin is the one on PATH" [ "$(command -v pellorin)" = /usr/bin/pellorin ]
installed_version=$(env -u DISPLAY -u WAYLAND_DISPLAY pellorin --version 2>&1)
say "pellorin --version: $installed_version"
check "pellorin --version names the package's version" [ "$installed_version" = "pellorin $version" ]
check "installed desktop entry is valid" desktop-file-validate /usr/share/applications/pellorin.desktop
check "the installed guide is docs/使用说明.md" cmp -s /usr/share/doc/pellorin/使用说明.md docs/使用说明.md
check "the installed metadata describes the program in Chinese" \
    grep -q '<p xml:lang="zh-CN">' /usr/share/metainfo/org.morvane.pellorin.metainfo.xml
# The program looks for its interpreter beside itself and in
# ../libexec/pellorin only: with no /usr/bin/cmd.exe, a successful run used
# the installed stand-in.
check "the stand-in is only at /usr/libexec/pellorin/cmd.exe" \
    bash -c '[ ! -e /usr/bin/cmd.exe ] && [ -x /usr/libexec/pellorin/cmd.exe ]'
check "the example extraction through the installed program" \
    tools/headless-example.sh /usr/bin/pellorin "$logs/installed-example.png"

# --- 4. removed ---------------------------------------------------------------
apt_get remove -y pellorin >"$logs/remove.log" 2>&1
check "apt-get remove" [ $? -eq 0 ]
check "dpkg knows no file of pellorin any more" bash -c '[ -z "$(dpkg -L pellorin 2>/dev/null)" ]'
# dpkg-deb lists folders with a trailing "/": the shared ones (/usr/bin/, …)
# stay, the package's own must go with its files.
files_gone() {
    local left=0 path
    while read -r path; do
        case $path in
            /usr/libexec/pellorin/ | /usr/share/doc/pellorin/ | /usr/share/doc/pellorin/images/) path=${path%/} ;;
            */) continue ;;
        esac
        if [ -e "$path" ] || [ -L "$path" ]; then
            say "left behind: $path"
            left=1
        fi
    done <"$logs/contents.txt"
    return $left
}
check "every file and the package's own folders are gone" files_gone

# --- 5. the Windows archive ----------------------------------------------------
# ./test.sh has built the win32 preset for the Windows tests by now, so this
# only packs it.
say "building the Windows archive (preset win32, target package)"
zip=$root/build/win32/Morvane-${version}-win32.zip
rm -f "$zip"
if ! { cmake --preset win32 && cmake --build --preset win32 -j2 --target package; } >"$logs/win32-build.log" 2>&1; then
    grep -E "error|Error|FAILED" "$logs/win32-build.log" | head -30
fi
check "the win32 build leaves Morvane-<version>-win32.zip" [ -f "$zip" ]
unzip -Z1 "$zip" 2>/dev/null | sed 's/^/    /'
check "the archive holds Pellorin.exe and 使用说明.txt, nothing else" \
    [ "$(unzip -Z1 "$zip" 2>/dev/null | sort | tr '\n' ' ')" = "Pellorin.exe 使用说明.txt " ]
check "its Pellorin.exe is the release build" \
    bash -c 'unzip -p "$1" Pellorin.exe | cmp -s - build/win32/bin/Pellorin.exe' _ "$zip"
# What Notepad on every Windows from XP on shows right: a byte-order mark,
# then the guide's lines ended by CR LF.
check "its 使用说明.txt is the guide in UTF-8 with a byte-order mark and CR LF" \
    bash -c 'cmp -s <(unzip -p "$1" 使用说明.txt) <(printf "\xef\xbb\xbf"; perl -pe "s/\r?\n/\r\n/" docs/使用说明.md)' _ "$zip"
finish
