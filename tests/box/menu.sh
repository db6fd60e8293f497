#!/bin/sh
# The boot menu in the emulated box, from power-up to the chosen image's rcS.
SRC=$1 BUILD=$2
. "$SRC/tests/box/boxlib.inc"
new_box menu
skins=/var/tuxbox/config/enigma/boot

# Directory order, as the box's listings see it.
listed() { ls -U -a "$1" | grep -v '^\.\.\?$'; }
first_fwpro=$(listed "$MEDIUM/fwpro" | head -n 1)

set_config /var/mnt/usb/image/classic 1
boot_box
check "no key, timeout 1 s: the remembered image starts" [ "$(started_images)" = image/classic ]

set_config /var/mnt/usb/image/classic 30
boot_box lcd 1 shot menu key down lcd 2 shot down key ok
check "down, ok: the next image starts" [ "$(started_images)" = "fwpro/$first_fwpro" ]
check "down, ok: the configuration holds it" conf_has "selentry=/var/mnt/usb/fwpro/$first_fwpro"
check "the menu was on the TV in 16 bits" [ -s "$OUT/tv-menu.png" ]
check "the LCD showed the menu" [ -s "$OUT/lcd-menu.png" ]
check "after the choice the LCD is blank and the screen back in its start-up mode" \
    [ "$(cat "$ROOT/dev/.standin/fb.mode")" = "720 576 8 720" ]

all_skins=$(listed "$ROOT$skins" | grep '\.skin$')
count=$(printf '%s\n' "$all_skins" | wc -l)
if [ "$count" -ge 2 ]; then
    now=$(printf '%s\n' "$all_skins" | head -n 1)
    next=$(printf '%s\n' "$all_skins" | sed -n 2p)
    set_config /var/mnt/usb/image/classic 30 "$now"
    boot_box lcd 1 key skin+ lcd 2 shot skin key ok
    check "skin+, ok: the configuration holds the next skin" conf_has "skin-name=$next"
    check "skin+, ok: in the flash's skin directory" conf_has "skin-path=$skins"
    check "skin+, ok: the remembered image starts" [ "$(started_images)" = image/classic ]
fi

finish
