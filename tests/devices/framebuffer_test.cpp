// The television screen: colour conversion and palette, video modes as the
// driver grants, alters or refuses them, the picture's offsets, the kept
// menu background, the dot and text, and a box whose devices are missing.
#include "devicefixture.h"
#include "framebuffer.h"

#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

namespace {

const size_t memorySize = 720 * 576 * 4;

// Output of a piece of code, both streams.
struct Output {
    std::string out, err;
};

template <class F> Output captured(F f) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    Output o;
    o.err = testing::internal::GetCapturedStderr();
    o.out = testing::internal::GetCapturedStdout();
    return o;
}

// A pixel of 1, 2 or 4 bytes as the native value.
uint32_t readPixel(const unsigned char *p, int size) {
    if (size == 1) return *p;
    if (size == 2) {
        uint16_t v;
        memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

uint32_t pixelAt(const FrameBuffer &fb, int x, int y) {
    const int size = fb.bitsPerPixel == 8 ? 1 : fb.bitsPerPixel <= 16 ? 2 : 4;
    return readPixel(fb.screen + size_t(y) * fb.lineLength + size_t(x) * size, size);
}

class FrameBufferTest : public DeviceTest {};

TEST_F(FrameBufferTest, EveryEightBitPixelIndexesItsOwnPaletteColour) {
    ColourMap map;
    make332Palette(map);
    EXPECT_EQ(map.red[0xFF], 7 * 9180);
    EXPECT_EQ(map.green[0xFF], 7 * 9180);
    EXPECT_EQ(map.blue[0xFF], 3 * 21675);
    EXPECT_EQ(map.red[0], 0);
    FrameBuffer *fb = nullptr;
    captured([&] { fb = new FrameBuffer; }); // no screen: conversion needs none
    for (int i = 0; i < 256; ++i) {
        const unsigned char rgb[3] = {uint8_t(map.red[i] >> 8), uint8_t(map.green[i] >> 8),
                                      uint8_t(map.blue[i] >> 8)};
        int size = 0;
        unsigned char *pixel = fb->convertColors(rgb, 1, 8, size);
        ASSERT_EQ(pixel[0], i);
        free(pixel);
    }
    delete fb;
}

TEST_F(FrameBufferTest, ColoursBecomePixelsOfEachDepth) {
    struct Case {
        int bpp;
        unsigned char r, g, b;
        int size;
        uint32_t pixel;
    } cases[] = {
        {8, 255, 255, 255, 1, 0xFF},
        {8, 255, 0, 0, 1, 0xE0},
        {8, 0, 255, 0, 1, 0x1C},
        {8, 0, 0, 255, 1, 0x03},
        {8, 0x9F, 0x5F, 0x7F, 1, 0x89},
        {15, 255, 0, 0, 2, 0x7C00},
        {15, 0, 255, 0, 2, 0x03E0},
        {15, 0, 0, 255, 2, 0x001F},
        {16, 255, 0, 0, 2, 0xF800},
        {16, 0, 255, 0, 2, 0x07E0},
        {16, 0, 0, 255, 2, 0x001F},
        {16, 0x84, 0x82, 0x81, 2, 0x8410},
        {24, 0x12, 0x34, 0x56, 4, 0x123456},
        {32, 0xAB, 0xCD, 0xEF, 4, 0xABCDEF},
    };
    FrameBuffer *fb = nullptr;
    captured([&] { fb = new FrameBuffer; });
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.bpp << " bpp " << int(c.r) << "," << int(c.g) << "," << int(c.b));
        const unsigned char rgb[6] = {0, 0, 0, c.r, c.g, c.b};
        int size = 0;
        unsigned char *pixels = fb->convertColors(rgb, 2, c.bpp, size);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(readPixel(pixels, size), 0u);
        EXPECT_EQ(readPixel(pixels + size, size), c.pixel);
        free(pixels);
    }
    delete fb;
}

