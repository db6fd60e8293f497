// The box's drivers as far as the boot menu talks to them: an ioctl() that
// answers the framebuffer, console, video encoder and front display
// requests on the stand-in device files and passes everything else on to
// the kernel. Loaded first into the box's processes (or linked into a test
// program), so the programs run unchanged.
#include "state.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <linux/fb.h>
#include <linux/kd.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using namespace standin;

const char *const stateDir = "/dev/.standin";

enum Device { otherDevice, fbDevice, vcDevice, saaDevice, lcdDevice };

const struct {
    const char *path;
    Device device;
} devicePaths[] = {
    {"/dev/fb/0", fbDevice},
    {"/dev/vc/0", vcDevice},
    {"/dev/dbox/saa0", saaDevice},
    {"/dev/dbox/lcd0", lcdDevice},
};

// The requests the stand-ins answer, and on which device.
constexpr unsigned long saaSetFormat = 5;
constexpr unsigned long lcdClear = 25;
constexpr unsigned long lcdGraphicsMode = 0x1015;

const struct {
    unsigned long request;
    Device device;
} answered[] = {
    {FBIOGET_VSCREENINFO, fbDevice}, {FBIOPUT_VSCREENINFO, fbDevice},
    {FBIOGET_FSCREENINFO, fbDevice}, {FBIOPUTCMAP, fbDevice},
    {KDSETMODE, vcDevice},           {saaSetFormat, saaDevice},
    {lcdClear, lcdDevice},           {lcdGraphicsMode, lcdDevice},
};

int fail(int error) {
    errno = error;
    return -1;
}

using IoctlFunction = int (*)(int, unsigned long, ...);

IoctlFunction nextIoctl;
pthread_once_t nextIoctlFound = PTHREAD_ONCE_INIT;

void findNextIoctl() {
    void *symbol = dlsym(RTLD_NEXT, "ioctl");
    if (symbol != reinterpret_cast<void *>(&ioctl))
        nextIoctl = reinterpret_cast<IoctlFunction>(symbol);
}

// The next ioctl after ours: libc's, both when we are preloaded and when a
// program links us in (then we sit in the executable, first in the search
// order). Should the lookup ever come back empty or with ourselves, the
// system call itself still reaches the driver.
int passOn(int fd, unsigned long request, void *arg) {
    pthread_once(&nextIoctlFound, findNextIoctl);
    if (nextIoctl) return nextIoctl(fd, request, arg);
    return int(syscall(SYS_ioctl, fd, request, arg));
}

// The path is read relative to the process's root, so this also works for
// a program that runs under chroot in the emulated box. Without /proc the
// file's identity is compared instead.
Device deviceOf(int fd) {
    char link[64], target[256];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n > 0) {
        target[n] = 0;
        for (const auto &d : devicePaths)
            if (strcmp(target, d.path) == 0) return d.device;
        return otherDevice;
    }
    struct stat open, named;
    if (fstat(fd, &open) != 0) return otherDevice;
    for (const auto &d : devicePaths)
        if (stat(d.path, &named) == 0 && named.st_dev == open.st_dev && named.st_ino == open.st_ino)
            return d.device;
    return otherDevice;
}

// "fb.grant" may hold "refuse", "nofix" and "bpp N", one per line.
struct Grant {
    bool refuse = false, noFix = false;
    int bpp = 0;
};

Grant readGrant() {
    Grant grant;
    char text[256];
    if (!readText(stateDir, "fb.grant", text, sizeof text)) return grant;
    char *rest = nullptr;
    for (char *line = strtok_r(text, "\n", &rest); line; line = strtok_r(nullptr, "\n", &rest)) {
        int bpp;
        if (strncmp(line, "refuse", 6) == 0)
            grant.refuse = true;
        else if (strncmp(line, "nofix", 5) == 0)
            grant.noFix = true;
        else if (sscanf(line, "bpp %d", &bpp) == 1)
            grant.bpp = bpp;
    }
    return grant;
}

Mode currentMode() {
    Mode mode = startupMode;
    readMode(stateDir, mode);
    return mode;
}

void setBitfields(fb_var_screeninfo &var, int bpp) {
    auto field = [](fb_bitfield &f, unsigned offset, unsigned length) {
        f.offset = offset;
        f.length = length;
        f.msb_right = 0;
    };
    switch (bpp) {
    case 8: // palette: every index is looked up whole
        field(var.red, 0, 8), field(var.green, 0, 8), field(var.blue, 0, 8);
        break;
    case 15:
        field(var.red, 10, 5), field(var.green, 5, 5), field(var.blue, 0, 5);
        break;
    case 16:
        field(var.red, 11, 5), field(var.green, 5, 6), field(var.blue, 0, 5);
        break;
    default:
        field(var.red, 16, 8), field(var.green, 8, 8), field(var.blue, 0, 8);
        break;
    }
}

