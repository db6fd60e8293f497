#include "lcddisplay.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const char *const lcdDevice = "/dev/dbox/lcd0";
// The display driver's requests.
const unsigned long lcdClear = 25;
const unsigned long lcdSetMode = 0x1015;
const int lcdGraphics = 1;
// Glyph baselines sit this far below the row the caller names.
const int baselineOffset = 10;

class DotPainter : public GlyphPainter {
  public:
    DotPainter(CLCDDisplay &lcd, int colour) : lcd(lcd), colour(colour) {}
    void paint(int x, int y) override { lcd.setPixel(x, y, colour); }

  private:
    CLCDDisplay &lcd;
    int colour;
};

} // namespace

void packLcdPages(const unsigned char *dots, unsigned char *pages) {
    for (int p = 0; p < lcdHeight / 8; ++p)
        for (int x = 0; x < lcdWidth; ++x) {
            unsigned char byte = 0;
            for (int k = 0; k < 8; ++k)
                if (dots[(8 * p + k) * lcdWidth + x] == 1) byte |= 1 << k;
            pages[p * lcdWidth + x] = byte;
        }
}

CLCDDisplay::CLCDDisplay() {
    displayFd = open(lcdDevice, O_RDWR);
    if (displayFd < 0) {
        perror(lcdDevice);
        return;
    }
    if (ioctl(displayFd, lcdClear) < 0) {
        perror("clear failed");
        return;
    }
    int mode = lcdGraphics;
    if (ioctl(displayFd, lcdSetMode, &mode) < 0) {
        perror("graphic mode failed");
        return;
    }
    if (font.setup() != 0) return;
    printf("[LCD] available.\n");
    available = true;
}

CLCDDisplay::~CLCDDisplay() {
    if (displayFd >= 0) close(displayFd);
}

void CLCDDisplay::setPixel(int x, int y, int colour) {
    if (!available || x < 0 || x >= lcdWidth || y < 0 || y >= lcdHeight) return;
    unsigned char &dot = dots[y * lcdWidth + x];
    if (colour == 2)
        dot ^= 1;
    else
        dot = (unsigned char)colour;
}

void CLCDDisplay::fillBox(int left, int top, int right, int bottom, int colour) {
    if (!available) return;
    // Only the dots strictly inside the borders, and only those on the display.
    const long x0 = std::max(long(left) + 1, 0L), x1 = std::min(long(right), long(lcdWidth));
    const long y0 = std::max(long(top) + 1, 0L), y1 = std::min(long(bottom), long(lcdHeight));
    for (long y = y0; y < y1; ++y) {
        unsigned char *row = dots + y * lcdWidth;
        for (long x = x0; x < x1; ++x)
            row[x] = colour == 2 ? row[x] ^ 1 : (unsigned char)colour;
    }
}

void CLCDDisplay::update() {
    if (!available) return;
    packLcdPages(dots, pages);
    if (write(displayFd, pages, sizeof pages) < 0) perror("lcdd: CLCDDisplay::update(): write()");
}

void CLCDDisplay::drawString(const eString &text, int x, int y, int maxWidth, int layout, int size,
                             int colour) {
    if (!available) return;
    DotPainter painter(*this, colour);
    font.drawString(text, x, y + baselineOffset, maxWidth, layout, size,
                    colour == -1 ? nullptr : &painter);
}

int CLCDDisplay::stringWidth(const eString &text) {
    return available ? font.stringWidth(text) : 0;
}

int CLCDDisplay::drawChar(int ch, int x, int y, int limit, int colour) {
    if (!available) return 0;
    DotPainter painter(*this, colour);
    return font.drawChar(ch, x, y + baselineOffset, limit, colour == -1 ? nullptr : &painter);
}
