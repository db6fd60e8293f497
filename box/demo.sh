#!/bin/sh
# make demo: assembles the emulated box, boots it and shows what happened.
# usage: demo.sh BUILD_DIR OUT_DIR
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
box=$build/box
export BOXSHOT="$build/bin/boxshot"

show() { # title file
    echo "---- $1"
    if [ -e "$2" ]; then cat "$2"; else echo "(none)"; fi
}

sh "$src/box/assemble.sh" "$src" "$build" "$box"
conf=$box/root/var/tuxbox/config/enigma/pickstart.conf
printf '%s\n' '#VazuRoduvad-Config' 'mountpoint=/var/mnt/usb' 'selentry=/var/mnt/usb/fwpro/backup' \
    'randomskin=0' 'timeout=1' 'videoformat=1' 'skin-path=/var/tuxbox/config/enigma/boot' \
    'skin-name=blank.skin' > "$conf"

echo "==== power-up: remembered entry /var/mnt/usb/fwpro/backup, timeout 1 s"
bash "$src/box/power-up.sh" --limit 30 "$box" "$out/boot1"
cat "$out/boot1/console.log"
show "pickstart.conf" "$conf"
show "/tmp/bm.sh" "$box/root/tmp/bm.sh"
show "go of the started image" "$box/medium/fwpro/backup/go"
started=$(cd "$box/medium" && for f in */*/started; do [ -e "$f" ] && dirname "$f"; done)
echo "==== started image: ${started:-none}"
