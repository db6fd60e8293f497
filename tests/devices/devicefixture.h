// Shared fixture of the screen, text and display tests: the box's font and
// its device stand-ins inside the private root.
#pragma once

#include "sandbox.h"

#include <fcntl.h>
#include <linux/fb.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

class DeviceTest : public SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        if (IsSkipped()) return;
        sandbox::writeFile("/share/fonts/pakenham.ttf",
                           sandbox::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    }

    // The stand-ins as the box starts: screen memory, 720 x 576 at 8 bits.
    static void makeDevices() {
        sandbox::writeFile("/dev/fb/0", std::string(720 * 576 * 4, '\0'));
        sandbox::writeFile("/dev/.standin/fb.mode", "720 576 8 720\n");
        sandbox::writeFile("/dev/vc/0", "");
        sandbox::writeFile("/dev/dbox/saa0", "");
        sandbox::writeFile("/dev/dbox/lcd0", "");
    }

    // True when the driver requests on the stand-ins are answered; the
    // answering library is linked into this program once it exists.
    static bool standinAnswers() {
        int fd = open("/dev/fb/0", O_RDWR);
        if (fd < 0) return false;
        fb_var_screeninfo var = {};
        bool answered = ioctl(fd, FBIOGET_VSCREENINFO, &var) == 0;
        close(fd);
        return answered;
    }

    static std::string standinValue(const std::string &name) {
        std::string value = sandbox::readFile("/dev/.standin/" + name);
        while (!value.empty() && (value.back() == '\n' || value.back() == ' '))
            value.pop_back();
        return value;
    }
};

#define REQUIRE_STANDIN()                                                                          \
    do {                                                                                           \
        makeDevices();                                                                             \
        if (!standinAnswers())                                                                     \
            GTEST_SKIP() << "device stand-in (boxdev_static) not linked into this program";        \
    } while (0)
