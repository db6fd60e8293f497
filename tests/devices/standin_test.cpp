// The emulated box's device stand-ins: the driver answers on the device
// files, the state they leave for the screenshot tool, requests that must
// still reach the kernel, and the screenshots themselves.
#include "sandbox.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fb.h>
#include <linux/kd.h>
#include <png.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string stateDir = "/dev/.standin/";

int run(const std::string &command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int installBox(const std::string &root) {
    return run("sh " + sandbox::sourceDir() + "/box/standin/install.sh " + root);
}

// An open device file that closes itself.
struct Device {
    int fd;
    explicit Device(const char *path) : fd(open(path, O_RDWR)) {}
    ~Device() {
        if (fd >= 0) close(fd);
    }
};

// ioctl's result and errno in one value: 0, or -errno.
int request(int fd, unsigned long code, void *arg) {
    errno = 0;
    return ioctl(fd, code, arg) == 0 ? 0 : -errno;
}

fb_var_screeninfo askMode(unsigned xres, unsigned yres, unsigned bpp) {
    fb_var_screeninfo var = {};
    var.xres = var.xres_virtual = xres;
    var.yres = var.yres_virtual = yres;
    var.bits_per_pixel = bpp;
    return var;
}

class Standin : public SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(installBox("/"), 0);
    }
};

TEST_F(Standin, InstallLaysOutThePoweredUpBox) {
    struct stat st;
    ASSERT_EQ(stat("/dev/fb/0", &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 1658880);
    for (const char *node : {"/dev/vc/0", "/dev/dbox/saa0", "/dev/dbox/lcd0"}) {
        ASSERT_EQ(stat(node, &st), 0) << node;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << node;
        EXPECT_EQ(st.st_size, 0) << node;
    }
    for (const char *node : {"/dev/rawir2", "/dev/dbox/fpkeys0"}) {
        ASSERT_EQ(stat(node, &st), 0) << node;
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << node;
    }
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 8 720\n");

    // Installing again is a fresh power-up; the knobs set for a run stay.
    sandbox::writeFile(stateDir + "fb.grant", "bpp 8\n");
    sandbox::writeFile(stateDir + "fb.mode", "720 576 16 1440\n");
    sandbox::writeFile(stateDir + "fb.cmap", "1 2 3\n");
    sandbox::writeFile("/dev/dbox/lcd0", std::string(960, '\xff'));
    ASSERT_EQ(installBox("/"), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 8 720\n");
    EXPECT_FALSE(sandbox::exists(stateDir + "fb.cmap"));
    EXPECT_EQ(sandbox::readFile("/dev/dbox/lcd0"), "");
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.grant"), "bpp 8\n");
}

TEST_F(Standin, ModeIsReadSetAndKept) {
    Device fb("/dev/fb/0");
    ASSERT_GE(fb.fd, 0);

    fb_var_screeninfo var;
    ASSERT_EQ(request(fb.fd, FBIOGET_VSCREENINFO, &var), 0);
    EXPECT_EQ(var.xres, 720u);
    EXPECT_EQ(var.yres, 576u);
    EXPECT_EQ(var.xres_virtual, 720u);
    EXPECT_EQ(var.yres_virtual, 576u);
    EXPECT_EQ(var.bits_per_pixel, 8u);
    fb_fix_screeninfo fix;
    ASSERT_EQ(request(fb.fd, FBIOGET_FSCREENINFO, &fix), 0);
    EXPECT_EQ(fix.smem_len, 1658880u);
    EXPECT_EQ(fix.line_length, 720u);
    EXPECT_STREQ(fix.id, "standin fb");

    struct Case {
        unsigned xres, yres, bpp;
        int result;
        const char *modeAfter;
    };
    const Case cases[] = {
        {720, 576, 16, 0, "720 576 16 1440\n"},        {640, 480, 15, 0, "640 480 15 1280\n"},
        {720, 576, 32, 0, "720 576 32 2880\n"},        // exactly the whole memory
        {1024, 768, 32, -EINVAL, "720 576 32 2880\n"}, // does not fit
        {720, 576, 12, -EINVAL, "720 576 32 2880\n"},  {0, 576, 8, -EINVAL, "720 576 32 2880\n"},
        {720, 576, 8, 0, "720 576 8 720\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.xres) + "x" + std::to_string(c.yres) + "x" +
                     std::to_string(c.bpp));
        fb_var_screeninfo asked = askMode(c.xres, c.yres, c.bpp);
        asked.xres_virtual = c.xres * 2; // the driver keeps the virtual size to the visible
        ASSERT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &asked), c.result);
        EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), c.modeAfter);
        if (c.result != 0) continue;
        EXPECT_EQ(asked.xres_virtual, c.xres);
        ASSERT_EQ(request(fb.fd, FBIOGET_VSCREENINFO, &var), 0);
        EXPECT_EQ(var.xres, c.xres);
        EXPECT_EQ(var.yres, c.yres);
        EXPECT_EQ(var.bits_per_pixel, c.bpp);
        ASSERT_EQ(request(fb.fd, FBIOGET_FSCREENINFO, &fix), 0);
        EXPECT_EQ(fix.line_length, c.xres * (c.bpp == 8 ? 1 : c.bpp <= 16 ? 2 : 4));
    }

    ASSERT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &(var = askMode(720, 576, 16))), 0);
    EXPECT_EQ(var.red.offset, 11u);
    EXPECT_EQ(var.red.length, 5u);
    EXPECT_EQ(var.green.offset, 5u);
    EXPECT_EQ(var.green.length, 6u);
    EXPECT_EQ(var.blue.length, 5u);
}

