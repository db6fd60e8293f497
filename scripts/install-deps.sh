#!/bin/sh
# Installs what building, testing and the emulated box need, and nothing
# that is already there. Safe to run again and again.
# The box's BusyBox is Debian's regular build, not the static one: its shell
# runs the tools it finds in PATH, so the box's own "mount" is used.
set -e
need="g++ cmake make pkg-config libsigc++-3.0-dev libfreetype-dev libpng-dev zlib1g-dev \
libgtest-dev libgmock-dev libbenchmark-dev busybox fonts-dejavu-core squashfs-tools util-linux"
missing=""
for p in $need; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
