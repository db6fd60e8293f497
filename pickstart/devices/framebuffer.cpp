// The screen's device side: opening and mapping, video mode, output format
// and console mode.
#include "framebuffer.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const char *const fbDevice = "/dev/fb/0";
const char *const consoleDevice = "/dev/vc/0";
const char *const encoderDevice = "/dev/dbox/saa0";
// The video encoder driver's request for the output format.
const unsigned long saaSetFormat = 5;

void notAvailable(const char *what) {
    perror(what);
    printf("[Framebuffer] <not available>\n");
}

// A line of pixels when the driver does not tell: the virtual width, packed.
int packedLineLength(const fb_var_screeninfo &var) {
    int bytes = (int(var.bits_per_pixel) + 7) / 8;
    if (var.bits_per_pixel == 24) bytes = 4; // pixels of 24-bit modes are converted to four bytes
    return int(var.xres_virtual) * bytes;
}

int pixelsIn(int lineLength, int bpp) {
    return bpp > 0 ? int(unsigned(lineLength) * 8 / unsigned(bpp)) : 0;
}

} // namespace

FrameBuffer::FrameBuffer() {
    fbFd = open(fbDevice, O_RDWR);
    if (fbFd < 0) {
        notAvailable(fbDevice);
        return;
    }
    if (ioctl(fbFd, FBIOGET_VSCREENINFO, &var) < 0) {
        notAvailable("FBIOGET_VSCREENINFO");
        return;
    }
    startVar = var;
    fb_fix_screeninfo fix = {};
    if (ioctl(fbFd, FBIOGET_FSCREENINFO, &fix) < 0) {
        notAvailable("[Framebuffer] <FBIOGET_FSCREENINFO>");
        return;
    }
    screenSize = fix.smem_len;
    void *mapped = mmap(nullptr, screenSize, PROT_READ | PROT_WRITE, MAP_SHARED, fbFd, 0);
    if (mapped == MAP_FAILED) {
        notAvailable("mmap");
        return;
    }
    screen = static_cast<unsigned char *>(mapped);

    // Until the first mode set, drawing lands in the mode found at start,
    // with the driver's own line length.
    xRes = int(var.xres);
    yRes = int(var.yres);
    bitsPerPixel = int(var.bits_per_pixel);
    lineLength = fix.line_length ? int(fix.line_length) : packedLineLength(var);
    pixelsPerLine = pixelsIn(lineLength, bitsPerPixel);

    if (font.setup() != 0) {
        // Without text there is no menu worth drawing; nothing may reach the
        // mapping or the font objects afterwards.
        munmap(screen, screenSize);
        screen = nullptr;
        return;
    }
    setConsoleMode(true);
    printf("[Framebuffer] available.\n");
}

FrameBuffer::~FrameBuffer() {
    free(savedArea);
    savedArea = nullptr;
    if (screenSize != 0) ioctl(fbFd, FBIOPUT_VSCREENINFO, &startVar);
    if (screen) munmap(screen, screenSize);
    screen = nullptr;
    font.release();
    if (fbFd >= 0) close(fbFd);
}

int FrameBuffer::SetMode(int xres, int yres, int bpp) {
    if (!screen) return -1;
    var.xres = var.xres_virtual = unsigned(xres);
    var.yres = var.yres_virtual = unsigned(yres);
    var.xoffset = var.yoffset = 0;
    var.height = var.width = 0;
    var.bits_per_pixel = unsigned(bpp);
    if (ioctl(fbFd, FBIOPUT_VSCREENINFO, &var) < 0) {
        perror("[FB-SET] <FBIOPUT_VSCREENINFO>");
        // The device kept its mode; converting colours for the refused depth
        // would paint garbage into it.
        ioctl(fbFd, FBIOGET_VSCREENINFO, &var);
        return -1;
    }
    if (int(var.xres) != xres || int(var.yres) != yres || int(var.bits_per_pixel) != bpp)
        printf("[FB-SET] <SetMode failed: wanted: %dx%dx%d, got %dx%dx%d>\n", xres, yres, bpp,
               var.xres, var.yres, var.bits_per_pixel);
    xRes = int(var.xres);
    yRes = int(var.yres);
    bitsPerPixel = int(var.bits_per_pixel);
    printf("[Framebuffer] xRes:%d yRes:%d bpp:%d\n", xRes, yRes, bitsPerPixel);

    fb_fix_screeninfo fix = {};
    if (ioctl(fbFd, FBIOGET_FSCREENINFO, &fix) < 0) {
        perror("[FB-SET] <FBIOGET_FSCREENINFO>");
        lineLength = packedLineLength(var);
    } else {
        lineLength = int(fix.line_length);
    }
    pixelsPerLine = pixelsIn(lineLength, bitsPerPixel);

    if (lineLength > 0 && yRes > 0) {
        size_t clear = size_t(lineLength) * size_t(yRes);
        memset(screen, 0, clear < screenSize ? clear : screenSize);
    }

    // Copying one black pixel loads the palette in 8-bit modes.
    static const unsigned char black[3] = {0, 0, 0};
    int bytesPerPixel = 0;
    unsigned char *pixel = convertColors(black, 1, int(var.bits_per_pixel), bytesPerPixel);
    if (!pixel) {
        printf("malloc\n");
        return 0;
    }
    copyPicture(pixel, bytesPerPixel, 1, 1, 0, 0, 0, 0);
    free(pixel);
    return 0;
}

int FrameBuffer::setVideoFormat(int format) {
    // Numbers the encoder does not know fall back to its first format.
    int value = (format >= 0 && format <= 3) ? format : 0;
    int fd = open(encoderDevice, O_RDWR);
    if (fd < 0) {
        perror("[SAA-Set] saa open");
        return 1;
    }
    if (ioctl(fd, saaSetFormat, &value) < 0) {
        perror("[SAA-Set] saa set");
        close(fd);
        return 1;
    }
    close(fd);
    return 0;
}

int FrameBuffer::setConsoleMode(bool text) {
    int fd = open(consoleDevice, O_RDWR);
    if (fd < 0) return 0;
    if (ioctl(fd, KDSETMODE, text ? KD_TEXT : KD_GRAPHICS) < 0)
        perror("[CONSOLE] <setting /dev/vc/0 status failed>");
    close(fd);
    return 0;
}
