// The boot menu as the user meets it: the real program in the private root
// with the device stand-ins, driven by keys and the timeout.
#include "bootrun.h"

#include "bmimages.h"
#include "pngfile.h"

#include <algorithm>
#include <dirent.h>
#include <png.h>
#include <thread>

using sandbox::readFile;
using sandbox::writeFile;

namespace {

const char *conf = "/var/tuxbox/config/enigma/pickstart.conf";
const char *skinDir = "/var/tuxbox/config/enigma/boot";

void writeSolidPng(const std::string &path, int w, int h, int r, int g, int b) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(size_t(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[3 * x] = (unsigned char)r;
        row[3 * x + 1] = (unsigned char)g;
        row[3 * x + 2] = (unsigned char)b;
    }
    for (int y = 0; y < h; ++y)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
}

// A skin with its picture in one colour, so that a screenshot tells them apart.
void writeSkin(const std::string &name, int r, int g, int b) {
    writeFile(std::string(skinDir) + "/" + name + ".skin", "first-line=0,100,30,255,255,255\n"
                                                           "menu-size=100,200,400,200\n"
                                                           "string-color=255,255,0\n"
                                                           "select-color=255,0,0\n");
    writeSolidPng(std::string(skinDir) + "/" + name + ".png", 720, 576, r, g, b);
}

std::string config(const std::string &selentry, const std::string &timeout,
                   const std::string &skin = "a.skin", const std::string &random = "0") {
    return "#VazuRoduvad-Config\nmountpoint=/var/mnt/usb\nselentry=" + selentry +
           "\nrandomskin=" + random + "\ntimeout=" + timeout +
           "\nvideoformat=1\nskin-path=/var/tuxbox/config/enigma/boot\nskin-name=" + skin + "\n";
}

std::string configured(const std::string &key) {
    std::string text = readFile(conf);
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "?";
    at += key.size() + 2;
    return text.substr(at, text.find('\n', at) - at);
}

// The skin files in listing order, as the program's skin list has them.
std::vector<std::string> listedSkins() {
    std::vector<std::string> out;
    DIR *d = opendir(skinDir);
    while (dirent *e = d ? readdir(d) : nullptr) {
        std::string n = e->d_name;
        if (n.size() >= 5 && n.compare(n.size() - 5, 5, ".skin") == 0) out.push_back(n);
    }
    if (d) closedir(d);
    return out;
}

// Screen memory and mode while the menu shows.
struct Screen {
    std::string memory;
    std::string mode;
    unsigned pixel16(int x, int y) const {
        size_t at = size_t(y) * 1440 + size_t(x) * 2;
        return (unsigned char)memory[at] | (unsigned char)memory[at + 1] << 8;
    }
};
Screen shownScreen;
std::string shownLcd;

void snapshotThenStart() {
    shownScreen.memory = readFile("/dev/fb/0");
    shownScreen.mode = readFile("/dev/.standin/fb.mode");
    shownLcd = lcdPicture();
    sendRemote(0x25);
}

std::vector<unsigned short> pending;
bool pendingFront = false;
void sendPending() {
    for (unsigned short k : pending) {
        if (pendingFront)
            sendFront(k);
        else
            sendRemote(k);
        // The readers poll every 10 ms; leave each key its own poll.
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
}

class MenuTest : public SandboxTest {
  protected:
    std::vector<eImage> entries;

    void SetUp() override {
        SandboxTest::SetUp();
        prepareBox();
        for (const char *d : {"image/one", "fwpro/two", "fwpro/three", "fwpro/four", "fwpro/five"})
            sandbox::makeDirs(std::string("/var/mnt/usb/") + d);
        bmimages list;
        list.load("/var/mnt/usb", true);
        entries = list.images;
        writeSkin("a", 0, 0, 255);
        writeSkin("b", 0, 255, 0);
        writeSkin("c", 255, 0, 255);
    }

    BootRun keys(std::vector<unsigned short> codes, bool front = false) {
        pending = codes;
        pendingFront = front;
        return runPickstart(sendPending);
    }
};

} // namespace

TEST_F(MenuTest, TheMenuScreenShowsPictureTitleNamesAndDot) {
    ASSERT_EQ(entries.size(), 6u);
    writeFile(conf, config(entries[5].location, "30"));
    BootRun run = runPickstart(snapshotThenStart);
    ASSERT_EQ(run.status, 0) << run.output;

    EXPECT_EQ(shownScreen.mode, "720 576 16 1440\n");
    EXPECT_EQ(shownScreen.pixel16(5, 5), 0x001Fu) << "the skin's blue picture";
    // The dot of entry 5 has its top-left corner at 110,278.
    EXPECT_EQ(shownScreen.pixel16(117, 285), 0xF800u) << "centre of the dot";
    EXPECT_EQ(shownScreen.pixel16(110, 278), 0x001Fu) << "the disc leaves its corners";
    auto yellowIn = [](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += shownScreen.pixel16(x, y) == 0xFFE0u;
        return n;
    };
    EXPECT_GT(yellowIn(135, 250, 500, 297), 50) << "entry 5's name above its baseline 296";
    EXPECT_GT(yellowIn(135, 202, 500, 249), 50) << "entry 4's name above its baseline 248";
    EXPECT_EQ(yellowIn(135, 297, 500, 400), 0) << "only two entries on the second page";
    int white = 0;
    for (int y = 70; y < 101; ++y)
        for (int x = 35; x < 400; ++x)
            white += shownScreen.pixel16(x, y) == 0xFFFFu;
    EXPECT_GT(white, 50) << "the title";

    // The LCD mirrors the page: the second line (rows 16 to 29) is inverted.
    ASSERT_EQ(shownLcd.size(), 64u * 121u);
    auto dotsOn = [](int y0, int y1) {
        return std::count(shownLcd.begin() + y0 * 121, shownLcd.begin() + y1 * 121, '#');
    };
    EXPECT_GT(dotsOn(16, 30), 14 * 119 / 2) << shownLcd;
    EXPECT_LT(dotsOn(1, 15), 14 * 119 / 2) << shownLcd;
    EXPECT_EQ(dotsOn(31, 64), 0) << shownLcd;

    // After the choice: blank display, 8-bit mode, then the start-up mode.
    std::string blank = lcdPicture();
    EXPECT_EQ(std::count(blank.begin() + 121, blank.end(), '#'), 0) << blank;
    EXPECT_EQ(readFile("/dev/.standin/fb.mode"), "720 576 8 720\n");
    EXPECT_EQ(readFile("/dev/.standin/saa.format"), "1\n");
}

TEST_F(MenuTest, KeysMoveTheHighlightAndStartTheEntry) {
    const int n = int(entries.size());
    struct Case {
        const char *name;
        int remembered;
        std::vector<unsigned short> keys;
        bool front;
        int started;
    } cases[] = {
        {"down then ok", 2, {0x22, 0x25}, false, 3},
        {"up from the first wraps to the last", 0, {0x21, 0x52}, false, n - 1},
        {"down from the last wraps to the first", n - 1, {0x22, 0x25}, false, 0},
        {"down across the page", 3, {0x22, 0x22, 0x21, 0x25}, false, 4},
        {"front keys: down down ok", 1, {3, 3, 6}, true, 3},
        {"front up, none, then a stray value repeats up", 2, {5, 7, 4, 6}, true, 0},
        {"keys without a function change nothing", 2, {0x50, 0x80FF, 0x25}, false, 2},
    };
    for (const Case &c : cases) {
        writeFile(conf, config(entries[c.remembered].location, "30"));
        BootRun run = keys(c.keys, c.front);
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.output;
        EXPECT_EQ(configured("selentry"), entries[c.started].location) << c.name;
    }
}

TEST_F(MenuTest, TheTimeoutStartsWhateverIsHighlighted) {
    writeFile(conf, config(entries[1].location, "1"));
    BootRun run = keys({0x22});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(configured("selentry"), entries[2].location);

    writeFile(conf, config(entries[4].location, "0"));
    run = runPickstart();
    EXPECT_EQ(configured("selentry"), entries[4].location) << "timeout 0 starts at once";
}

TEST_F(MenuTest, SkinKeysSwitchSkinsAndTheChoiceKeepsTheNewOne) {
    std::vector<std::string> skins = listedSkins();
    ASSERT_EQ(skins.size(), 3u);
    const int last = 2;
    auto at = [&](const std::string &s) {
        return int(std::find(skins.begin(), skins.end(), s) - skins.begin());
    };
    struct Case {
        const char *name;
        std::string configuredSkin;
        unsigned short key;
        std::string expected;
    } cases[] = {
        {"next", skins[0], 0x23, skins[1]},
        {"next from the last", skins[last], 0x23, skins[0]},
        {"previous from the first", skins[0], 0x24, skins[last]},
        {"unlisted skin, next", "gone.skin", 0x23, skins[0]},
        {"unlisted skin, previous", "gone.skin", 0x24, skins[last]},
    };
    for (const Case &c : cases) {
        writeFile(conf, config(entries[0].location, "30", c.configuredSkin));
        BootRun run = keys({c.key, 0x25});
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.output;
        EXPECT_EQ(configured("skin-name"), c.expected) << c.name;
        EXPECT_EQ(configured("skin-path"), skinDir) << c.name;
        EXPECT_LT(at(c.expected), 3) << c.name;
    }
}

TEST_F(MenuTest, RandomSkinIsOneOfTheListedOrTheConfiguredOne) {
    writeFile(conf, config("", "0", "a.skin", "1"));
    BootRun run = runPickstart();
    EXPECT_EQ(run.status, 0) << run.output;
    std::vector<std::string> skins = listedSkins();
    EXPECT_NE(std::find(skins.begin(), skins.end(), configured("skin-name")), skins.end());

    // No skin listed anywhere: the configured skin stays.
    sandbox::wipe();
    prepareBox();
    sandbox::makeDirs("/var/mnt/usb/fwpro/two");
    writeFile(conf, config("", "0", "mine.skin", "1"));
    run = runPickstart();
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(configured("skin-name"), "mine.skin");
}

namespace {

// Top-left pixel of the fallback picture as the 16-bit screen shows it.
unsigned fallbackCorner()
{
    std::vector<unsigned char> rgb(720 * 576 * 3);
    if (loadPng("/share/tuxbox/enigma/boot/blank.png", rgb.data(), 720, 576) != 0)
        return 0x10000;
    return (rgb[0] << 8 & 0xF800) | (rgb[1] << 3 & 0x7E0) | rgb[2] >> 3;
}

} // namespace

TEST_F(MenuTest, SkinsWithoutTheirOwnPictureShowTheFallbackPicture)
{
    const unsigned corner = fallbackCorner();
    ASSERT_NE(corner, 0x10000u);
    ASSERT_NE(corner, 0x001Fu);
    struct Case {
        const char *name;
        std::string skinname;
    } cases[] = {
        {"picture missing beside the skin", "nopic.skin"},
        {"skin name without .skin", "nopic"},
        {"skin file missing altogether", "gone.skin"},
    };
    writeFile(std::string(skinDir) + "/nopic.skin", readFile(std::string(skinDir) + "/a.skin"));
    writeFile(std::string(skinDir) + "/nopic", readFile(std::string(skinDir) + "/a.skin"));
    for (const Case &c : cases) {
        writeFile(conf, config(entries[1].location, "30", c.skinname));
        BootRun run = runPickstart(snapshotThenStart);
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.output;
        EXPECT_EQ(shownScreen.mode, "720 576 16 1440\n") << c.name;
        EXPECT_EQ(shownScreen.pixel16(0, 0), corner) << c.name;
        EXPECT_EQ(configured("skin-name"), c.skinname) << c.name << ": the setting stays";
    }
}

TEST_F(MenuTest, SkinsReachingPastTheScreenDoNotHurtTheMenu)
{
    const char *skins[] = {
        "first-line=700,570,300,255,255,255\nmenu-size=600,500,400,400\n"
        "string-color=1,2,3\nselect-color=4,5,6\n",
        "first-line=-500,-500,-40,1,1,1\nmenu-size=-300,-300,-100,-100\n",
        "first-line=1000000,1000000,1000000,9,9,9\nmenu-size=-1000000,1000000,1000000,1000000\n",
        "menu-size=0,0,720,576\nfirst-line=0,2,200,1,2,3\n",
    };
    for (const char *skin : skins) {
        writeFile(std::string(skinDir) + "/a.skin", skin);
        writeFile(conf, config(entries[1].location, "30"));
        pending = {0x22, 0x21, 0x23, 0x24, 0x25};
        pendingFront = false;
        BootRun run = runPickstart(sendPending);
        EXPECT_EQ(run.status, 0) << skin << "\n" << run.output;
        EXPECT_EQ(configured("selentry"), entries[1].location) << skin;
    }
}
