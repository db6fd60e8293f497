#!/bin/bash
# Powers the emulated box up and lets it boot: the box's init runs the flash
# start-up, whose init script runs pickstart and then the /tmp/bm.sh it left.
# The box runs in private mount, pid and network namespaces under chroot.
#
# usage: power-up.sh [--no-medium] [--limit SECONDS] [--tag TAG] BOXDIR OUTDIR [EVENT...]
# events, run in order once the box is up:
#   wait SECONDS      let time pass
#   lcd N             wait until the front display has been updated N times
#   key NAME|NUMBER   remote control: up down skin+ skin- ok start, or a code
#   front NAME|NUMBER front keys: up down ok none, or a raw value
#   shot NAME         save the TV and the LCD as OUTDIR/tv-NAME.png, lcd-NAME.png
# The box is switched off when an image reports its start, when the flash
# start-up has ended, or after the limit; then the screens are saved as
# OUTDIR/tv-end.png and lcd-end.png and the console as OUTDIR/console.log.
# With --tag TAG every name gets TAG- in front (tv-TAG-NAME.png,
# console-TAG.log), so that several boots can share one OUTDIR.
set -u
here=$(cd "$(dirname "$0")" && pwd)
medium_on=1 limit=60 tag=
while [ $# -gt 0 ]; do
    case $1 in
    --no-medium) medium_on=0; shift ;;
    --limit) limit=$2; shift 2 ;;
    --tag) tag=$2-; shift 2 ;;
    *) break ;;
    esac
done
box=$(cd "$1" && pwd) out=$2
shift 2
root=$box/root medium=$box/medium
mkdir -p "$out"
out=$(cd "$out" && pwd)
boxshot=${BOXSHOT:-$(dirname "$here")/build/bin/boxshot}
console=$out/console${tag:+-${tag%-}}.log

# A fresh power-up: RAM is empty, the flash and the medium keep what they hold.
find "$root/tmp" -mindepth 1 -delete 2>/dev/null
find "$medium" -maxdepth 3 -name started -delete 2>/dev/null
[ -f "$root/dev/dbox/lcd0" ] && : > "$root/dev/dbox/lcd0"

# Keep the key devices' writing ends open for the whole boot, so that the
# program's opens do not wait and our keys can be sent.
[ -p "$root/dev/rawir2" ] && exec 3<>"$root/dev/rawir2"
[ -p "$root/dev/dbox/fpkeys0" ] && exec 4<>"$root/dev/dbox/fpkeys0"

unshare --mount --pid --net --fork --kill-child --propagation private \
    env -i MEDIUM="$medium" ROOT="$root" WITH_MEDIUM=$medium_on /bin/sh -c '
        [ "$WITH_MEDIUM" = 1 ] && mount --bind "$MEDIUM" "$ROOT/var/mnt/usb"
        exec chroot "$ROOT" /sbin/init' >"$console" 2>&1 &
boxpid=$!

send() { # fd value
    printf "\\x$(printf %02x $(($2 & 255)))\\x$(printf %02x $(($2 >> 8 & 255)))" >&"$1"
}
remote_code() {
    case $1 in
    up) echo 33 ;; down) echo 34 ;; skin+) echo 35 ;; skin-) echo 36 ;; ok) echo 37 ;;
    start) echo 82 ;; *) echo $(($1)) ;;
    esac
}
front_value() {
    case $1 in
    up) echo 5 ;; down) echo 3 ;; ok) echo 6 ;; none) echo 7 ;; *) echo $(($1)) ;;
    esac
}
lcd_updates() {
    local size
    size=$(stat -c %s "$root/dev/dbox/lcd0" 2>/dev/null || echo 0)
    echo $((size / 960))
}
shot() {
    [ -x "$boxshot" ] || return 0
    "$boxshot" tv "$root" "$out/tv-$tag$1.png" && echo "screen: $out/tv-$tag$1.png"
    "$boxshot" lcd "$root" "$out/lcd-$tag$1.png" && echo "lcd:    $out/lcd-$tag$1.png"
}
booted() {
    grep -q -e '^\[image\]' -e '^\[box\] flash init script ended' "$console" 2>/dev/null
}
deadline=$((SECONDS + limit))

while [ $# -gt 0 ]; do
    case $1 in
    wait) sleep "$2"; shift 2 ;;
    lcd) while [ "$(lcd_updates)" -lt "$2" ] && [ $SECONDS -lt $deadline ] && ! booted; do
            sleep 0.05
        done
        shift 2 ;;
    key) send 3 "$(remote_code "$2")"; shift 2 ;;
    front) send 4 "$(front_value "$2")"; shift 2 ;;
    shot) shot "$2"; shift 2 ;;
    *) echo "power-up: unknown event $1" >&2; shift ;;
    esac
done

while ! booted && [ $SECONDS -lt $deadline ] && kill -0 $boxpid 2>/dev/null; do
    sleep 0.1
done
sleep 0.3
shot end
# unshare ignores SIGTERM while it waits; its death takes the box with it.
kill -KILL $boxpid 2>/dev/null
wait $boxpid 2>/dev/null
booted || echo "power-up: the box did not finish booting within ${limit}s" >&2
exit 0
