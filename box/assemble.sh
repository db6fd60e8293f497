#!/bin/sh
# Assembles a throwaway emulated box in BOXDIR:
#   BOXDIR/root    the box's root file system: BusyBox as its shell and tools,
#                  our programs with the libraries they need, the font, the
#                  fallback skin, the flash partition as "/var" with its init
#                  script, and the device stand-ins
#   BOXDIR/medium  the USB stick, mounted at "/var/mnt/usb" when the box runs,
#                  holding sample images, each a small root file system
# usage: assemble.sh SRC_DIR BUILD_DIR BOXDIR
set -eu
src=$1 build=$2 box=$3
root=$box/root medium=$box/medium
busybox=$(command -v busybox || echo /bin/busybox)

rm -rf "$box"
mkdir -p "$root" "$medium"
cd "$root"
mkdir -p bin sbin etc/init.d tmp proc dev root share/fonts var/etc var/mnt/usb var/mnt/cf hdd \
    var/tuxbox/config/enigma/boot share/tuxbox/enigma/boot
chmod 1777 tmp

# A program and the shared libraries it loads, at the host's paths, into a
# root: copy_with_libs PROGRAM ROOT PATH-IN-ROOT
copy_with_libs() {
    mkdir -p "$2$(dirname "$3")"
    cp "$1" "$2$3"
    ldd "$1" 2>/dev/null | awk '/=> \// { print $3 } /^\t\// { print $1 }' | while read -r lib; do
        mkdir -p "$2$(dirname "$lib")"
        [ -e "$2$lib" ] || cp -L "$lib" "$2$lib"
    done
}

# BusyBox is the box's shell and every tool the scripts call.
copy_with_libs "$busybox" "$root" /bin/busybox
for applet in $(bin/busybox --list); do
    [ -e "bin/$applet" ] || ln -s busybox "bin/$applet"
done

# Our programs, and the device stand-ins preloaded into the box's processes.
copy_with_libs "$build/bin/pickstart" "$root" /bin/pickstart
[ -f "$build/bin/menuswitch" ] && copy_with_libs "$build/bin/menuswitch" "$root" /bin/menuswitch
# The box's dynamic loader preloads the stand-ins into every program of the
# flash system; an image's root has no such file, so its programs run bare.
if [ -f "$build/lib/libboxdev.so" ]; then
    copy_with_libs "$build/lib/libboxdev.so" "$root" /lib/libboxdev.so
    echo /lib/libboxdev.so > etc/ld.so.preload
fi

# The firmware's font and the fallback skin.
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf share/fonts/pakenham.ttf
for f in "$src"/box/skins/fallback/*; do
    [ -e "$f" ] && cp "$f" share/tuxbox/enigma/boot/
done
for f in "$src"/box/skins/flash/*; do
    [ -e "$f" ] && cp "$f" var/tuxbox/config/enigma/boot/
done

# The box's own start-up and the flash's init script with the boot-menu line.
cp "$src/box/rootfs/init" sbin/init
cp "$src/box/rootfs/rcS" etc/init.d/rcS
cp "$src/box/rootfs/flash-init" var/etc/init
chmod 755 sbin/init etc/init.d/rcS var/etc/init

# The flash partition stand-in: "mount -t jffs2 /dev/mtdblock/1 DIR" shows
# the flash (the running system's "/var") at DIR.
[ -f "$src/box/flash/install.sh" ] && sh "$src/box/flash/install.sh" "$root"
if [ -f "$src/box/standin/install.sh" ]; then
    sh "$src/box/standin/install.sh" "$root"
fi

# The medium with three sample images.
make_image() { # dir display-name
    img=$medium/$1
    mkdir -p "$img/bin" "$img/etc/init.d" "$img/dev" "$img/proc" "$img/tmp"
    copy_with_libs "$busybox" "$img" /bin/busybox
    for applet in sh echo cat sleep ls mkdir mknod date uname tr; do
        ln -s busybox "$img/bin/$applet"
    done
    cp "$src/box/images/mount" "$img/bin/mount"
    sed "s|@NAME@|${2:-${1##*/}}|" "$src/box/images/rcS" > "$img/etc/init.d/rcS"
    chmod 755 "$img/bin/mount" "$img/etc/init.d/rcS"
    [ -n "$2" ] && printf '%s\n' "$2" > "$img/imagename"
    return 0
}
mkdir -p "$medium/boot/skins"
for f in "$src"/box/skins/medium/*; do
    [ -e "$f" ] && cp "$f" "$medium/boot/skins/"
done
make_image image/classic "Classic 2.1"
make_image fwpro/backup ""
make_image fwpro/testing "Testing build"
