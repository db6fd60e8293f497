#!/bin/sh
# make demo: assembles the emulated box, boots it twice and shows what
# happened: which image started, what the configuration and the two boot
# scripts hold, and screenshots of the TV and the front display.
# usage: demo.sh BUILD_DIR OUT_DIR
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
box=$build/box
export BOXSHOT="$build/bin/boxshot"
rm -f "$out"/tv-*.png "$out"/lcd-*.png "$out"/console-*.log

show() { # title file
    echo "---- $1"
    if [ -e "$2" ]; then cat "$2"; echo; else echo "(none)"; fi
}
started() {
    (cd "$box/medium" && for f in */*/started; do [ -e "$f" ] && dirname "$f"; done)
}
report() { # tag
    echo "---- console of the box"
    cat "$out/console-$1.log"
    show "pickstart.conf" "$conf"
    show "/tmp/bm.sh" "$box/root/tmp/bm.sh"
    for image in $(started); do
        show "go in /var/mnt/usb/$image" "$box/medium/$image/go"
    done
    echo "==== started image: $(started | sed 's|^|/var/mnt/usb/|' || true)"
    echo
}

sh "$src/box/assemble.sh" "$src" "$build" "$box"
conf=$box/root/var/tuxbox/config/enigma/pickstart.conf
printf '%s\n' '#VazuRoduvad-Config' 'mountpoint=/var/mnt/usb' 'selentry=/var/mnt/usb/image/classic' \
    'randomskin=0' 'timeout=2' 'videoformat=1' 'skin-path=/var/tuxbox/config/enigma/boot' \
    'skin-name=blank.skin' > "$conf"

echo "==== power-up 1: remembered entry /var/mnt/usb/image/classic, no key, timeout 2 s"
bash "$src/box/power-up.sh" --limit 30 --tag boot1 "$box" "$out" lcd 1 shot menu
report boot1

echo "==== power-up 2: the menu shows; down, skin+, then ok starts the next image"
bash "$src/box/power-up.sh" --limit 30 --tag boot2 "$box" "$out" \
    lcd 1 shot menu wait 0.5 key down lcd 2 wait 0.3 shot down \
    key skin+ lcd 3 wait 0.3 shot skin wait 0.5 key ok
report boot2
echo "Screenshots are in $out (tv-*.png: the TV, lcd-*.png: the front display)."
