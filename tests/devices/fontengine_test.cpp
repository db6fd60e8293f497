// The text engine on its own: set-up, measuring, layouts, the right limit,
// missing characters and kerning, with a real TrueType font in the box's place.
#include "devicefixture.h"
#include "fontengine.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

using Points = std::set<std::pair<int, int>>;

struct Ink : GlyphPainter {
    Points points;
    void paint(int x, int y) override { points.insert({x, y}); }
};

Points shifted(const Points &points, int dx) {
    Points out;
    for (auto p : points)
        out.insert({p.first + dx, p.second});
    return out;
}

int lowestRow(const Points &points) {
    int row = -1000000;
    for (auto p : points)
        row = std::max(row, p.second);
    return row;
}

int highestRow(const Points &points) {
    int row = 1000000;
    for (auto p : points)
        row = std::min(row, p.second);
    return row;
}

class FontEngineTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(engine.setup(), 0);
    }

    Points draw(const eString &text, int x, int maxWidth, int layout, int size = 20) {
        Ink ink;
        engine.drawString(text, x, 50, maxWidth, layout, size, &ink);
        return ink.points;
    }

    int width(const eString &text, int size = 20) {
        engine.drawString("", 0, 0, 0, 0, size, nullptr); // sets the size
        return engine.stringWidth(text);
    }

    FontEngine engine;
};

TEST_F(FontEngineTest, RendersMonochromeGlyphsOnTheBaseline) {
    EXPECT_TRUE(engine.ready());
    Points a = draw("A", 10, 200, 0);
    ASSERT_FALSE(a.empty());
    ASSERT_NE(engine.glyph, nullptr);
    EXPECT_EQ(engine.glyph->format, FT_PIXEL_MODE_MONO);
    // A capital stands on the baseline: its last row is the one above it.
    EXPECT_EQ(lowestRow(a), 49);
    EXPECT_EQ(highestRow(a), 50 - engine.glyph->top);
    EXPECT_GT(width("A"), 0);
}

TEST_F(FontEngineTest, EmptyTextDrawsNothingAndMeasuresZero) {
    EXPECT_TRUE(draw("", 10, 200, 1).empty());
    EXPECT_EQ(width(""), 0);
}

