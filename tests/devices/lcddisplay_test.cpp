// The front display: the dot picture, its page packing, the boxes and text
// the menu draws, and a box without (or with a refusing) display.
#include "devicefixture.h"
#include "fontengine.h"
#include "lcddisplay.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace {

std::string lastPicture() {
    std::string written = sandbox::readFile("/dev/dbox/lcd0");
    return written.size() < 960 ? std::string() : written.substr(written.size() - 960);
}

int litDots(const CLCDDisplay &lcd) {
    return int(std::count(lcd.dots, lcd.dots + sizeof lcd.dots, 1));
}

TEST(LcdPages, DotsArePackedColumnByColumnInPagesOfEightRows) {
    struct Case {
        int x, y;
        unsigned char value;
        int index;
        unsigned char byte;
    } cases[] = {
        {0, 0, 1, 0, 0x01},   {0, 7, 1, 0, 0x80},     {119, 63, 1, 959, 0x80},
        {5, 9, 1, 125, 0x02}, {119, 0, 1, 119, 0x01}, {0, 8, 1, 120, 0x01},
        {3, 3, 2, -1, 0},     {3, 3, 0xFF, -1, 0}, // only a dot that is exactly 1 is on
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "dot " << c.x << "," << c.y << "=" << int(c.value));
        unsigned char dots[lcdWidth * lcdHeight] = {};
        unsigned char pages[lcdPageBytes];
        memset(pages, 0xAA, sizeof pages);
        dots[c.y * lcdWidth + c.x] = c.value;
        packLcdPages(dots, pages);
        for (int i = 0; i < lcdPageBytes; ++i)
            ASSERT_EQ(pages[i], i == c.index ? c.byte : 0) << "byte " << i;
    }
}

class LcdTest : public DeviceTest {};

TEST_F(LcdTest, MissingDisplayIsReportedAndEverythingIsANoOp) {
    testing::internal::CaptureStderr();
    CLCDDisplay lcd;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("/dev/dbox/lcd0: "), std::string::npos);
    EXPECT_FALSE(lcd.available);
    EXPECT_FALSE(lcd.font.ready());
    lcd.setPixel(1, 1, 1);
    lcd.fillBox(-1, -1, 120, 64, 1);
    lcd.drawString("Flash-Image", 0, 3, 120, 1, 20, 1);
    EXPECT_EQ(lcd.drawChar('A', 0, 3, 120, 1), 0);
    EXPECT_EQ(lcd.stringWidth("Flash-Image"), 0);
    lcd.update();
    EXPECT_EQ(litDots(lcd), 0);
    EXPECT_FALSE(sandbox::exists("/dev/dbox/lcd0"));
}

TEST_F(LcdTest, RefusedRequestLeavesTheDisplayUnavailable) {
    REQUIRE_STANDIN();
    struct Case {
        const char *request, *message;
    } cases[] = {{"25", "clear failed: "}, {"4117", "graphic mode failed: "}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.request);
        sandbox::writeFile("/dev/.standin/lcd.refuse", std::string(c.request) + "\n");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        CLCDDisplay lcd;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(err.rfind(c.message, 0), 0u) << err;
        EXPECT_FALSE(lcd.available);
        lcd.fillBox(-1, -1, 120, 64, 1);
        lcd.drawString("Flash-Image", 0, 3, 120, 1, 20, 1);
        lcd.update();
        EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0"), "");
    }
}

TEST_F(LcdTest, MissingFontLeavesTheDisplayUnavailable) {
    REQUIRE_STANDIN();
    unlink("/share/fonts/pakenham.ttf");
    testing::internal::CaptureStdout();
    CLCDDisplay lcd;
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[FONT] <FTC_Manager_Lookup_Face failed"), std::string::npos) << out;
    EXPECT_EQ(out.find("[LCD] available."), std::string::npos);
    EXPECT_FALSE(lcd.available);
    lcd.drawString("Flash-Image", 0, 3, 120, 1, 20, 1);
    lcd.update();
    EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0"), "");
}

class AvailableLcdTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        REQUIRE_STANDIN();
        testing::internal::CaptureStdout();
        lcd = new CLCDDisplay;
        startOutput = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(lcd->available);
    }
    void TearDown() override { delete lcd; }

    CLCDDisplay *lcd = nullptr;
    std::string startOutput;
};

TEST_F(AvailableLcdTest, StartsBlankAndAnnouncesItself) {
    EXPECT_EQ(startOutput, "[LCD] available.\n");
    EXPECT_EQ(litDots(*lcd), 0);
    lcd->update();
    EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0"), std::string(960, '\0'));
}