TEST_F(FrameBufferTest, UnsupportedDepthEndsTheProgramWithStatusOne) {
    FrameBuffer *fb = nullptr;
    captured([&] { fb = new FrameBuffer; });
    const unsigned char rgb[3] = {1, 2, 3};
    int size = 0;
    EXPECT_EXIT(fb->convertColors(rgb, 1, 12, size), testing::ExitedWithCode(1),
                "^Unsupported video mode! You've got: 12bpp\n$");
    delete fb;
}

TEST_F(FrameBufferTest, MissingDevicesAreReportedAndDrawingDoesNothing) {
    FrameBuffer *fb = nullptr;
    Output o = captured([&] { fb = new FrameBuffer; });
    EXPECT_EQ(o.out, "[Framebuffer] <not available>\n");
    EXPECT_EQ(o.err.rfind("/dev/fb/0: ", 0), 0u) << o.err;
    EXPECT_EQ(fb->screen, nullptr);
    EXPECT_FALSE(fb->font.ready());

    std::vector<unsigned char> picture(30 * 20 * 3, 200);
    o = captured([&] {
        EXPECT_EQ(fb->SetMode(720, 576, 16), -1);
        fb->showPicture(picture.data(), 30, 20, 0, 0, 0, 0);
        fb->saveArea(0, 0, 100, 100);
        fb->restoreArea(0, 0, 100, 100);
        fb->paintDot(10, 10, 255, 0, 0);
        fb->drawString("Flash-Image", 10, 50, 300, 1, 20, 255, 255, 255);
        EXPECT_EQ(fb->stringWidth("Flash-Image"), 0);
        EXPECT_EQ(fb->drawChar('A', 10, 50, 300, 255, 255, 255), 0);
        EXPECT_EQ(fb->setConsoleMode(true), 0);
    });
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(fb->savedArea, nullptr);

    int result = 0;
    o = captured([&] { result = fb->setVideoFormat(1); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(o.err.rfind("[SAA-Set] saa open: ", 0), 0u) << o.err;
    delete fb;
}

// A screen on the stand-in driver, started in the given mode.
class ScreenTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        REQUIRE_STANDIN();
    }
    void TearDown() override {
        if (fb) captured([&] { delete fb; });
    }

    Output start(const std::string &mode = "720 576 8 720") {
        sandbox::writeFile("/dev/.standin/fb.mode", mode + "\n");
        return captured([&] { fb = new FrameBuffer; });
    }

    Output setMode(int x, int y, int bpp, int *result = nullptr) {
        return captured([&] {
            int r = fb->SetMode(x, y, bpp);
            if (result) *result = r;
        });
    }

    FrameBuffer *fb = nullptr;
};

TEST_F(ScreenTest, StartsMappedWithTheConsoleInTextMode) {
    Output o = start();
    EXPECT_EQ(o.out, "[Framebuffer] available.\n");
    EXPECT_EQ(o.err, "");
    ASSERT_NE(fb->screen, nullptr);
    EXPECT_EQ(fb->screenSize, memorySize);
    EXPECT_EQ(standinValue("vc.mode"), "0");
    EXPECT_EQ(fb->startVar.xres, 720u);
    EXPECT_EQ(fb->startVar.bits_per_pixel, 8u);
    // Before any mode set, drawing uses the mode found at start.
    EXPECT_EQ(fb->lineLength, 720);
    EXPECT_EQ(fb->pixelsPerLine, 720);
    captured([&] { fb->paintDot(0, 0, 255, 255, 255); });
    EXPECT_EQ(fb->screen[5 * 720 + 14], 0xFF);
    EXPECT_EQ(fb->screen[5 * 720 + 15], 0x00);

    EXPECT_EQ(fb->setConsoleMode(false), 0);
    EXPECT_EQ(standinValue("vc.mode"), "1");
}