TEST_F(FontEngineTest, LayoutsPlaceTheTextInItsField) {
    const eString text = "Menu";
    const int w = width(text);
    ASSERT_GT(w, 0);
    struct Case {
        const char *name;
        int layout, maxWidth, shift;
    } cases[] = {
        {"left", 0, w + 40, 0},
        {"centred", 1, w + 40, 20},
        {"centred, odd room rounds down", 1, w + 21, 10},
        {"right", 2, w + 40, 40},
        {"unknown layout draws from x", 7, w + 40, 0},
        {"centred, text as wide as the field", 1, w, 0},
        {"right, text wider than the field", 2, w - 5, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Points left = draw(text, 30, c.maxWidth, 0);
        EXPECT_EQ(draw(text, 30, c.maxWidth, c.layout), shifted(left, c.shift));
    }
}

TEST_F(FontEngineTest, RightLimitEndsTheTextAtTheLastWholeCharacter) {
    const int advance = width("i");
    ASSERT_EQ(width("ii"), 2 * advance) << "test assumes no kerning between i and i";
    Ink ink;
    engine.previousGlyph = 0;
    EXPECT_EQ(engine.drawChar('i', 0, 50, advance, &ink), -1) << "advance reaching the limit";
    EXPECT_TRUE(ink.points.empty());
    EXPECT_EQ(engine.drawChar('i', 0, 50, advance + 1, &ink), advance);
    EXPECT_FALSE(ink.points.empty());

    const Points one = draw("i", 0, 1000, 0), two = draw("ii", 0, 1000, 0);
    EXPECT_EQ(draw("iiii", 0, 2 * advance, 0), one);
    EXPECT_EQ(draw("iiii", 0, 2 * advance + 1, 0), two);
    // Too wide for its field: centred text starts at x and is cut the same way.
    EXPECT_EQ(draw("iiii", 0, 2 * advance + 1, 1), two);
}

TEST_F(FontEngineTest, MissingCharacterIsReportedAndSkipped) {
    const Points expected = draw("AV", 10, 400, 0);
    testing::internal::CaptureStdout();
    const Points drawn = draw("A\x01V", 10, 400, 0);
    const int measured = width("A\x01V");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(measured, width("AV"));
    const std::string line =
        "Norvik <FT_Get_Char_Index for Char \"\x01\" failed: \"undefined character code\">\n";
    EXPECT_EQ(out, line + line);
}

TEST_F(FontEngineTest, TextIsReadAsLatinOneUpToTheFirstZeroByte) {
    testing::internal::CaptureStdout();
    const Points umlaut = draw("\xE4", 10, 200, 0), plain = draw("a", 10, 200, 0);
    const int umlautWidth = width("\xE4");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_FALSE(umlaut.empty());
    EXPECT_LT(highestRow(umlaut), highestRow(plain)) << "the dots stand above the a";
    EXPECT_EQ(umlautWidth, width("a"));

    const eString withZero("AB\0CD", 5);
    EXPECT_EQ(width(withZero), width("AB"));
    EXPECT_EQ(draw(withZero, 10, 400, 0), draw("AB", 10, 400, 0));
}

TEST_F(FontEngineTest, KerningPullsPairsTogetherAtTheSizeDrawn) {
    ASSERT_TRUE(engine.useKerning);
    const int pair = width("AV", 40);
    EXPECT_LT(pair, width("A", 40) + width("V", 40));
    // Glyphs that come from the cache must not leave the kerning of the last
    // rasterised size behind.
    draw("AV", 0, 400, 0, 12);
    EXPECT_EQ(width("AV", 40), pair);
    EXPECT_LT(width("AV", 12), pair);
}

TEST_F(FontEngineTest, SizeChangesTheGlyphs) {
    EXPECT_LT(width("Menu", 12), width("Menu", 40));
    EXPECT_LT(lowestRow(draw("A", 0, 400, 0, 12)) - highestRow(draw("A", 0, 400, 0, 12)),
              lowestRow(draw("A", 0, 400, 0, 40)) - highestRow(draw("A", 0, 400, 0, 40)));
}

class FontEngineSetupTest : public DeviceTest {};

TEST_F(FontEngineSetupTest, MissingFontLeavesNoEngineToUse) {
    unlink("/share/fonts/pakenham.ttf");
    FontEngine engine;
    testing::internal::CaptureStdout();
    EXPECT_NE(engine.setup(), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind(" failed: ", 0), 0u) << out;
    EXPECT_NE(out.find("[FONT] <FTC_Manager_Lookup_Face failed with Errorcode 0x01>\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(engine.ready());
    EXPECT_EQ(engine.manager, nullptr);
    EXPECT_EQ(engine.library, nullptr);

    Ink ink;
    engine.drawString("Menu", 0, 50, 200, 1, 20, &ink);
    EXPECT_EQ(engine.drawChar('A', 0, 50, 200, &ink), 0);
    EXPECT_EQ(engine.stringWidth("Menu"), 0);
    EXPECT_TRUE(ink.points.empty());
}

TEST_F(FontEngineSetupTest, EngineCanBeReleasedAndMadeAgain) {
    FontEngine engine;
    ASSERT_EQ(engine.setup(), 0);
    engine.release();
    engine.release();
    EXPECT_FALSE(engine.ready());
    EXPECT_EQ(engine.stringWidth("A"), 0);
    ASSERT_EQ(engine.setup(), 0);
    engine.drawString("", 0, 0, 0, 0, 20, nullptr);
    EXPECT_GT(engine.stringWidth("A"), 0);
}

} // namespace
