// The one place that knows where things live on the box.
#pragma once

namespace boxpath {

// The flash's writable partition while an operation holds it mounted.
constexpr const char *flashMount = "/tmp/jffs2";
constexpr const char *configFlash = "/tmp/jffs2/tuxbox/config/enigma/pickstart.conf";
// The flash system's init script, while the flash is mounted.
constexpr const char *flashInit = "/tmp/jffs2/etc/init";
constexpr const char *configVar = "/var/tuxbox/config/enigma/pickstart.conf";

constexpr const char *bootScript = "/tmp/bm.sh";
// Present only on a system that must never show the boot menu.
constexpr const char *inactiveMarker = "/root/platform/kernel";

constexpr const char *fallbackSkin = "/share/tuxbox/enigma/boot/blank.skin";
constexpr const char *fallbackPicture = "/share/tuxbox/enigma/boot/blank.png";
constexpr const char *font = "/share/fonts/pakenham.ttf";

} // namespace boxpath
