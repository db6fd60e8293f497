// The menu stage: everything the program does with the screen, the LCD,
// the keys and the timer, in the order the constructor calls it.
#include "menuapp.h"

void MenuApp::startInputs() {}
void MenuApp::createScreens() {}
void MenuApp::connectTimeout() {}
void MenuApp::startTimeout() {}

eString MenuApp::listSkins()
{
    return cfg->skinpath + "/" + cfg->skinname;
}

eString MenuApp::pickRandomSkin(const eString &skinfile)
{
    return skinfile;
}

void MenuApp::showFirstMenu(const eString &) {}

// Until the menu is drawn the choice is the remembered entry.
void MenuApp::waitForChoice()
{
    menuDone = 1;
}

void MenuApp::handBackScreens() {}
void MenuApp::releaseScreens() {}
void MenuApp::loadSkin(eString) {}
void MenuApp::loadBackground(eString) {}
void MenuApp::drawTitle() {}
void MenuApp::drawMenu() {}
void MenuApp::handleKey(unsigned short) {}
void MenuApp::handleTimeout()
{
    menuDone = 1;
}
