#!/usr/bin/env bash
# Installs, with apt-get, those of the Debian packages named as arguments that
# are not installed yet. Needs root, or sudo.
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "== missing packages (${missing[*]}), and neither root nor sudo to install them" >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "== installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