TEST_F(Standin, GrantKnobAltersOrRefusesTheMode) {
    Device fb("/dev/fb/0");
    ASSERT_GE(fb.fd, 0);
    fb_var_screeninfo var = askMode(720, 576, 16);

    sandbox::writeFile(stateDir + "fb.grant", "bpp 8\n");
    ASSERT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &var), 0);
    EXPECT_EQ(var.bits_per_pixel, 8u);
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 8 720\n");

    sandbox::writeFile(stateDir + "fb.grant", "refuse\n");
    var = askMode(720, 576, 16);
    EXPECT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &var), -EINVAL);
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 8 720\n");

    sandbox::writeFile(stateDir + "fb.grant", "nofix\n");
    fb_fix_screeninfo fix;
    EXPECT_EQ(request(fb.fd, FBIOGET_FSCREENINFO, &fix), -EINVAL);
    EXPECT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &var), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 16 1440\n");
}

TEST_F(Standin, NodesWithoutStateStartInTheStartUpMode) {
    sandbox::wipe();
    sandbox::writeFile("/dev/fb/0", "");
    Device fb("/dev/fb/0");
    ASSERT_GE(fb.fd, 0);
    fb_var_screeninfo var;
    ASSERT_EQ(request(fb.fd, FBIOGET_VSCREENINFO, &var), 0);
    EXPECT_EQ(var.xres, 720u);
    EXPECT_EQ(var.bits_per_pixel, 8u);
    var = askMode(720, 576, 16);
    ASSERT_EQ(request(fb.fd, FBIOPUT_VSCREENINFO, &var), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.mode"), "720 576 16 1440\n");
}

TEST_F(Standin, ColourMapEntriesAreStoredAndKept) {
    Device fb("/dev/fb/0");
    ASSERT_GE(fb.fd, 0);
    std::vector<uint16_t> red(256), green(256), blue(256);
    for (int i = 0; i < 256; ++i) {
        red[i] = uint16_t(((i >> 5) & 7) * 9180);
        green[i] = uint16_t(((i >> 2) & 7) * 9180);
        blue[i] = uint16_t((i & 3) * 21675);
    }
    fb_cmap cmap = {0, 256, red.data(), green.data(), blue.data(), nullptr};
    ASSERT_EQ(request(fb.fd, FBIOPUTCMAP, &cmap), 0);

    uint16_t r[2] = {1, 2}, g[2] = {3, 4}, b[2] = {65535, 6};
    fb_cmap part = {250, 2, r, g, b, nullptr};
    ASSERT_EQ(request(fb.fd, FBIOPUTCMAP, &part), 0);
    fb_cmap beyond = {255, 2, r, g, b, nullptr};
    EXPECT_EQ(request(fb.fd, FBIOPUTCMAP, &beyond), -EINVAL);

    std::string expected;
    for (int i = 0; i < 256; ++i) {
        if (i == 250 || i == 251)
            expected += std::to_string(r[i - 250]) + " " + std::to_string(g[i - 250]) + " " +
                        std::to_string(b[i - 250]) + "\n";
        else
            expected += std::to_string(red[i]) + " " + std::to_string(green[i]) + " " +
                        std::to_string(blue[i]) + "\n";
    }
    EXPECT_EQ(sandbox::readFile(stateDir + "fb.cmap"), expected);

    // Without a stored map the entries not set read as zero.
    sandbox::wipe();
    ASSERT_EQ(installBox("/"), 0);
    Device fresh("/dev/fb/0");
    fb_cmap one = {1, 1, r, g, b, nullptr};
    ASSERT_EQ(request(fresh.fd, FBIOPUTCMAP, &one), 0);
    std::string text = sandbox::readFile(stateDir + "fb.cmap");
    EXPECT_EQ(text.substr(0, 21), "0 0 0\n1 3 65535\n0 0 0");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 256);
}

