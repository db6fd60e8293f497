#include "state.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace standin {

namespace {

bool joinPath(char *out, size_t size, const char *dir, const char *name) {
    int n = snprintf(out, size, "%s/%s", dir, name);
    return n > 0 && size_t(n) < size;
}

bool writeAll(int fd, const char *text, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, text, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text += n;
        length -= size_t(n);
    }
    return true;
}

// Room for a full colour map: 256 lines of three 5-digit numbers.
constexpr size_t cmapText = 256 * 20;

} // namespace

int bytesPerPixel(int bpp) {
    static const struct { int bpp, bytes; } depths[] = {{8, 1}, {15, 2}, {16, 2}, {24, 4}, {32, 4}};
    for (const auto &d : depths)
        if (d.bpp == bpp) return d.bytes;
    return 0;
}

bool readText(const char *dir, const char *name, char *buf, size_t size) {
    char path[512];
    if (size == 0 || !joinPath(path, sizeof path, dir, name)) return false;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    size_t used = 0;
    while (used + 1 < size) {
        ssize_t n = read(fd, buf + used, size - 1 - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += size_t(n);
    }
    buf[used] = 0;
    close(fd);
    return true;
}

bool writeText(const char *dir, const char *name, const char *text, size_t length) {
    char path[512], temp[512];
    if (!joinPath(path, sizeof path, dir, name)) return false;
    // Unique per thread: two threads of one process may set state at once.
    int n = snprintf(temp, sizeof temp, "%s/.%s.%ld.%ld", dir, name, long(getpid()),
                     long(syscall(SYS_gettid)));
    if (n <= 0 || size_t(n) >= sizeof temp) return false;
    mkdir(dir, 0755);
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text, length);
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp, path) == 0) return true;
    unlink(temp);
    return false;
}

bool readMode(const char *dir, Mode &mode) {
    char text[128];
    Mode m;
    if (!readText(dir, "fb.mode", text, sizeof text) ||
        sscanf(text, "%d %d %d %d", &m.xres, &m.yres, &m.bpp, &m.lineLength) != 4)
        return false;
    if (m.xres <= 0 || m.yres <= 0 || bytesPerPixel(m.bpp) == 0 ||
        m.lineLength < m.xres * bytesPerPixel(m.bpp))
        return false;
    mode = m;
    return true;
}

bool writeMode(const char *dir, const Mode &mode) {
    char text[64];
    int n = snprintf(text, sizeof text, "%d %d %d %d\n", mode.xres, mode.yres, mode.bpp,
                     mode.lineLength);
    return writeText(dir, "fb.mode", text, size_t(n));
}

void readCmap(const char *dir, Cmap &cmap) {
    memset(&cmap, 0, sizeof cmap);
    char *buf = static_cast<char *>(malloc(cmapText));
    if (!buf) return;
    if (readText(dir, "fb.cmap", buf, cmapText)) {
        char *line = buf;
        for (int i = 0; i < 256 && *line; ++i) {
            unsigned r, g, b;
            if (sscanf(line, "%u %u %u", &r, &g, &b) == 3) {
                cmap.red[i] = (unsigned short)r;
                cmap.green[i] = (unsigned short)g;
                cmap.blue[i] = (unsigned short)b;
            }
            char *next = strchr(line, '\n');
            if (!next) break;
            line = next + 1;
        }
    }
    free(buf);
}

bool writeCmap(const char *dir, const Cmap &cmap) {
    char *buf = static_cast<char *>(malloc(cmapText));
    if (!buf) return false;
    size_t used = 0;
    for (int i = 0; i < 256; ++i)
        used += size_t(snprintf(buf + used, cmapText - used, "%u %u %u\n", cmap.red[i],
                                cmap.green[i], cmap.blue[i]));
    bool ok = writeText(dir, "fb.cmap", buf, used);
    free(buf);
    return ok;
}

} // namespace standin
