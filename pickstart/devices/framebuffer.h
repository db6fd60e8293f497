// FrameBuffer: the television screen of the boot menu. Video mode and output
// format, colour conversion, the background picture, the kept menu
// background, the selection dot and the screen's text.
#pragma once

#include "estring.h"
#include "fontengine.h"

#include <cstdint>
#include <linux/fb.h>

// The 8-bit palette as the driver takes it.
struct ColourMap {
    uint16_t red[256];
    uint16_t green[256];
    uint16_t blue[256];
    uint16_t transp[256];
};

// Fills the 3-3-2 palette, so that an 8-bit converted colour indexes its own
// entry. Transparency stays 0 (opaque).
void make332Palette(ColourMap &map);

// The selection dot, a filled disc: 1 = paint.
extern const unsigned char dotMask[15][15];

class FrameBuffer {
  public:
    FontEngine font;
    int fbFd = -1;
    uint32_t screenSize = 0;
    int xRes = 0, yRes = 0;
    int lineLength = 0;
    int bitsPerPixel = 0;
    int pixelsPerLine = 0;
    fb_var_screeninfo var = {};
    fb_var_screeninfo startVar = {};
    ColourMap colourMap = {};
    unsigned char *screen = nullptr;
    unsigned char *savedArea = nullptr;
    int savedBytesPerPixel = 0;
    // The on-screen part of the rectangle that savedArea holds.
    int savedX = 0, savedY = 0, savedWidth = 0, savedHeight = 0;

    FrameBuffer();
    ~FrameBuffer();
    FrameBuffer(const FrameBuffer &) = delete;
    FrameBuffer &operator=(const FrameBuffer &) = delete;

    int SetMode(int xres, int yres, int bpp);
    int setVideoFormat(int format);
    int setConsoleMode(bool text);
    // Result allocated with malloc: the caller releases it with free().
    // An unsupported depth ends the program with status 1.
    unsigned char *convertColors(const unsigned char *rgb, int count, int bpp, int &bytesPerPixel);
    void showPicture(const unsigned char *rgb, int width, int height, int srcX, int srcY, int dstX,
                     int dstY);
    void saveArea(int x, int y, int w, int h);
    void restoreArea(int x, int y, int w, int h);
    void paintDot(int x, int y, int r, int g, int b);
    void drawString(const eString &text, int x, int y, int maxWidth, int layout, int size, int r,
                    int g, int b);
    int stringWidth(const eString &text);
    int drawChar(int ch, int x, int y, int limit, int r, int g, int b);

    // The part of the screen that pixels of this size may be drawn to: the
    // visible mode, cut to what the mapped memory holds. Empty when there is
    // no screen.
    void drawBounds(int bytesPerPixel, int &width, int &height) const;

  private:
    bool clipRect(int bytesPerPixel, int &x, int &y, int &w, int &h) const;
    void copyPicture(const unsigned char *pixels, int bytesPerPixel, int width, int height,
                     int srcX, int srcY, int dstX, int dstY);
};