int getVar(fb_var_screeninfo *var) {
    if (!var) return fail(EFAULT);
    Mode mode = currentMode();
    memset(var, 0, sizeof *var);
    var->xres = var->xres_virtual = unsigned(mode.xres);
    var->yres = var->yres_virtual = unsigned(mode.yres);
    var->bits_per_pixel = unsigned(mode.bpp);
    setBitfields(*var, mode.bpp);
    return 0;
}

int putVar(fb_var_screeninfo *var) {
    if (!var) return fail(EFAULT);
    Grant grant = readGrant();
    if (grant.refuse) return fail(EINVAL);
    int bpp = grant.bpp ? grant.bpp : int(var->bits_per_pixel);
    int bytes = bytesPerPixel(bpp);
    unsigned long long need = 1ULL * var->xres * var->yres * unsigned(bytes);
    if (bytes == 0 || var->xres == 0 || var->yres == 0 || need > screenMemory) return fail(EINVAL);
    Mode mode = {int(var->xres), int(var->yres), bpp, int(var->xres) * bytes};
    if (!writeMode(stateDir, mode)) return fail(EIO);
    var->xres_virtual = var->xres;
    var->yres_virtual = var->yres;
    var->xoffset = var->yoffset = 0;
    var->bits_per_pixel = unsigned(bpp);
    setBitfields(*var, bpp);
    return 0;
}

int getFix(fb_fix_screeninfo *fix) {
    if (!fix) return fail(EFAULT);
    if (readGrant().noFix) return fail(EINVAL);
    Mode mode = currentMode();
    memset(fix, 0, sizeof *fix);
    strncpy(fix->id, "standin fb", sizeof fix->id);
    fix->smem_len = screenMemory;
    fix->type = FB_TYPE_PACKED_PIXELS;
    fix->visual = mode.bpp == 8 ? FB_VISUAL_PSEUDOCOLOR : FB_VISUAL_TRUECOLOR;
    fix->line_length = unsigned(mode.lineLength);
    return 0;
}

int putCmap(const fb_cmap *cmap) {
    if (!cmap || !cmap->red || !cmap->green || !cmap->blue) return fail(EFAULT);
    if (cmap->start >= 256 || cmap->len > 256 - cmap->start) return fail(EINVAL);
    Cmap map;
    readCmap(stateDir, map);
    for (unsigned i = 0; i < cmap->len; ++i) {
        map.red[cmap->start + i] = cmap->red[i];
        map.green[cmap->start + i] = cmap->green[i];
        map.blue[cmap->start + i] = cmap->blue[i];
    }
    return writeCmap(stateDir, map) ? 0 : fail(EIO);
}

int storeInt(const char *name, long value) {
    char text[32];
    int n = snprintf(text, sizeof text, "%ld\n", value);
    return writeText(stateDir, name, text, size_t(n)) ? 0 : fail(EIO);
}

int setFormat(const int *format) {
    char text[8];
    if (readText(stateDir, "saa.refuse", text, sizeof text)) return fail(EINVAL);
    if (!format) return fail(EFAULT);
    return storeInt("saa.format", *format);
}

int lcdRequest(unsigned long request) {
    char text[32];
    if (readText(stateDir, "lcd.refuse", text, sizeof text) && strtoul(text, nullptr, 0) == request)
        return fail(EINVAL);
    return 0;
}

int answer(Device device, int fd, unsigned long request, void *arg) {
    switch (device) {
    case fbDevice:
        if (request == FBIOGET_VSCREENINFO) return getVar(static_cast<fb_var_screeninfo *>(arg));
        if (request == FBIOPUT_VSCREENINFO) return putVar(static_cast<fb_var_screeninfo *>(arg));
        if (request == FBIOGET_FSCREENINFO) return getFix(static_cast<fb_fix_screeninfo *>(arg));
        return putCmap(static_cast<const fb_cmap *>(arg));
    case vcDevice:
        // The mode is passed by value; only its int part was passed.
        return storeInt("vc.mode", long(int(reinterpret_cast<intptr_t>(arg))));
    case saaDevice:
        return setFormat(static_cast<const int *>(arg));
    case lcdDevice:
        return lcdRequest(request);
    default:
        return passOn(fd, request, arg);
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) int ioctl(int fd, unsigned long request,
                                                            ...) noexcept {
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);

    for (const auto &a : answered)
        if (a.request == request && deviceOf(fd) == a.device)
            return answer(a.device, fd, request, arg);
    return passOn(fd, request, arg);
}