TEST_F(ScreenTest, GrantedModeIsReportedAndTheScreenCleared) {
    start();
    memset(fb->screen, 0xAA, memorySize);
    int result = -2;
    Output o = setMode(720, 576, 16, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(o.out, "[Framebuffer] xRes:720 yRes:576 bpp:16\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(standinValue("fb.mode"), "720 576 16 1440");
    EXPECT_EQ(fb->xRes, 720);
    EXPECT_EQ(fb->yRes, 576);
    EXPECT_EQ(fb->bitsPerPixel, 16);
    EXPECT_EQ(fb->lineLength, 1440);
    EXPECT_EQ(fb->pixelsPerLine, 720);
    const size_t used = 1440 * 576;
    EXPECT_EQ(std::string((char *)fb->screen, used), std::string(used, '\0'));
    EXPECT_EQ(std::string((char *)fb->screen + used, memorySize - used),
              std::string(memorySize - used, '\xAA'));
}

TEST_F(ScreenTest, OtherDepthThanAskedIsUsedAsGranted) {
    start();
    sandbox::writeFile("/dev/.standin/fb.grant", "bpp 8\n");
    int result = -2;
    Output o = setMode(720, 576, 16, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(o.out, "[FB-SET] <SetMode failed: wanted: 720x576x16, got 720x576x8>\n"
                     "[Framebuffer] xRes:720 yRes:576 bpp:8\n");
    EXPECT_EQ(fb->bitsPerPixel, 8);
    EXPECT_EQ(fb->lineLength, 720);

    captured([&] { fb->paintDot(100, 100, 255, 255, 255); });
    EXPECT_EQ(pixelAt(*fb, 107, 107), 0xFFu);
    EXPECT_EQ(fb->colourMap.red[0xFF], 7 * 9180);

    std::istringstream cmap(sandbox::readFile("/dev/.standin/fb.cmap"));
    std::vector<std::string> entries;
    for (std::string line; std::getline(cmap, line);)
        entries.push_back(line);
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[0x00], "0 0 0");
    EXPECT_EQ(entries[0x1C], "0 64260 0");
    EXPECT_EQ(entries[0xFF], "64260 64260 65025");
}

TEST_F(ScreenTest, RefusedModeKeepsDrawingInTheDevicesMode) {
    start();
    setMode(720, 576, 8);
    sandbox::writeFile("/dev/.standin/fb.grant", "refuse\n");
    int result = 0;
    Output o = setMode(720, 576, 16, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.rfind("[FB-SET] <FBIOPUT_VSCREENINFO>: ", 0), 0u) << o.err;
    EXPECT_EQ(fb->bitsPerPixel, 8);
    EXPECT_EQ(fb->var.bits_per_pixel, 8u) << "the device's mode is read back";
    EXPECT_EQ(standinValue("fb.mode"), "720 576 8 720");
    captured([&] { fb->paintDot(0, 0, 255, 255, 255); });
    EXPECT_EQ(fb->screen[7 * 720 + 14], 0xFF) << "one byte per pixel, as the device has it";
}

TEST_F(ScreenTest, UnreadableFixedInformation) {
    sandbox::writeFile("/dev/.standin/fb.grant", "nofix\n");
    Output o = start("720 576 16 1440");
    EXPECT_EQ(o.out, "[Framebuffer] <not available>\n");
    EXPECT_EQ(o.err.rfind("[Framebuffer] <FBIOGET_FSCREENINFO>: ", 0), 0u) << o.err;
    EXPECT_EQ(fb->screen, nullptr);
    EXPECT_EQ(fb->screenSize, 0u);
    o = captured([&] { delete fb; });
    fb = nullptr;
    EXPECT_EQ(standinValue("fb.mode"), "720 576 16 1440") << "no mode to put back";

    // After a mode set the packed line of the granted mode is used.
    unlink("/dev/.standin/fb.grant");
    start();
    sandbox::writeFile("/dev/.standin/fb.grant", "nofix\n");
    int result = -2;
    o = setMode(720, 576, 16, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(o.err.rfind("[FB-SET] <FBIOGET_FSCREENINFO>: ", 0), 0u) << o.err;
    EXPECT_EQ(fb->lineLength, 1440);
    EXPECT_EQ(fb->pixelsPerLine, 720);
}

TEST_F(ScreenTest, DestructionPutsBackTheModeFoundAtStart) {
    start("640 480 32 2560");
    setMode(720, 576, 16);
    setMode(720, 576, 8);
    EXPECT_EQ(standinValue("fb.mode"), "720 576 8 720");
    captured([&] { delete fb; });
    fb = nullptr;
    EXPECT_EQ(standinValue("fb.mode"), "640 480 32 2560");
}

TEST_F(ScreenTest, MissingFontReleasesTheScreen) {
    unlink("/share/fonts/pakenham.ttf");
    Output o = start();
    EXPECT_NE(o.out.find("[FONT] <FTC_Manager_Lookup_Face failed with Errorcode 0x"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(o.out.find("[Framebuffer] available."), std::string::npos);
    EXPECT_EQ(fb->screen, nullptr);
    EXPECT_FALSE(fb->font.ready());
    int result = 0;
    o = captured([&] {
        result = fb->SetMode(720, 576, 16);
        fb->paintDot(0, 0, 255, 255, 255);
        fb->drawString("Flash-Image", 10, 50, 300, 0, 20, 255, 255, 255);
        fb->saveArea(0, 0, 10, 10);
    });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(o.out + o.err, "");
}

// Picture pixels that name their own place: column and row come back out
// of a 32-bit screen pixel; black is "no picture".
std::vector<unsigned char> placedPicture(int width, int height) {
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char *p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(0x80 | (x >> 8) | ((y >> 8) << 4));
        }
    return rgb;
}

bool placeOf(uint32_t pixel, int &x, int &y) {
    if (!(pixel & 0x80)) return false;
    x = int((pixel >> 16) & 0xFF) | int(pixel & 0x0F) << 8;
    y = int((pixel >> 8) & 0xFF) | int((pixel >> 4) & 0x07) << 8;
    return true;
}

TEST_F(ScreenTest, PictureOffsetsApplyOnlyWhereTheyFit) {
    start();
    struct Case {
        const char *name;
        int width, height, srcX, srcY, dstX, dstY;
        int atX, atY;     // where the picture's visible part begins on the screen
        int fromX, fromY; // which picture pixel is shown there
        int shownW, shownH;
    } cases[] = {
        {"exact screen", 720, 576, 0, 0, 0, 0, 0, 0, 0, 0, 720, 576},
        {"larger, panned", 1000, 700, 100, 50, 0, 0, 0, 0, 100, 50, 720, 576},
        {"larger, pan too far", 1000, 700, 400, 200, 0, 0, 0, 0, 0, 0, 720, 576},
        {"small, moved", 200, 100, 0, 0, 500, 50, 500, 50, 0, 0, 200, 100},
        {"small, would pass the edge", 200, 100, 0, 0, 600, 500, 0, 0, 0, 0, 200, 100},
        {"small, pan ignored", 200, 100, 30, 30, 0, 0, 0, 0, 0, 0, 200, 100},
        {"negative offsets", 200, 100, -30, -30, -10, -10, 0, 0, 0, 0, 200, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setMode(720, 576, 32);
        std::vector<unsigned char> picture = placedPicture(c.width, c.height);
        captured([&] {
            fb->showPicture(picture.data(), c.width, c.height, c.srcX, c.srcY, c.dstX, c.dstY);
        });
        int wrong = 0;
        for (int y = 0; y < 576; ++y)
            for (int x = 0; x < 720; ++x) {
                const bool inside =
                    x >= c.atX && x < c.atX + c.shownW && y >= c.atY && y < c.atY + c.shownH;
                int px = -1, py = -1;
                const bool shown = placeOf(pixelAt(*fb, x, y), px, py);
                if (inside != shown ||
                    (inside && (px != x - c.atX + c.fromX || py != y - c.atY + c.fromY))) {
                    if (++wrong < 4)
                        ADD_FAILURE() << "screen " << x << "," << y << " shows " << px << "," << py;
                }
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ScreenTest, KeptAreaComesBackExactly) {
    start();
    setMode(720, 576, 16);
    std::vector<unsigned char> picture = placedPicture(720, 576);
    captured([&] { fb->showPicture(picture.data(), 720, 576, 0, 0, 0, 0); });
    const std::string before((char *)fb->screen, memorySize);

    struct Case {
        const char *name;
        int x, y, w, h;
    } cases[] = {
        {"taller than wide", 95, 195, 30, 410},        {"wider than tall", 10, 10, 700, 20},
        {"past the bottom right", 650, 500, 200, 200}, {"past the top left", -40, -40, 100, 100},
        {"larger than the screen", -5, -5, 800, 600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        captured([&] { fb->saveArea(c.x, c.y, c.w, c.h); });
        ASSERT_NE(fb->savedArea, nullptr);
        EXPECT_EQ(fb->savedBytesPerPixel, 2);
        memset(fb->screen, 0x33, 1440 * 576);
        captured([&] { fb->restoreArea(c.x, c.y, c.w, c.h); });
        int wrong = 0;
        for (int y = 0; y < 576; ++y)
            for (int x = 0; x < 720; ++x) {
                const bool inside = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
                const size_t at = size_t(y) * 1440 + x * 2;
                const bool restored = memcmp(fb->screen + at, before.data() + at, 2) == 0;
                const bool untouched = fb->screen[at] == 0x33 && fb->screen[at + 1] == 0x33;
                if (inside ? !restored : !untouched) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
        // A restore can be repeated.
        memset(fb->screen, 0x33, 1440 * 576);
        captured([&] { fb->restoreArea(c.x, c.y, c.w, c.h); });
        const size_t at = size_t(std::max(c.y, 0)) * 1440 + std::max(c.x, 0) * 2;
        EXPECT_EQ(memcmp(fb->screen + at, before.data() + at, 2), 0);
        memcpy(fb->screen, before.data(), memorySize);
    }
}

TEST_F(ScreenTest, NothingToRestore) {
    start();
    setMode(720, 576, 16);
    memset(fb->screen, 0x33, memorySize);
    const std::string before((char *)fb->screen, memorySize);
    Output o = captured([&] { fb->restoreArea(0, 0, 100, 100); });
    EXPECT_EQ(std::string((char *)fb->screen, memorySize), before) << "nothing was kept";

    // A rectangle wholly off the screen keeps nothing.
    captured([&] { fb->saveArea(800, 700, 50, 50); });
    EXPECT_EQ(fb->savedArea, nullptr);

    // Pixels kept at another depth are not written into this one.
    captured([&] { fb->saveArea(0, 0, 100, 100); });
    setMode(720, 576, 8);
    memset(fb->screen, 0x33, memorySize);
    captured([&] { fb->restoreArea(0, 0, 100, 100); });
    EXPECT_EQ(std::string((char *)fb->screen, memorySize), before);
}

TEST_F(ScreenTest, DotIsAFilledDisc) {
    start();
    setMode(720, 576, 8);
    captured([&] { fb->paintDot(100, 200, 255, 255, 255); });
    int painted = 0;
    for (int y = 190; y < 225; ++y)
        for (int x = 90; x < 125; ++x) {
            const int i = y - 200, j = x - 100;
            const bool inMask = i >= 0 && i < 15 && j >= 0 && j < 15 && dotMask[i][j];
            ASSERT_EQ(pixelAt(*fb, x, y), inMask ? 0xFFu : 0u) << x << "," << y;
            painted += inMask;
        }
    EXPECT_EQ(painted, 177);
    // Row by row from the top: 5, 9, 11, 13, 13, then 15 five times.
    EXPECT_EQ(pixelAt(*fb, 105, 200), 0xFFu);
    EXPECT_EQ(pixelAt(*fb, 104, 200), 0u);
    EXPECT_EQ(pixelAt(*fb, 100, 205), 0xFFu);
    EXPECT_EQ(pixelAt(*fb, 100, 204), 0u);
}

TEST_F(ScreenTest, DrawingNeverLeavesTheScreen) {
    start();
    setMode(720, 576, 16);
    const size_t used = 1440 * 576;
    memset(fb->screen + used, 0x5A, memorySize - used);
    Output o = captured([&] {
        fb->paintDot(-7, 100, 255, 255, 255);
        fb->paintDot(713, 300, 255, 255, 255);
        fb->paintDot(710, 570, 255, 255, 255);
        fb->paintDot(5000, -5000, 255, 255, 255);
        fb->drawString("Jg", 300, 10, 400, 0, 80, 255, 255, 255);            // tall, near the top
        fb->drawString("Jg", 300, 600, 400, 0, 80, 255, 255, 255);           // baseline below
        fb->drawString("WWWWWWWWWWWW", 650, 300, 800, 0, 40, 255, 255, 255); // past the right
        fb->drawString("WWWW", -50, 400, 800, 0, 40, 255, 255, 255);         // from the left
        fb->saveArea(600, 500, 300, 300);
        fb->restoreArea(600, 500, 300, 300);
    });
    EXPECT_EQ(std::string((char *)fb->screen + used, memorySize - used),
              std::string(memorySize - used, '\x5A'));
    // No wrap into the neighbouring rows: the dot at x -7 shows columns 0-7 only.
    EXPECT_EQ(pixelAt(*fb, 7, 107), 0xFFFFu);
    EXPECT_EQ(pixelAt(*fb, 8, 107), 0u);
    for (int y = 99; y < 116; ++y)
        EXPECT_EQ(pixelAt(*fb, 719, y), 0u) << y;
    // The dot at x 713 shows its columns 0-6 only, nothing in the next row's start.
    EXPECT_EQ(pixelAt(*fb, 719, 307), 0xFFFFu);
    for (int y = 299; y < 316; ++y)
        EXPECT_EQ(pixelAt(*fb, 0, y), 0u) << y;
    int topInk = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 300; x < 400; ++x)
            topInk += pixelAt(*fb, x, y) != 0;
    EXPECT_GT(topInk, 0) << "the visible part of the tall text is drawn";
}

TEST_F(ScreenTest, TextIsDrawnInTheConvertedColour) {
    start();
    setMode(720, 576, 16);
    Output o = captured([&] { fb->drawString("Flash-Image", 100, 300, 400, 0, 30, -1, 0, 0); });
    EXPECT_EQ(std::string((char *)fb->screen, 1440 * 576), std::string(1440 * 576, '\0'))
        << "red -1 only measures";

    captured([&] { fb->drawString("Flash-Image", 100, 300, 400, 0, 30, 255, 0, 0); });
    int red = 0, other = 0, left = 720, right = 0, bottom = 0;
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 720; ++x) {
            const uint32_t p = pixelAt(*fb, x, y);
            if (p == 0xF800) {
                ++red;
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            } else if (p) {
                ++other;
            }
        }
    EXPECT_GT(red, 100);
    EXPECT_EQ(other, 0);
    EXPECT_GE(left, 100);
    EXPECT_LT(right, 100 + fb->stringWidth("Flash-Image"));
    EXPECT_LT(bottom, 300 + 10) << "baseline at y; only descenders go below";

    // Single characters, without kerning against the one before.
    const int width = fb->stringWidth("A");
    int advance = 0;
    fb->font.previousGlyph = 0;
    captured([&] { advance = fb->drawChar('A', 10, 50, 700, -1, 0, 0); });
    EXPECT_EQ(advance, width);
    fb->font.previousGlyph = 0;
    captured([&] { advance = fb->drawChar('A', 10, 50, 10 + advance, 255, 0, 0); });
    EXPECT_EQ(advance, -1) << "the advance reaching the limit is not drawn";
}

TEST_F(ScreenTest, VideoFormatGoesToTheEncoder) {
    start();
    struct Case {
        int format;
        const char *sent;
    } cases[] = {{0, "0"}, {1, "1"}, {3, "3"}, {7, "0"}, {-1, "0"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        int result = -1;
        Output o = captured([&] { result = fb->setVideoFormat(c.format); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(o.out + o.err, "");
        EXPECT_EQ(standinValue("saa.format"), c.sent);
    }
    sandbox::writeFile("/dev/.standin/saa.refuse", "1\n");
    int result = 0;
    Output o = captured([&] { result = fb->setVideoFormat(2); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(o.err.rfind("[SAA-Set] saa set: ", 0), 0u) << o.err;
}

} // namespace
