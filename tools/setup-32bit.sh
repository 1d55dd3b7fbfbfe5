#!/usr/bin/env bash
# Makes this Debian 12 x86-64 machine run 32-bit (i686) Linux programs, as
# the 32-bit half of Wine in the Wine 10 root (tools/setup-wine10.sh) needs
# to run the 32-bit release.
#
# Where the kernel runs them itself, nothing is done. Where its IA-32
# emulation is switched off ("Exec format error"), they run under
# qemu-i386's user-mode emulation instead, hooked in through binfmt_misc with
# the F flag (the kernel opens the emulator at registration, so it serves the
# root's chroot as well). That needs qemu 8 or later (with Debian 12's 7.2,
# Wine dies with "failed to map the shared user data"): qemu-i386 is taken
# from the qemu-user package of the bookworm-backports suite on the machine's
# own Debian mirror, downloaded with a private apt state (the machine's
# sources stay as they are) and unpacked, not installed.
#
# Idempotent; does only what is missing, so a second run takes well under a
# second. Needs root (or sudo) only when something is missing. binfmt_misc
# registrations do not survive a reboot: run it again after one.
#
# MORVANE_WINE32_QEMU=1 takes the qemu route even where the kernel runs
# 32-bit programs itself (to try that route; undo with
# "echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386").
#
# Exit status: 0 ready; 2 this machine cannot run 32-bit programs (the
# kernel cannot, and binfmt_misc cannot be used here), with one line
# "cannot run 32-bit programs here: REASON" on stdout; 1 anything else failed.
set -euo pipefail

qemu_dir=/usr/local/lib/morvane/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
# qemu takes an argv0 ending in "-binfmt-P" as "started by binfmt_misc with
# the P flag" (argv0 kept): the entry points at this name.
interpreter=$qemu_dir/i386-binfmt-P
. "$(dirname "$0")/lib.sh"
start_counting setup-32bit
cannot() {
    echo "cannot run 32-bit programs here: $*"
    exit 2
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A static 32-bit Linux program that exits with 42.
elf32=$scratch/exit42
make_elf32() {
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$scratch/exit42.s"
    as --32 -o "$scratch/exit42.o" "$scratch/exit42.s" && ld -m elf_i386 -o "$elf32" "$scratch/exit42.o"
}
runs_32bit() {
    local status=0
    "$elf32" 2>/dev/null || status=$?
    [ "$status" -eq 42 ]
}
qemu_is_new_enough() {
    "$qemu_dir/qemu-i386" --version 2>/dev/null | head -1 | grep -Eq 'version ([89]|[1-9][0-9])\.'
}
# Our binfmt entry is in place and enabled.
registered() {
    [ -f "$entry" ] && grep -qx enabled "$entry" && grep -qx "interpreter $interpreter" "$entry"
}

# Fast path: everything in place (no root needed).
force_qemu=${MORVANE_WINE32_QEMU:-}
if command -v as >/dev/null && make_elf32 && runs_32bit && { [ -z "$force_qemu" ] || registered; }; then
    say "ready: $(registered && echo "32-bit programs run through $("$qemu_dir/qemu-i386" --version | head -1)" || echo "32-bit programs run natively")"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || cannot "the set-up needs root (or sudo), and this is neither"
    # Never waits for a password: run it as root once instead.
    exec sudo -n -E "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive
# Wait for another apt or dpkg run to finish rather than fail at once.
lock_wait=(-o DPkg::Lock::Timeout=600)

if ! command -v as >/dev/null || ! command -v dpkg-deb >/dev/null; then
    say "installing binutils"
    apt-get "${lock_wait[@]}" install -y -q --no-install-recommends binutils dpkg >/dev/null
fi
make_elf32

# 32-bit Linux programs: natively, or through qemu-i386.
if [ -z "$force_qemu" ] && runs_32bit && ! registered; then
    say "the kernel runs 32-bit programs itself"
else
    mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
        cannot "the kernel does not run them, and binfmt_misc cannot be mounted at $binfmt"
    [ -w "$binfmt/register" ] ||
        cannot "the kernel does not run them, and $binfmt/register is not writable"

    if ! qemu_is_new_enough; then
        # The mirror of the machine's main Debian suite, from its own sources.
        mirror=$(debian_mirror)
        [ -n "$mirror" ] || { say "FAILED: no Debian bookworm mirror in the apt sources"; exit 1; }
        say "downloading qemu-user from bookworm-backports on $mirror (unpacked, not installed)"
        mkdir -p "$scratch/lists/partial" "$scratch/cache/archives/partial" "$scratch/deb"
        echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" \
            >"$scratch/sources.list"
        private_apt=(-o "Dir::Etc::SourceList=$scratch/sources.list" -o "Dir::Etc::SourceParts=$scratch/none"
            -o "Dir::State::Lists=$scratch/lists" -o "Dir::Cache=$scratch/cache")
        apt-get "${private_apt[@]}" update -q >"$scratch/update.log" 2>&1 ||
            { cat "$scratch/update.log"; say "FAILED: apt-get update on bookworm-backports"; exit 1; }
        (cd "$scratch/deb" && apt-get "${private_apt[@]}" download -q qemu-user/bookworm-backports) \
            >"$scratch/download.log" 2>&1 ||
            { cat "$scratch/download.log"; say "FAILED: downloading qemu-user"; exit 1; }
        dpkg-deb -x "$scratch"/deb/qemu-user_*.deb "$scratch/qemu"
        install -D -m 755 "$scratch/qemu/usr/bin/qemu-i386" "$qemu_dir/qemu-i386"
        qemu_is_new_enough || { say "FAILED: $("$qemu_dir/qemu-i386" --version | head -1) is older than 8"; exit 1; }
    fi
    ln -sfn qemu-i386 "$interpreter"
    say "$("$qemu_dir/qemu-i386" --version | head -1)"

    if ! registered; then
        [ -f "$entry" ] && echo -1 >"$entry"  # someone else's qemu-i386 (an older qemu)
        # i386 ELF programs and shared objects (e_type 2 and 3, machine 3).
        # Flags: O hands qemu the open file, P keeps argv0, F opens the
        # interpreter now (so it works inside other mount namespaces too).
        magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        { printf '%s' ":qemu-i386:M::$magic:$mask:$interpreter:OPF" >"$binfmt/register"; } 2>/dev/null ||
            cannot "the kernel does not run them, and binfmt_misc refused the registration"
    fi
    runs_32bit || { say "FAILED: a 32-bit program does not run even through qemu-i386"; exit 1; }
    say "binfmt_misc: 32-bit programs run through $interpreter"
fi

say "ready: 32-bit programs run here"
