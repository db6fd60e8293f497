// menuswitch: switches the boot menu on ("BM") or off ("FW") in the flash's
// init script from inside the emulated box, as the plug-in's Save does.
// It stands in for the plug-in until that runs in the box.
// usage: menuswitch BM|FW|other
#include "bmboot.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: menuswitch MODE\n");
        return 2;
    }
    bmboot boot;
    boot.activateMenu(argv[1]);
    return 0;
}