TEST_F(AvailableLcdTest, PixelsOutsideTheDisplayAreIgnored) {
    for (auto p : {std::make_pair(120, 0), {-1, 0}, {0, 64}, {0, -1}, {1000, 1000}})
        lcd->setPixel(p.first, p.second, 1);
    EXPECT_EQ(litDots(*lcd), 0);
}

TEST_F(AvailableLcdTest, BoxesPaintStrictlyInsideTheirBorders) {
    memset(lcd->dots, 1, sizeof lcd->dots);
    lcd->fillBox(0, 0, 120, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(lcd->dots[y * 120 + x], (x == 0 || y == 0) ? 1 : 0) << x << "," << y;
    lcd->fillBox(-1, -1, 120, 64, 0);
    EXPECT_EQ(litDots(*lcd), 0);
    lcd->fillBox(-50, -50, 500, 500, 1); // far past the edges
    EXPECT_EQ(litDots(*lcd), 120 * 64);
}

TEST_F(AvailableLcdTest, InvertingTwiceGivesThePictureBack) {
    lcd->drawString("Flash-Image", 0, 3, 120, 1, 20, 1);
    unsigned char before[sizeof lcd->dots];
    memcpy(before, lcd->dots, sizeof before);
    lcd->fillBox(0, 0, 120, 15, 2);
    EXPECT_NE(memcmp(before, lcd->dots, sizeof before), 0);
    lcd->fillBox(0, 0, 120, 15, 2);
    EXPECT_EQ(memcmp(before, lcd->dots, sizeof before), 0);
}

TEST_F(AvailableLcdTest, UpdateSendsTheWholePackedPictureEachTime) {
    lcd->setPixel(0, 0, 1);
    lcd->setPixel(119, 63, 1);
    lcd->setPixel(5, 5, 3); // not a dot value: written as off
    lcd->update();
    std::string expected(960, '\0');
    expected[0] = 0x01;
    expected[959] = char(0x80);
    EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0"), expected);
    EXPECT_EQ(lcd->dots[5 * 120 + 5], 3) << "the picture itself is left as it is";

    lcd->setPixel(0, 0, 2);
    lcd->update();
    expected[0] = 0;
    EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0").size(), 1920u);
    EXPECT_EQ(lastPicture(), expected);
}

TEST_F(AvailableLcdTest, TextHasItsBaselineTenRowsBelowY) {
    struct Ink : GlyphPainter {
        std::set<std::pair<int, int>> points;
        void paint(int x, int y) override { points.insert({x, y}); }
    } ink;
    FontEngine engine;
    ASSERT_EQ(engine.setup(), 0);
    engine.drawString("Flash-Image", 0, 13, 120, 1, 20, &ink);
    ASSERT_FALSE(ink.points.empty());

    // The display shows what of it lies on its 120 x 64 dots.
    std::set<std::pair<int, int>> visible;
    for (auto p : ink.points)
        if (p.first >= 0 && p.first < 120 && p.second >= 0 && p.second < 64) visible.insert(p);

    lcd->drawString("Flash-Image", 0, 3, 120, 1, 20, 1);
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 120; ++x)
            if (lcd->dots[y * 120 + x]) lit.insert({x, y});
    EXPECT_EQ(lit, visible);
    EXPECT_EQ(lcd->stringWidth("Flash-Image"), engine.stringWidth("Flash-Image"));
    EXPECT_EQ(lcd->drawChar('A', 0, 3, 120, -1), engine.drawChar('A', 0, 13, 120, nullptr))
        << "colour -1 measures";
    EXPECT_EQ(lit.size(), size_t(litDots(*lcd))) << "measuring drew nothing";
}

TEST_F(AvailableLcdTest, GlyphsAreClippedToTheDisplay) {
    // Tall text near the top and a long name running off the right edge.
    lcd->drawString("Jg", 110, -20, 200, 0, 40, 1);
    lcd->drawString("WWWWWWWWWW", 100, 55, 200, 0, 20, 1);
    EXPECT_GT(litDots(*lcd), 0);
    lcd->update();
    EXPECT_EQ(lastPicture().size(), 960u);
}

TEST_F(AvailableLcdTest, InvertedTextIsDrawnByFlippingDots) {
    lcd->fillBox(-1, -1, 120, 64, 1);
    lcd->drawString("A", 0, 3, 120, 1, 20, 2);
    const int dark = 120 * 64 - litDots(*lcd);
    EXPECT_GT(dark, 0);
    lcd->drawString("A", 0, 3, 120, 1, 20, 2);
    EXPECT_EQ(litDots(*lcd), 120 * 64);
}

} // namespace
