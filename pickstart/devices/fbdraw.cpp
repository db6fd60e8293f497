// Drawing on the screen: colour conversion, the background picture, the kept
// menu background, the selection dot and text. Everything is clipped to the
// mapped screen, whatever rectangle a skin asks for.
#include "framebuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>

const unsigned char dotMask[15][15] = {
    {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0},
    {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0},
    {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
};

void make332Palette(ColourMap &map) {
    for (int i = 0; i < 256; ++i) {
        map.red[i] = uint16_t(((i >> 5) & 7) * 9180);
        map.green[i] = uint16_t(((i >> 2) & 7) * 9180);
        map.blue[i] = uint16_t((i & 3) * 21675);
        map.transp[i] = 0;
    }
}

namespace {

const unsigned char black[3] = {0, 0, 0};

// Pixel size of a colour depth, 0 for depths the screen cannot handle.
int pixelBytes(int bpp) {
    switch (bpp) {
    case 8:
        return 1;
    case 15:
    case 16:
        return 2;
    case 24:
    case 32:
        return 4;
    default:
        return 0;
    }
}

// Writes one converted pixel wherever a glyph sets a bit, inside the screen.
class ScreenPainter : public GlyphPainter {
  public:
    ScreenPainter(FrameBuffer &fb, const unsigned char *pixel, int bytesPerPixel)
        : fb(fb), pixel(pixel), bytesPerPixel(bytesPerPixel) {
        fb.drawBounds(bytesPerPixel, width, height);
    }
    void paint(int x, int y) override { paintRun(x, y, 1); }
    void paintRun(int x, int y, int length) override {
        if (y < 0 || y >= height) return;
        int end = x + length;
        if (x < 0) x = 0;
        if (end > width) end = width;
        unsigned char *at = fb.screen + size_t(y) * fb.lineLength + size_t(x) * bytesPerPixel;
        // The menu's 16-bit mode gets a plain store per pixel.
        if (bytesPerPixel == 2) {
            uint16_t value;
            memcpy(&value, pixel, 2);
            for (; x < end; ++x, at += 2)
                memcpy(at, &value, 2);
            return;
        }
        for (; x < end; ++x, at += bytesPerPixel)
            memcpy(at, pixel, bytesPerPixel);
    }

  private:
    FrameBuffer &fb;
    const unsigned char *pixel;
    int bytesPerPixel;
    int width = 0, height = 0;
};

// One colour as a pixel of the current depth; the caller frees it.
unsigned char *colourPixel(FrameBuffer &fb, int r, int g, int b, int &bytesPerPixel) {
    const unsigned char rgb[3] = {uint8_t(r), uint8_t(g), uint8_t(b)};
    unsigned char *pixel = fb.convertColors(rgb, 1, int(fb.var.bits_per_pixel), bytesPerPixel);
    if (!pixel) printf("malloc\n");
    return pixel;
}

} // namespace

unsigned char *FrameBuffer::convertColors(const unsigned char *rgb, int count, int bpp,
                                          int &bytesPerPixel) {
    const int size = pixelBytes(bpp);
    if (!size) {
        fprintf(stderr, "Unsupported video mode! You've got: %dbpp\n", bpp);
        exit(1);
    }
    bytesPerPixel = size;
    if (count < 0) count = 0;
    // At least one byte, so that an empty run is not taken for a failure.
    unsigned char *pixels = static_cast<unsigned char *>(malloc(size_t(std::max(count, 1)) * size));
    if (!pixels) return nullptr;
    for (int i = 0; i < count; ++i) {
        const unsigned r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        if (bpp == 8) {
            pixels[i] = uint8_t((r & 0xE0) | ((g >> 3) & 0x1C) | (b >> 6));
        } else if (size == 2) {
            const uint16_t v = bpp == 15
                                   ? uint16_t(((r << 7) & 0x7C00) | ((g << 2) & 0x3E0) | (b >> 3))
                                   : uint16_t(((r << 8) & 0xF800) | ((g << 3) & 0x7E0) | (b >> 3));
            memcpy(pixels + 2 * i, &v, 2);
        } else {
            const uint32_t v = (r << 16) | (g << 8) | b;
            memcpy(pixels + 4 * i, &v, 4);
        }
    }
    return pixels;
}

void FrameBuffer::drawBounds(int bytesPerPixel, int &width, int &height) const {
    width = height = 0;
    if (!screen || lineLength <= 0 || bytesPerPixel <= 0) return;
    width = std::min({xRes, pixelsPerLine, lineLength / bytesPerPixel});
    height = std::min<long long>(yRes, screenSize / unsigned(lineLength));
    width = std::max(width, 0);
    height = std::max(height, 0);
}

bool FrameBuffer::clipRect(int bytesPerPixel, int &x, int &y, int &w, int &h) const {
    int width, height;
    drawBounds(bytesPerPixel, width, height);
    const long long left = std::max<long long>(x, 0), top = std::max<long long>(y, 0);
    const long long right = std::min<long long>((long long)x + w, width);
    const long long bottom = std::min<long long>((long long)y + h, height);
    if (left >= right || top >= bottom) return false;
    x = int(left);
    y = int(top);
    w = int(right - left);
    h = int(bottom - top);
    return true;
}

void FrameBuffer::copyPicture(const unsigned char *pixels, int bytesPerPixel, int width, int height,
                              int srcX, int srcY, int dstX, int dstY) {
    if (bytesPerPixel == 1) {
        make332Palette(colourMap);
        fb_cmap cmap = {0, 256, colourMap.red, colourMap.green, colourMap.blue, colourMap.transp};
        ioctl(fbFd, FBIOPUTCMAP, &cmap);
    }
    int boundWidth, boundHeight;
    drawBounds(bytesPerPixel, boundWidth, boundHeight);
    const int rows = std::min(height, yRes);
    const int columns = std::min({width, pixelsPerLine, boundWidth - dstX});
    for (int r = 0; r < rows && dstY + r < boundHeight && columns > 0; ++r)
        memcpy(screen + size_t(dstY + r) * lineLength + size_t(dstX) * bytesPerPixel,
               pixels + (size_t(srcY + r) * width + srcX) * bytesPerPixel,
               size_t(columns) * bytesPerPixel);
}

void FrameBuffer::showPicture(const unsigned char *rgb, int width, int height, int srcX, int srcY,
                              int dstX, int dstY) {
    if (!screen || !rgb || width <= 0 || height <= 0) return;
    // Offsets reaching before the picture or the screen mean nothing useful.
    srcX = std::max(srcX, 0);
    srcY = std::max(srcY, 0);
    dstX = std::max(dstX, 0);
    dstY = std::max(dstY, 0);
    // Source offsets only pan a picture larger than the screen, destination
    // offsets only move one that fits.
    if (srcX > width - pixelsPerLine) srcX = 0;
    if (srcY > height - yRes) srcY = 0;
    if (dstX + width > pixelsPerLine) dstX = 0;
    if (dstY + height > yRes) dstY = 0;
    int bytesPerPixel = 0;
    unsigned char *pixels =
        convertColors(rgb, width * height, int(var.bits_per_pixel), bytesPerPixel);
    if (!pixels) return;
    copyPicture(pixels, bytesPerPixel, width, height, srcX, srcY, dstX, dstY);
    free(pixels);
}

void FrameBuffer::saveArea(int x, int y, int w, int h) {
    if (!screen) return;
    int bytesPerPixel = 0;
    unsigned char *pixel = convertColors(black, 1, int(var.bits_per_pixel), bytesPerPixel);
    if (!pixel) {
        printf("malloc_1\n");
        return;
    }
    free(pixel);
    free(savedArea);
    savedArea = nullptr;
    // Only the part on the screen is kept; restoreArea puts back exactly that.
    if (!clipRect(bytesPerPixel, x, y, w, h)) return;
    const size_t rowBytes = size_t(w) * bytesPerPixel;
    savedArea = static_cast<unsigned char *>(malloc(rowBytes * h));
    if (!savedArea) {
        printf("malloc_2\n");
        return;
    }
    for (int r = 0; r < h; ++r)
        memcpy(savedArea + r * rowBytes,
               screen + size_t(y + r) * lineLength + size_t(x) * bytesPerPixel, rowBytes);
    savedX = x;
    savedY = y;
    savedWidth = w;
    savedHeight = h;
    savedBytesPerPixel = bytesPerPixel;
}

void FrameBuffer::restoreArea(int x, int y, int w, int h) {
    // Pixels kept at another depth would be garbage in this one.
    if (!screen || !savedArea || pixelBytes(int(var.bits_per_pixel)) != savedBytesPerPixel) return;
    // Back goes what was kept of this rectangle, and nothing outside it.
    const int left = std::max(x, savedX), top = std::max(y, savedY);
    int right = int(std::min<long long>((long long)x + w, savedX + savedWidth));
    int bottom = int(std::min<long long>((long long)y + h, savedY + savedHeight));
    int cx = left, cy = top, cw = right - left, ch = bottom - top;
    if (cw <= 0 || ch <= 0 || !clipRect(savedBytesPerPixel, cx, cy, cw, ch)) return;
    const size_t rowBytes = size_t(savedWidth) * savedBytesPerPixel;
    for (int r = 0; r < ch; ++r)
        memcpy(screen + size_t(cy + r) * lineLength + size_t(cx) * savedBytesPerPixel,
               savedArea + size_t(cy + r - savedY) * rowBytes +
                   size_t(cx - savedX) * savedBytesPerPixel,
               size_t(cw) * savedBytesPerPixel);
}

void FrameBuffer::paintDot(int x, int y, int r, int g, int b) {
    if (!screen) return;
    int bytesPerPixel = 0;
    unsigned char *pixel = colourPixel(*this, r, g, b, bytesPerPixel);
    if (!pixel) return;
    ScreenPainter painter(*this, pixel, bytesPerPixel);
    for (int i = 0; i < 15; ++i)
        for (int j = 0; j < 15; ++j)
            if (dotMask[i][j]) painter.paint(x + j, y + i);
    free(pixel);
}

void FrameBuffer::drawString(const eString &text, int x, int y, int maxWidth, int layout, int size,
                             int r, int g, int b) {
    if (!screen) return;
    if (r == -1) {
        font.drawString(text, x, y, maxWidth, layout, size, nullptr);
        return;
    }
    // One conversion serves the whole string.
    int bytesPerPixel = 0;
    unsigned char *pixel = colourPixel(*this, r, g, b, bytesPerPixel);
    if (!pixel) return;
    ScreenPainter painter(*this, pixel, bytesPerPixel);
    font.drawString(text, x, y, maxWidth, layout, size, &painter);
    free(pixel);
}

int FrameBuffer::stringWidth(const eString &text) {
    return screen ? font.stringWidth(text) : 0;
}

int FrameBuffer::drawChar(int ch, int x, int y, int limit, int r, int g, int b) {
    if (!screen) return 0;
    if (r == -1) return font.drawChar(ch, x, y, limit, nullptr);
    int bytesPerPixel = 0;
    unsigned char *pixel = colourPixel(*this, r, g, b, bytesPerPixel);
    if (!pixel) return 0;
    ScreenPainter painter(*this, pixel, bytesPerPixel);
    const int advance = font.drawChar(ch, x, y, limit, &painter);
    free(pixel);
    return advance;
}
