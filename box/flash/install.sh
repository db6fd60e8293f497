#!/bin/sh
# Puts the flash stand-in into an emulated box: ROOT/bin/mount and the
# device marker ROOT/dev/mtdblock/1. Usage: install.sh ROOT
set -e
root=${1:?usage: install.sh ROOT}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$root/bin" "$root/dev/mtdblock"
rm -f "$root/bin/mount"
cp "$here/mount" "$root/bin/mount"
chmod 755 "$root/bin/mount"
: >"$root/dev/mtdblock/1"
