// bmboot: the skins the boot menu can use, and the line in the flash's init
// script that makes init start the boot menu at power-up.
#pragma once

#include "estring.h"
#include "sigc.h"

#include <vector>

class bmboot : public SigC::Object {
  public:
    // Full paths of the skin files, as the last getSkins() found them.
    std::vector<eString> skins;

    // Lists the ".skin" entries of `skinDir` (read from the flash partition
    // when it lies under "/var") and of `mountpoint` + "/boot/skins".
    // Returns the number of entries in `skins`.
    int getSkins(eString skinDir, eString mountpoint);

    // Rewrites the flash's init script for `mode`: "BM" switches the boot
    // menu on, "FW" off, anything else disables every menu and "fwpro" line.
    void activateMenu(eString mode);
};

// Replaces "/tmp/jffs2/etc/init" by `text` so that a power cut at any moment
// leaves the old script or the new one, executable either way. Returns 0,
// or -1 when nothing was written.
int writeInitScript(const eString &text);