TEST_F(Standin, ConsoleEncoderAndDisplayRequests) {
    Device vc("/dev/vc/0"), saa("/dev/dbox/saa0"), lcd("/dev/dbox/lcd0");
    ASSERT_GE(vc.fd, 0);
    ASSERT_GE(saa.fd, 0);
    ASSERT_GE(lcd.fd, 0);

    EXPECT_EQ(ioctl(vc.fd, KDSETMODE, KD_GRAPHICS), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "vc.mode"), "1\n");
    EXPECT_EQ(ioctl(vc.fd, KDSETMODE, KD_TEXT), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "vc.mode"), "0\n");

    int format = 3;
    EXPECT_EQ(request(saa.fd, 5, &format), 0);
    EXPECT_EQ(sandbox::readFile(stateDir + "saa.format"), "3\n");
    sandbox::writeFile(stateDir + "saa.refuse", "");
    format = 1;
    EXPECT_EQ(request(saa.fd, 5, &format), -EINVAL);
    EXPECT_EQ(sandbox::readFile(stateDir + "saa.format"), "3\n");

    int graphics = 1;
    EXPECT_EQ(request(lcd.fd, 25, nullptr), 0);
    EXPECT_EQ(request(lcd.fd, 0x1015, &graphics), 0);
    sandbox::writeFile(stateDir + "lcd.refuse", "25\n");
    EXPECT_EQ(request(lcd.fd, 25, nullptr), -EINVAL);
    EXPECT_EQ(request(lcd.fd, 0x1015, &graphics), 0);
    sandbox::writeFile(stateDir + "lcd.refuse", "4117\n");
    EXPECT_EQ(request(lcd.fd, 25, nullptr), 0);
    EXPECT_EQ(request(lcd.fd, 0x1015, &graphics), -EINVAL);

    // A request the display does not know is the kernel's to answer.
    EXPECT_EQ(request(lcd.fd, 5, &format), -ENOTTY);
}

TEST_F(Standin, OtherRequestsReachTheKernel) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    ASSERT_EQ(write(pipeFds[1], "hello", 5), 5);
    int queued = -1;
    EXPECT_EQ(request(pipeFds[0], FIONREAD, &queued), 0);
    EXPECT_EQ(queued, 5);
    close(pipeFds[0]);
    close(pipeFds[1]);

    // Framebuffer requests on anything but the screen are not answered.
    fb_var_screeninfo var;
    Device null("/dev/null");
    EXPECT_EQ(request(null.fd, FBIOGET_VSCREENINFO, &var), -ENOTTY);
    sandbox::writeFile("/tmp/fb0", std::string(16, '\0'));
    Device elsewhere("/tmp/fb0");
    EXPECT_EQ(request(elsewhere.fd, FBIOGET_VSCREENINFO, &var), -ENOTTY);
    EXPECT_EQ(request(-1, FBIOGET_VSCREENINFO, &var), -EBADF);
}

// ---- boxshot

struct Shot {
    int status = -1;
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char *at(int x, int y) const {
        return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

Shot boxshot(const std::string &what, const std::string &root) {
    Shot shot;
    const std::string tool = sandbox::binaryDir() + "/bin/boxshot";
    if (access(tool.c_str(), X_OK) != 0) {
        ADD_FAILURE() << tool << " is missing: build the boxshot target";
        return shot;
    }
    const std::string out = "/tmp/shot.png";
    unlink(out.c_str());
    shot.status = run(tool + " " + what + " " + root + " " + out);
    if (shot.status != 0) return shot;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, out.c_str())) {
        ADD_FAILURE() << "boxshot wrote no readable PNG";
        return shot;
    }
    image.format = PNG_FORMAT_RGB;
    shot.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr)) {
        ADD_FAILURE() << "boxshot's PNG did not decode";
        return shot;
    }
    shot.width = int(image.width);
    shot.height = int(image.height);
    return shot;
}

using Rgb = std::vector<int>;

Rgb rgbAt(const Shot &shot, int x, int y) {
    const unsigned char *p = shot.at(x, y);
    return {p[0], p[1], p[2]};
}

// Screen memory holding these pixel values, each of `size` bytes in the
// machine's order, from offset 0 on.
std::string screenMemory(const std::vector<uint32_t> &values, size_t size) {
    std::string memory(1658880, '\0');
    for (size_t i = 0; i < values.size(); ++i)
        memory.replace(i * size, size, reinterpret_cast<const char *>(&values[i]), size);
    return memory;
}

