#!/bin/sh
# Puts the box's device nodes into a root directory, as the box has them
# right after power-up: screen memory, console, video encoder, front display,
# the two key devices and the drivers' state (start-up mode 720x576, 8 bpp).
# Test knobs already in the state directory (fb.grant, saa.refuse,
# lcd.refuse) are left as they are.
# usage: install.sh ROOT
set -eu
[ $# -eq 1 ] || { echo "usage: install.sh ROOT" >&2; exit 2; }
root=${1%/}
dev=$root/dev
state=$dev/.standin

mkdir -p "$dev/fb" "$dev/vc" "$dev/dbox" "$state"

# Screen memory: 720 * 576 * 4 bytes, all black. No /dev/zero needed: the
# root's own /dev may not hold one yet.
rm -f "$dev/fb/0"
: > "$dev/fb/0"
truncate -s 1658880 "$dev/fb/0"
for node in vc/0 dbox/saa0 dbox/lcd0; do
    rm -f "$dev/$node"
    : > "$dev/$node"
done
for node in rawir2 dbox/fpkeys0; do
    rm -f "$dev/$node"
    mkfifo "$dev/$node"
done
chmod 666 "$dev/fb/0" "$dev/vc/0" "$dev/dbox/saa0" "$dev/dbox/lcd0" "$dev/rawir2" \
    "$dev/dbox/fpkeys0"

rm -f "$state/fb.cmap" "$state/saa.format" "$state/vc.mode"
echo "720 576 8 720" > "$state/fb.mode"
