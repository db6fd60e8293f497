#include "menuapp.h"

#include "boxpaths.h"

#include <unistd.h>

std::atomic<unsigned char> menuDone{0};
MenuApp *MenuApp::instance = nullptr;

MenuApp::MenuApp() {
    instance = this;
    // A system that carries this file boots its own way; stay out of it.
    if (access(boxpath::inactiveMarker, R_OK) == 0) return;

    cfg = new bmconfig;
    imagelist = new bmimages;
    startInputs();
    createScreens();
    connectTimeout();
    cfg->load();
    startTimeout();
    eString skinfile = listSkins();

    if (loadImages() > 1) {
        skinfile = pickRandomSkin(skinfile);
        showFirstMenu(skinfile);
        waitAndBoot();
    }

    releaseScreens();
    delete cfg;
    cfg = nullptr;
    delete imagelist;
    imagelist = nullptr;
}

int MenuApp::loadImages() {
    int n = imagelist->load(cfg->mountpoint, true);
    if (n <= 0) return n;
    lastentry = n - 1;
    selected = 0;
    for (int i = 0; i <= lastentry; ++i) {
        if (imagelist->images[i].location == cfg->selentry) {
            selected = i;
            break;
        }
    }
    return n;
}

void MenuApp::waitAndBoot() {
    waitForChoice();
    eString location = imagelist->images[selected].location;
    cfg->selentry = location;
    cfg->save();
    handBackScreens();
    writeBootScript(location);
    writeGoScript(location);
}