std::string palette332() {
    std::string cmap;
    for (int i = 0; i < 256; ++i)
        cmap += std::to_string(((i >> 5) & 7) * 9180) + " " +
                std::to_string(((i >> 2) & 7) * 9180) + " " + std::to_string((i & 3) * 21675) +
                "\n";
    return cmap;
}

TEST_F(Standin, ScreenshotsDecodeEveryDepth) {
    const std::string root = "/tmp/box";
    sandbox::makeDirs(root);
    ASSERT_EQ(installBox(root), 0);
    sandbox::writeFile(root + "/dev/.standin/fb.cmap", palette332());

    struct Case {
        const char *mode;
        size_t pixelSize;
        std::vector<uint32_t> memory; // pixel values from offset 0
        int width, height;
        std::vector<Rgb> expected; // row by row
    };
    const Case cases[] = {
        // A line longer than the visible width: its fourth pixel is not shown.
        {"3 2 16 8",
         2,
         {0xF800, 0x07E0, 0x001F, 0xFFFF, 0xFFFF, 0x0000, 0x8410, 0},
         3,
         2,
         {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {132, 130, 132}}},
        {"3 1 15 6", 2, {0x7C00, 0x03E0, 0x001F}, 3, 1, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}},
        {"2 1 32 8", 4, {0x00123456, 0xFFABCDEF}, 2, 1, {{0x12, 0x34, 0x56}, {0xAB, 0xCD, 0xEF}}},
        // Through the stored 3-3-2 colour map: the top bytes of its entries.
        {"4 1 8 4",
         1,
         {0x00, 0xE0, 0x1C, 0xFF},
         4,
         1,
         {{0, 0, 0}, {251, 0, 0}, {0, 251, 0}, {251, 251, 254}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        sandbox::writeFile(root + "/dev/fb/0", screenMemory(c.memory, c.pixelSize));
        sandbox::writeFile(root + "/dev/.standin/fb.mode", std::string(c.mode) + "\n");
        Shot shot = boxshot("tv", root);
        ASSERT_EQ(shot.status, 0);
        ASSERT_EQ(shot.width, c.width);
        ASSERT_EQ(shot.height, c.height);
        for (int i = 0; i < c.width * c.height; ++i)
            EXPECT_EQ(rgbAt(shot, i % c.width, i / c.width), c.expected[size_t(i)])
                << "pixel " << i;
    }

    // The powered-up screen: the whole 720 x 576 mode.
    ASSERT_EQ(installBox(root), 0);
    Shot shot = boxshot("tv", root);
    ASSERT_EQ(shot.status, 0);
    EXPECT_EQ(shot.width, 720);
    EXPECT_EQ(shot.height, 576);
}

TEST_F(Standin, ScreenshotOfTheFrontDisplayShowsTheLastPage) {
    const std::string root = "/tmp/box";
    sandbox::makeDirs(root);
    ASSERT_EQ(installBox(root), 0);

    Shot blank = boxshot("lcd", root);
    ASSERT_EQ(blank.status, 0);
    ASSERT_EQ(blank.width, 480);
    ASSERT_EQ(blank.height, 256);
    const Rgb ground = rgbAt(blank, 0, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 480; ++x)
            ASSERT_EQ(rgbAt(blank, x, y), ground) << x << "," << y;

    // Two updates: all dots on, then only (0, 0), (5, 9) and (119, 63).
    std::string pages(960, '\0');
    pages[0] = 0x01;
    pages[1 * 120 + 5] = 0x02;
    pages[959] = char(0x80);
    sandbox::writeFile(root + "/dev/dbox/lcd0", std::string(960, '\xff') + pages);
    Shot shot = boxshot("lcd", root);
    ASSERT_EQ(shot.status, 0);
    const Rgb dot = rgbAt(shot, 0, 0);
    EXPECT_NE(dot, ground);
    EXPECT_LT(dot[0] + dot[1] + dot[2], ground[0] + ground[1] + ground[2]); // dark on light
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 480; ++x) {
            int dx = x / 4, dy = y / 4;
            bool on = (dx == 0 && dy == 0) || (dx == 5 && dy == 9) || (dx == 119 && dy == 63);
            ASSERT_EQ(rgbAt(shot, x, y), on ? dot : ground) << x << "," << y;
        }
}

TEST_F(Standin, ScreenshotToolRejectsAWrongCommandLine) {
    const std::string tool = sandbox::binaryDir() + "/bin/boxshot";
    EXPECT_EQ(run(tool + " radio / /tmp/x.png 2>/dev/null"), 2);
    EXPECT_EQ(run(tool + " tv / 2>/dev/null"), 2);
    EXPECT_EQ(run(tool + " tv /tmp/nothing-here /tmp/x.png 2>/dev/null"), 1);
}

} // namespace
