#!/bin/sh
# Power cuts while the boot menu is switched on or off in the flash's init
# script: after every cut the script is the old one or the new one.
SRC=$1 BUILD=$2
. "$SRC/tests/box/boxlib.inc"
new_box powercut
INIT=$ROOT/var/etc/init
CONSOLE=

off=$(printf '#!/bin/sh\n# flash start\n/bin/fwpro-start &\n: /bin/pickstart && /tmp/bm.sh\n')
on=$(printf '#!/bin/sh\n# flash start\n: /bin/fwpro-start &\n  /bin/pickstart && /tmp/bm.sh')

# Runs menuswitch in a box of its own and switches the box off after
# `delay` seconds, wherever it is.
switch_with_cut() { # mode delay
    unshare --mount --pid --net --fork --kill-child --propagation private \
        chroot "$ROOT" /bin/menuswitch "$1" >/dev/null 2>&1 &
    local pid=$!
    sleep "$2"
    kill -KILL $pid 2>/dev/null
    wait $pid 2>/dev/null
}

cuts=0 whole=0 broken=0
for i in $(seq 1 40); do
    printf '%s' "$off" >"$INIT"
    delay=0.0$(( (i * 7) % 10 ))$(( (i * 3) % 10 ))
    switch_with_cut BM "$delay"
    now=$(cat "$INIT")
    if [ "$now" = "$off" ]; then
        cuts=$((cuts + 1))
    elif [ "$now" = "$on" ]; then
        whole=$((whole + 1))
    else
        broken=$((broken + 1))
        echo "cut after ${delay}s left: $(od -c "$INIT" | head -n 5)" >&2
    fi
    [ -x "$INIT" ] || broken=$((broken + 1))
done
echo "power cuts: $cuts before the switch, $whole after, $broken broken"
check "every cut leaves the old or the new init script" [ "$broken" -eq 0 ]
check "the switch itself works" [ "$whole" -gt 0 ]

# Without a cut the switch goes through and the box boots with the menu.
printf '%s' "$off" >"$INIT"
switch_with_cut BM 5
check "BM switches the menu on" [ "$(cat "$INIT")" = "$on" ]
check "no temporary file is left" [ "$(ls "$ROOT/var/etc")" = init ]
check "the flash is no longer mounted in RAM" [ ! -e "$ROOT/tmp/jffs2" ]

finish
