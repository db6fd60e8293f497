// The menu screen: title, kept background and the page of entries, on the
// TV and mirrored on the front display.
#include "menuapp.h"

#include "framebuffer.h"
#include "lcddisplay.h"
#include "menulayout.h"

namespace {
const char title[] = "Vazuroduvad - ";
const char version[] = "0.5";
} // namespace

void MenuApp::drawTitle() {
    eString text;
    if (firstline[0] != -1 && firstline[1] != -1) text = eString(title) + version;
    fb->drawString(text, firstline[0] + 35, firstline[1], menusize[2] - 35, 0, firstline[2],
                   firstline[3], firstline[4], firstline[5]);
    // Everything under the menu now is what each redraw starts from.
    fb->saveArea(menusize[0] - 5, menusize[1] - 5, menusize[2] + 10, menusize[3] + 10);
}

void MenuApp::drawMenu() {
    MenuPage page = menuPage(selected, lastentry);
    fb->restoreArea(menusize[0] - 5, menusize[1] - 5, menusize[2] + 10, menusize[3] + 10);
    lcd->fillBox(0, 0, 120, 64, 0);
    int lineH = menuLineHeight(menusize[3]);
    for (int i = page.first; i <= page.last; ++i) {
        int k = i - page.first;
        int lcdTop = 15 * k;
        int lineTop = menusize[1] + k * lineH;
        const eString &name = imagelist->images[i].name;
        lcd->drawString(name, 0, lcdTop + 3, 120, 1, 20, 1);
        if (i == selected) {
            lcd->fillBox(0, lcdTop, 120, lcdTop + 15, 2);
            fb->paintDot(menusize[0] + 10, lineTop + (lineH / 3) * 2 - 2, selectcolor[0],
                         selectcolor[1], selectcolor[2]);
        }
        fb->drawString(name, menusize[0] + 35, lineTop + lineH, menusize[2] - 35, 0, lineH,
                       stringcolor[0], stringcolor[1], stringcolor[2]);
    }
    lcd->update();
}
