#!/usr/bin/env bash
# Makes, once, the Debian 13 root the Windows tests run in, and checks it on
# every later call: Wine 10 (its 64-bit half, and its 32-bit half where this
# machine runs 32-bit programs), Xvfb, ctest, the zh_CN.UTF-8 locale and the
# Arphic fonts, beside this Debian 12 host. Debian 12 has only Wine 8, whose
# cmd.exe writes nothing for a redirection around a parenthesised block,
# `>>"OUT" (for /f ... do @echo(%%a)`, the line the program writes; Wine 10's
# writes every value.
#
# The root is made with debootstrap (minbase) from the mirror of the host's
# own apt sources, then gets its packages with apt-get inside it; commands
# run in it through tools/in-wine10-root.sh. The host itself only gets
# debootstrap, and, where its kernel does not run 32-bit programs, qemu-i386
# in binfmt_misc (tools/setup-32bit.sh, run first: the install scripts of
# the 32-bit Wine run 32-bit helpers).
#
# The root is $MORVANE_WINE10_ROOT (default /var/lib/morvane/wine10-root),
# shared by every checkout on the machine; a lock beside it keeps two set-ups
# apart. Idempotent: a ready root is checked in about a second. Needs root
# (or sudo) when anything is missing.
#
# Exit status: 0 ready; 2 ready for 64-bit programs only, with the last line
# "cannot run 32-bit programs here: REASON"; 1 anything else failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${MORVANE_WINE10_ROOT:-/var/lib/morvane/wine10-root}
. "$here/lib.sh"
start_counting setup-wine10

# What the root holds: the packages, and the stamp naming those installed.
packages=(wine wine64 fonts-wine xvfb xauth cmake locales fonts-arphic-uming fonts-arphic-ukai)
stamp=$root/.morvane-wine10-packages

# 32-bit programs on this machine (natively or through qemu-i386).
status32=0
out32=$("$here/setup-32bit.sh") || status32=$?
case $status32 in
    0) echo "$out32"; packages+=(wine32:i386) ;;
    2) no32=$(tail -n 1 <<<"$out32") ;;
    *) echo "$out32"; say "FAILED: setting up 32-bit programs (tools/setup-32bit.sh)"; exit 1 ;;
esac

ready() {
    [ -f "$stamp" ] || return 1
    local package
    for package in "${packages[@]}"; do grep -qxF "$package" "$stamp" || return 1; done
    "$here/in-wine10-root.sh" /usr/lib/wine/wine64 --version >/dev/null 2>&1
}
finish() {
    say "ready: $root, $("$here/in-wine10-root.sh" /usr/lib/wine/wine64 --version)$([ "$status32" -eq 0 ] && echo ", 64-bit and 32-bit")"
    if [ "$status32" -eq 2 ]; then
        echo "$no32"
        exit 2
    fi
    exit 0
}
ready && finish

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { say "FAILED: the set-up needs root (or sudo), and this is neither"; exit 1; }
    exec sudo -n -E "$0" "$@"  # never waits for a password: run it as root once instead
fi
export DEBIAN_FRONTEND=noninteractive
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9
ready && finish  # made meanwhile by another set-up

if [ ! -f "$root/.morvane-bootstrapped" ]; then
    # The mirror of the machine's own Debian suites, from its apt sources.
    mirror=$(debian_mirror)
    [ -n "$mirror" ] || { say "FAILED: no Debian mirror in the apt sources"; exit 1; }
    if ! command -v debootstrap >/dev/null; then
        say "installing debootstrap"
        apt-get -o DPkg::Lock::Timeout=600 install -y -q debootstrap >/dev/null
    fi
    # Made beside its place and moved there whole, so that a set-up cut short
    # leaves no half-made root behind.
    say "debootstrap trixie (minbase) from $mirror"
    rm -rf "$root.new"
    debootstrap --variant=minbase trixie "$root.new" "$mirror" >"$root.new.log" 2>&1 ||
        { tail -n 20 "$root.new.log"; say "FAILED: debootstrap"; exit 1; }
    rm -rf "$root" "$root.new.log"
    touch "$root.new/.morvane-bootstrapped"
    mv "$root.new" "$root"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

say "installing ${packages[*]} in the root"
"$here/in-wine10-root.sh" bash -euc '
    [[ " $* " != *:i386* ]] || dpkg --add-architecture i386
    apt-get update -q >/tmp/morvane-wine10-apt.log 2>&1 &&
        apt-get install -y -q --no-install-recommends "$@" >>/tmp/morvane-wine10-apt.log 2>&1 ||
        { tail -n 30 /tmp/morvane-wine10-apt.log; exit 1; }
    rm -f /tmp/morvane-wine10-apt.log
    apt-get clean
    sed -i "s/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/" /etc/locale.gen
    locale-gen >/dev/null
' bash "${packages[@]}" || { say "FAILED: installing the packages in the root"; exit 1; }
printf '%s\n' "${packages[@]}" >"$stamp"
ready || { say "FAILED: Wine 10 does not start in the root"; exit 1; }
finish
