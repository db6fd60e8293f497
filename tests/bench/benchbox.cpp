#include "benchbox.h"

#include "bmconfig.h"
#include "boxpaths.h"
#include "framebuffer.h"
#include "lcddisplay.h"
#include "menulayout.h"
#include "pngfile.h"
#include "sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace benchbox {

const char *const skinFile = "/var/tuxbox/config/enigma/boot/blank.skin";
const char *const pictureFile = "/var/tuxbox/config/enigma/boot/blank.png";
const char *const entryNames[4] = {"Flash-Image", "Classic 2.1", "Testing build", "Backup 2026-12"};

namespace {

const char *const hostFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char *const mountpoint = "/var/mnt/usb";

// Image directories on the medium and the names their "imagename" files give.
const struct {
    const char *dir;
    const char *name;
} mediumImages[] = {
    {"classic", "Classic 2.1"},
    {"testing", "Testing build"},
    {"backup", "Backup 2026-12"},
};

bool copyFile(const std::string &from, const std::string &to) {
    std::string bytes = sandbox::readFile(from);
    if (bytes.empty()) {
        fprintf(stderr, "[bench] cannot read %s\n", from.c_str());
        return false;
    }
    return sandbox::writeFile(to, bytes);
}

} // namespace

bool prepare() {
    const std::string src = sandbox::sourceDir();
    if (system(("sh " + src + "/box/standin/install.sh /").c_str()) != 0) {
        fprintf(stderr, "[bench] install.sh failed\n");
        return false;
    }
    const std::string fallback = src + "/box/skins/fallback/blank";
    if (!copyFile(hostFont, boxpath::font) ||
        !copyFile(fallback + ".skin", boxpath::fallbackSkin) ||
        !copyFile(fallback + ".png", boxpath::fallbackPicture) ||
        !copyFile(fallback + ".skin", skinFile) || !copyFile(fallback + ".png", pictureFile))
        return false;

    for (const auto &image : mediumImages)
        sandbox::writeFile(std::string(mountpoint) + "/fwpro/" + image.dir + "/imagename",
                           std::string(image.name) + "\n");

    // Written by the core itself, so the benchmarks read what the box would.
    bmconfig cfg;
    cfg.mountpoint = mountpoint;
    cfg.selentry = "";
    cfg.randomskin = "0";
    cfg.timeout = "10";
    cfg.videoformat = "1";
    splitSkinPath(skinFile, cfg.skinpath, cfg.skinname);
    sandbox::makeDirs("/var/tuxbox/config/enigma");
    cfg.save();
    if (!sandbox::exists(bmconfig::path())) {
        fprintf(stderr, "[bench] no configuration at %s\n", bmconfig::path());
        return false;
    }

    // With this file MenuApp's constructor returns at once, so the
    // benchmarks can drive the menu's own drawing code step by step.
    return sandbox::writeFile(boxpath::inactiveMarker, "");
}

MenuSkin menuSkin() {
    MenuSkin skin;
    readSkinFile(skinFile, skin.firstline, skin.menusize, skin.stringcolor, skin.selectcolor);
    return skin;
}

std::vector<unsigned char> decodedPicture(int &width, int &height) {
    width = height = 0;
    if (getPngSize(pictureFile, &width, &height) != 0) return {};
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    if (loadPng(pictureFile, rgb.data(), width, height) != 0) return {};
    return rgb;
}

const char *notDrawable(const FrameBuffer *fb, const CLCDDisplay *lcd) {
    if (fb && (!fb->screen || !fb->font.ready())) return "screen or its font not available";
    if (lcd && !lcd->available) return "display not available";
    return nullptr;
}

void dirtyHeap() {
    std::vector<void *> blocks;
    for (size_t size = 16; size <= 1024; size += 16)
        for (int i = 0; i < 8; ++i) {
            void *block = malloc(size);
            if (!block) continue;
            memset(block, 0xA5, size);
            blocks.push_back(block);
        }
    for (void *block : blocks)
        free(block);
}

void DisplayRewind::after(CLCDDisplay &lcd) {
    if ((++updates & 1023) == 0) lseek(lcd.displayFd, 0, SEEK_SET);
}

} // namespace benchbox
