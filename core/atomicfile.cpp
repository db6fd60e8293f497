#include "atomicfile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

eString directoryOf(const eString &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

// The temporary file is the file's name, this tag and six random characters.
const char tempTag[] = ".new-";
const size_t tempRandomLength = 6;

int replaceFile(const eString &path, const eString &bytes, unsigned mode) {
    eString temp = path + tempTag + "XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) return -1;
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    int dir = open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return 0;
}

bool fileHolds(const eString &path, const eString &bytes) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    bool same = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) == bytes.size();
    size_t at = 0;
    char buf[4096];
    while (same && at < bytes.size()) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || bytes.compare(at, size_t(n), buf, size_t(n)) != 0)
            same = false;
        else
            at += size_t(n);
    }
    close(fd);
    return same;
}

void removeStaleReplacements(const eString &path) {
    size_t slash = path.rfind('/');
    eString name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    eString prefix = name + tempTag;
    DIR *dir = opendir(directoryOf(path).c_str());
    if (!dir) return;
    while (dirent *entry = readdir(dir)) {
        const char *entryName = entry->d_name;
        if (strncmp(entryName, prefix.c_str(), prefix.size()) == 0 &&
            strlen(entryName) == prefix.size() + tempRandomLength)
            unlinkat(dirfd(dir), entryName, 0);
    }
    closedir(dir);
}
