#include "bmboot.h"

#include "atomicfile.h"
#include "boxpaths.h"
#include "flashmount.h"
#include "initscript.h"
#include "shell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const initPath = boxpath::flashInit;

void addSkins(const eString &readDir, const eString &listedDir, std::vector<eString> &skins) {
    DIR *dir = opendir(readDir.c_str());
    if (!dir) return;
    while (dirent *entry = readdir(dir)) {
        eString name(entry->d_name);
        if (name == "." || name == "..") continue;
        // The entry's type is not looked at; the menu finds out when it reads it.
        if (name.right(5) == ".skin") skins.push_back(listedDir + "/" + name);
    }
    closedir(dir);
}

// 0 with the script's bytes, 0 with no text when there is no script, -1 when
// it is there but cannot be read whole: then it must stay as it is.
int readInitScript(eString &text) {
    text.clear();
    int fd = open(initPath, O_RDONLY);
    if (fd < 0) return errno == ENOENT ? 0 : -1;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return -1;
        }
        text.append(buf, size_t(n));
    }
    close(fd);
    return 0;
}

mode_t currentUmask() {
    // Read rather than set: umask() cannot be queried without changing it
    // for every thread of the host process.
    mode_t mask = 022;
    FILE *status = fopen("/proc/self/status", "r");
    if (!status) return mask;
    char line[256];
    while (fgets(line, sizeof line, status))
        if (strncmp(line, "Umask:", 6) == 0) {
            mask = mode_t(strtoul(line + 6, nullptr, 8)) & 0777;
            break;
        }
    fclose(status);
    return mask;
}

} // namespace

int writeInitScript(const eString &text) {
    struct stat st;
    mode_t mask = currentUmask();
    mode_t mode;
    if (lstat(initPath, &st) == 0) {
        // A link or a directory here is not ours to replace by a plain file.
        if (!S_ISREG(st.st_mode)) return -1;
        mode = st.st_mode & 07777;
    } else {
        mode = 0666 & ~mask;
    }
    // The mode "chmod +x" gives, set before the rename so that no moment
    // exists where the new script is there but init cannot run it.
    mode |= 0111 & ~mask;

    if (replaceFile(initPath, text, mode) != 0) return -1;
    runShell("chmod +x /tmp/jffs2/etc/init");
    return 0;
}

int bmboot::getSkins(eString skinDir, eString mountpoint) {
    skins.clear();
    {
        FlashMount flash;
        // The flash system's "/var" is the partition now at "/tmp/jffs2";
        // the list keeps the path as the flash system will see it.
        eString readDir = skinDir;
        if (skinDir.compare(0, 4, "/var") == 0) readDir = boxpath::flashMount + skinDir.substr(4);
        addSkins(readDir, skinDir, skins);
    }
    eString medium = mountpoint + "/boot/skins";
    addSkins(medium, medium, skins);
    return int(skins.size());
}

void bmboot::activateMenu(eString mode) {
    FlashMount flash;
    // A power cut during an earlier rewrite may have left its temporary file.
    removeStaleReplacements(initPath);
    eString text, script;
    if (readInitScript(text) == 0 && rewriteInitScript(text, mode, script)) writeInitScript(script);
}
