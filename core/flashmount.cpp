#include "flashmount.h"

#include "boxpaths.h"
#include "shell.h"
#include "textlines.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The mount table escapes blanks and backslashes in paths as octal.
std::string unescapeMountPath(const std::string &field) {
    std::string out;
    for (const char *p = field.c_str(); *p; ++p) {
        if (p[0] == '\\' && p[1] >= '0' && p[1] <= '7' && p[2] >= '0' && p[2] <= '7' &&
            p[3] >= '0' && p[3] <= '7') {
            out += char((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0'));
            p += 3;
        } else {
            out += *p;
        }
    }
    return out;
}

bool listedInMountTable(const char *path) {
    bool listed = false;
    // Each line: device, mount point, type, options, separated by blanks.
    forEachLine("/proc/mounts", [&](const char *line, size_t) {
        const char *target = strchr(line, ' ');
        if (target) {
            ++target;
            listed = unescapeMountPath(std::string(target, strcspn(target, " "))) == path;
        }
        return !listed;
    });
    return listed;
}

bool markedMountRoot(const char *path) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx stx;
    if (statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &stx) == 0)
        return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
               (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#endif
    (void)path;
    return false;
}

bool otherDeviceThanTmp(const char *path) {
    struct stat mounted, tmp;
    return lstat(path, &mounted) == 0 && stat("/tmp", &tmp) == 0 && mounted.st_dev != tmp.st_dev;
}

} // namespace

void mountFlash() {
    runShell("umount /tmp/jffs2");
    runShell("mkdir /tmp/jffs2");
    runShell("mount -t jffs2 /dev/mtdblock/1 /tmp/jffs2");
}

void unmountFlash() {
    runShell("umount /tmp/jffs2");
    // "rm -rf" on a mount point that is still in use would empty the flash.
    // The umount's status is no proof either way, so look at what is there.
    if (!flashMounted()) runShell("rm -rf /tmp/jffs2");
}

bool flashMounted() {
    // Each test alone can miss a mount (no /proc in a bare chroot, no statx on
    // an old kernel, a bind mount from the same file system), so any of them
    // saying "mounted" keeps the directory.
    return listedInMountTable(boxpath::flashMount) || markedMountRoot(boxpath::flashMount) ||
           otherDeviceThanTmp(boxpath::flashMount);
}
