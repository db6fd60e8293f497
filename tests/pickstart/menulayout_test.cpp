// The menu's arithmetic and the skin file rules, without any device.
#include "menulayout.h"
#include "sandbox.h"

#include <vector>

TEST(MenuLayout, PagesHoldFourEntries) {
    struct Case {
        int selected, lastentry, first, last;
    } cases[] = {
        {0, 1, 0, 1}, {3, 5, 0, 3}, {4, 5, 4, 5}, {5, 5, 4, 5},
        {4, 8, 4, 7}, {8, 8, 8, 8}, {0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        MenuPage p = menuPage(c.selected, c.lastentry);
        EXPECT_EQ(p.first, c.first) << "selected " << c.selected << " of " << c.lastentry;
        EXPECT_EQ(p.last, c.last) << "selected " << c.selected << " of " << c.lastentry;
    }
}

TEST(MenuLayout, WorkedExampleOfTheMenuRectangle) {
    // Menu at 100,200 sized 400x200, entry 5 of 6 highlighted.
    int lineH = menuLineHeight(200);
    EXPECT_EQ(lineH, 48);
    MenuPage p = menuPage(5, 5);
    ASSERT_EQ(p.first, 4);
    EXPECT_EQ(200 + 0 * lineH + lineH, 248) << "baseline of entry 4";
    EXPECT_EQ(200 + 1 * lineH + lineH, 296) << "baseline of entry 5";
    EXPECT_EQ(200 + 1 * lineH + (lineH / 3) * 2 - 2, 278) << "top of the dot";
    EXPECT_EQ(menuLineHeight(6), -1) << "integer division before the minus 2";
}

TEST(MenuLayout, WrapAroundAtBothEnds) {
    struct Case {
        int value, last, expected;
    } cases[] = {
        {-1, 2, 2}, {3, 2, 0}, {1, 2, 1}, {0, 2, 0}, {2, 2, 2}, {4, 2, 0}, {-1, 0, 0}, {1, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(wrapIndex(c.value, c.last), c.expected) << c.value << " in 0.." << c.last;
}

TEST(MenuLayout, SkinPaths) {
    EXPECT_EQ(pictureFor("/var/tuxbox/config/enigma/boot/blank.skin"),
              "/var/tuxbox/config/enigma/boot/blank.png");
    EXPECT_EQ(pictureFor("/var/mnt/usb/my.skins/a.skin"), "/var/mnt/usb/my.pngs/a.skin")
        << "only the first .skin is replaced";
    EXPECT_EQ(pictureFor("/var/tuxbox/config/enigma/boot/blank"), "")
        << "no .skin: no picture of its own";

    eString path, name;
    splitSkinPath("/var/mnt/usb/boot/skins/stick.skin", path, name);
    EXPECT_EQ(path, "/var/mnt/usb/boot/skins");
    EXPECT_EQ(name, "stick.skin");
    splitSkinPath("loose.skin", path, name);
    EXPECT_EQ(path, "");
    EXPECT_EQ(name, "loose.skin");
}

TEST(MenuLayout, SkinLinesScanLikeTheFormattedScan) {
    struct Case {
        const char *line;
        const char *key;
        int count;
        std::vector<int> expected;
    } cases[] = {
        {"menu-size=100,200,400,200\n", "menu-size", 4, {100, 200, 400, 200}},
        {"menu-size=10,20,30\n", "menu-size", 4, {10, 20, 30}},
        {"menu-size = 10,20,30,40\n", "menu-size", 4, {}},
        {"menu-size= 10, +20,-30,40 trailing\n", "menu-size", 4, {10, 20, -30, 40}},
        {"menu-size=10 ,20,30,40\n", "menu-size", 4, {10}},
        {"menu-size=10,,30,40\n", "menu-size", 4, {10}},
        {"menu-size=x\n", "menu-size", 4, {}},
        {"menu-size=99999999999999999999,-99999999999,5,6",
         "menu-size",
         4,
         {1000000, -1000000, 5, 6}},
        {"string-color=1,2,3,4,5\r\n", "string-color", 3, {1, 2, 3}},
        {"first-line=-1,-1,36,255,255,255", "first-line", 6, {-1, -1, 36, 255, 255, 255}},
    };
    for (const Case &c : cases) {
        int values[6] = {7, 7, 7, 7, 7, 7};
        int n = scanSkinLine(c.line, c.key, values, c.count);
        EXPECT_EQ(std::vector<int>(values, values + n), c.expected) << c.line;
        for (int i = n; i < 6; ++i)
            EXPECT_EQ(values[i], 7) << c.line << ": value " << i << " must stay";
    }
}

class SkinFileTest : public SandboxTest {};

TEST_F(SkinFileTest, WholeFilesKeepWhatDoesNotScan) {
    std::string longLine(100 * 1024, '9');
    sandbox::writeFile("/tmp/a.skin", "# comment\n"
                                      " menu-size=1,1,1,1\n"
                                      "menu-size=10,20,30\n"
                                      "string-color=0,0,0\n"
                                      "string-color=255,255,255\n"
                                      "select-color=1,2,3\r\n"
                                      "Menu-size=5,5,5,5\n"
                                      "first-line=" +
                                          longLine +
                                          "\n"
                                          "menu-size" +
                                          longLine +
                                          "\n"
                                          "select-color=9,8");
    int first[6] = {-1, -1, 0, 0, 0, 0}, menu[4] = {1, 2, 3, 4}, str[3] = {}, sel[3] = {};
    readSkinFile("/tmp/a.skin", first, menu, str, sel);
    EXPECT_EQ(std::vector<int>(menu, menu + 4), (std::vector<int>{10, 20, 30, 4}));
    EXPECT_EQ(std::vector<int>(str, str + 3), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(std::vector<int>(sel, sel + 3), (std::vector<int>{9, 8, 3}));
    EXPECT_EQ(first[0], 1000000);
    EXPECT_EQ(first[1], -1);

    readSkinFile("/tmp/missing.skin", first, menu, str, sel);
    EXPECT_EQ(menu[3], 4) << "a missing file changes nothing";
}
