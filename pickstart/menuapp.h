// MenuApp: the boot menu program. Its constructor runs the whole program:
// configuration, catalogue, menu, choice, boot scripts, tear-down.
#pragma once

#include "bmconfig.h"
#include "bmimages.h"
#include "estring.h"
#include "sigc.h"

#include <atomic>
#include <mutex>

class FrameBuffer;
class CLCDDisplay;
class bmboot;

// Set once a start key was pressed or the timeout ran out; the main thread
// polls it. Written by the input and timer threads, hence atomic.
extern std::atomic<unsigned char> menuDone;

class MenuApp : public SigC::Object {
  public:
    FrameBuffer *fb = nullptr;
    CLCDDisplay *lcd = nullptr;
    bmconfig *cfg = nullptr;
    bmimages *imagelist = nullptr;
    bmboot *skinlist = nullptr;
    int firstline[6] = {-1, -1, 0, 0, 0, 0}; // x, y, size, red, green, blue
    int menusize[4] = {0, 0, 0, 0};          // x, y, width, height
    int stringcolor[3] = {0, 0, 0};
    int selectcolor[3] = {0, 0, 0};
    int skinindex = 0;
    int lastskin = -1;
    int selected = 0;
    int lastentry = -1;

    static MenuApp *instance;

    MenuApp();
    virtual ~MenuApp() = default;

    int loadImages();
    void waitAndBoot();
    static int writeBootScript(eString location);
    static void writeGoScript(eString location);

    void loadSkin(eString path);
    void loadBackground(eString path);
    void drawTitle();
    void drawMenu();

    void handleKey(unsigned short code);
    void handleTimeout();

  private:
    // Keys arrive on two reader threads while the main thread draws the
    // first menu and later hands the screens back: one key event, with its
    // drawing, runs at a time and only while the menu is on the screen.
    std::mutex menuLock;
    bool menuShown = false;

    void changeSkin(unsigned short code);
    // Skin, picture, title and menu: the whole screen for one skin.
    void showSkin(const eString &skinfile);

    // The menu stage's steps, in the order the constructor runs them.
    void startInputs();
    void createScreens();
    void connectTimeout();
    // (Re)starts the start-menu timeout with its full length.
    void startTimeout();
    eString listSkins();
    eString pickRandomSkin(const eString &skinfile);
    void showFirstMenu(const eString &skinfile);
    void waitForChoice();
    void handBackScreens();
    void releaseScreens();
};
