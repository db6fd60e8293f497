#!/bin/sh
# Power-ups of the emulated box without keys: the remembered entry starts.
SRC=$1 BUILD=$2
. "$SRC/tests/box/boxlib.inc"
new_box startup

set_config /var/mnt/usb/fwpro/testing 0
boot_box
check "the remembered image's rcS runs" [ "$(started_images)" = fwpro/testing ]
check "its go script is in place" [ -x "$MEDIUM/fwpro/testing/go" ]
check "the choice is kept" conf_has selentry=/var/mnt/usb/fwpro/testing

set_config "" 0
boot_box
check "flash remembered: bm.sh only echoes" \
    [ "$(cat "$ROOT/tmp/bm.sh")" = "$(printf '#!/bin/sh\necho booting flash image...')" ]
check "flash remembered: the message is shown" console_has "booting flash image..."
check "flash remembered: no image starts" [ -z "$(started_images)" ]

set_config /var/mnt/usb/fwpro/testing 0
boot_box --no-medium
check "no medium: no boot script" [ ! -e "$ROOT/tmp/bm.sh" ]
check "no medium: no image starts" [ -z "$(started_images)" ]
check "no medium: the configuration keeps its entry" conf_has selentry=/var/mnt/usb/fwpro/testing

finish
