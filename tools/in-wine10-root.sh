#!/usr/bin/env bash
# Runs a command inside the Wine 10 root that tools/setup-wine10.sh makes,
# from the current folder:
#
#   tools/in-wine10-root.sh CMD [ARG...]
#
# /proc, /sys, /dev, /tmp and this checkout appear inside at the same paths
# as outside (so build/ and the tests' scratch files are shared), in a
# private mount namespace: the mounts vanish when the command ends, and
# nothing of the host is changed. The environment passes through. A current
# folder outside the checkout and /tmp is not visible inside; the command
# then starts in the checkout.
#
# The root is $MORVANE_WINE10_ROOT (default /var/lib/morvane/wine10-root).
# Needs root: unshare and chroot do. Without it, runs itself again through
# "sudo -n" and the command as the calling user, so that what it writes in
# the checkout stays theirs.
set -euo pipefail
root=${MORVANE_WINE10_ROOT:-/var/lib/morvane/wine10-root}
checkout=$(cd "$(dirname "$0")/.." && pwd)

[ -x "$root/usr/bin/bash" ] || { echo "no Wine 10 root at $root (make it with tools/setup-wine10.sh)" >&2; exit 1; }
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "entering the Wine 10 root needs root (or sudo)" >&2; exit 1; }
    exec sudo -n --preserve-env MORVANE_RUN_AS="$(id -u):$(id -g)" "$0" "$@"
fi
exec unshare --mount --propagation private bash -euc '
    root=$1 checkout=$2 here=$3 user=$4
    shift 4
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --bind /tmp "$root/tmp"
    mkdir -p "$root$checkout"
    mount --bind "$checkout" "$root$checkout"
    case $here/ in "$checkout"/* | /tmp/*) ;; *) here=$checkout ;; esac
    exec chroot ${user:+"--userspec=$user"} "$root" /bin/bash -c "cd \"\$0\" && exec \"\$@\"" "$here" "$@"
' bash "$root" "$checkout" "$PWD" "${MORVANE_RUN_AS:-}" "$@"
