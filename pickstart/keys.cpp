// Keys and the start-menu timeout.
#include "menuapp.h"

#include "bmboot.h"
#include "menulayout.h"

namespace key {
const unsigned short up = 0x21;
const unsigned short down = 0x22;
const unsigned short skinNext = 0x23;
const unsigned short skinPrevious = 0x24;
const unsigned short start = 0x25;
const unsigned short startAlt = 0x52;
} // namespace key

void MenuApp::handleKey(unsigned short code) {
    std::lock_guard<std::mutex> hold(menuLock);
    // Before the menu is drawn and once the choice is made, the objects a
    // key would draw on are not there or are being handed back.
    if (!menuShown || menuDone) return;

    startTimeout();
    switch (code) {
    case key::up:
        selected = wrapIndex(selected - 1, lastentry);
        drawMenu();
        break;
    case key::down:
        selected = wrapIndex(selected + 1, lastentry);
        drawMenu();
        break;
    case key::skinNext:
    case key::skinPrevious:
        changeSkin(code);
        break;
    case key::start:
    case key::startAlt:
        menuDone = 1;
        break;
    default:
        break;
    }
}

void MenuApp::changeSkin(unsigned short code) {
    // With no skin listed there is nothing to switch to.
    if (lastskin < 0) return;
    skinindex = wrapIndex(skinindex + (code == key::skinNext ? 1 : -1), lastskin);
    eString skinfile = skinlist->skins[skinindex];
    // Saved together with the choice, so it is the skin of the next start.
    splitSkinPath(skinfile, cfg->skinpath, cfg->skinname);
    showSkin(skinfile);
}

void MenuApp::handleTimeout() {
    menuDone = 1;
}
