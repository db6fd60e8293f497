// CLCDDisplay: the 120 x 64 dot display on the box's front. The picture is
// kept in memory, one byte per dot, and sent whole on every update.
#pragma once

#include "estring.h"
#include "fontengine.h"

const int lcdWidth = 120;
const int lcdHeight = 64;
const int lcdPageBytes = 960;

// Packs the dot picture into the device's layout: 8 pages of 120 bytes, bit k
// of byte p * 120 + x being dot (x, 8p + k). Only dots that are exactly 1 are on.
void packLcdPages(const unsigned char *dots, unsigned char *pages);

class CLCDDisplay {
  public:
    FontEngine font;
    unsigned char dots[lcdHeight * lcdWidth] = {};
    unsigned char pages[lcdPageBytes] = {};
    int displayFd = -1;
    bool available = false;

    CLCDDisplay();
    ~CLCDDisplay();
    CLCDDisplay(const CLCDDisplay &) = delete;
    CLCDDisplay &operator=(const CLCDDisplay &) = delete;

    // colour 0 off, 1 on, 2 invert; points off the display are ignored.
    void setPixel(int x, int y, int colour);
    // Paints the dots strictly inside the four borders.
    void fillBox(int left, int top, int right, int bottom, int colour);
    void update();
    // The baseline lies at y + 10; colour -1 measures only.
    void drawString(const eString &text, int x, int y, int maxWidth, int layout, int size,
                    int colour);
    int stringWidth(const eString &text);
    int drawChar(int ch, int x, int y, int limit, int colour);
};
