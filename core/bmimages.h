// The image catalogue: which firmware images the configured medium holds,
// under which names, in which directories. Rebuilt from the disk on every load.
#pragma once

#include "estring.h"
#include "sigc.h"

#include <vector>

// One bootable image. An empty location stands for the box's own flash.
struct eImage {
    eString name;
    eString location;
};

class bmimages : public SigC::Object {
  public:
    std::vector<eImage> images;

    // The flash entry, then every directory under mountpoint + "/image/" and
    // mountpoint + "/fwpro/" in listing order. Returns the number of entries.
    int load(eString mountpoint, bool clear);
};
