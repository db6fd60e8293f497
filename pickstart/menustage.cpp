// The menu stage: everything the program does with the screen, the LCD,
// the keys and the timer, in the order the constructor calls it.
#include "menuapp.h"

#include "bmboot.h"
#include "framebuffer.h"
#include "lcddisplay.h"
#include "menulayout.h"
#include "menutimer.h"
#include "rcinput.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

void MenuApp::startInputs() {
    RCInput::getInstance()->keyPressed.connect(SigC::slot(*this, &MenuApp::handleKey));
}

void MenuApp::createScreens() {
    fb = new FrameBuffer;
    lcd = new CLCDDisplay;
}

void MenuApp::connectTimeout() {
    MenuTimer::expired().connect(SigC::slot(*this, &MenuApp::handleTimeout));
}

void MenuApp::startTimeout() {
    MenuTimer::start(atoi(cfg->timeout.c_str()));
}

eString MenuApp::listSkins() {
    skinlist = new bmboot;
    skinlist->getSkins(cfg->skinpath, cfg->mountpoint);
    eString skinfile = cfg->skinpath + "/" + cfg->skinname;
    lastskin = int(skinlist->skins.size()) - 1;
    // A configured skin that is not listed leaves the index one past the
    // end; the first skin key brings it back into range.
    for (skinindex = 0; skinindex <= lastskin; ++skinindex)
        if (skinlist->skins[skinindex] == skinfile) break;
    return skinfile;
}

eString MenuApp::pickRandomSkin(const eString &skinfile) {
    // With no skin listed there is nothing to pick: keep the configured one.
    if (cfg->randomskin != "1" || skinlist->skins.empty()) return skinfile;
    srand(time(nullptr));
    eString picked = skinlist->skins[unsigned(rand()) % skinlist->skins.size()];
    splitSkinPath(picked, cfg->skinpath, cfg->skinname);
    return picked;
}

void MenuApp::showSkin(const eString &skinfile) {
    loadSkin(skinfile);
    loadBackground(pictureFor(skinfile));
    drawTitle();
    drawMenu();
}

void MenuApp::showFirstMenu(const eString &skinfile) {
    std::lock_guard<std::mutex> hold(menuLock);
    showSkin(skinfile);
    menuShown = true;
}

void MenuApp::waitForChoice() {
    while (!menuDone)
        usleep(50000);
    // A key event that began before the choice finishes its drawing first;
    // later ones see the choice and leave the screens alone.
    std::lock_guard<std::mutex> barrier(menuLock);
    menuShown = false;
}

void MenuApp::handBackScreens() {
    lcd->fillBox(0, 0, 120, 64, 0);
    lcd->update();
    fb->SetMode(720, 576, 8);
}

void MenuApp::releaseScreens() {
    delete fb;
    fb = nullptr;
    delete lcd;
    lcd = nullptr;
}
