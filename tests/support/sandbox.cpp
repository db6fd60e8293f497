#include "sandbox.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sandbox {

namespace {

bool g_active = false;
std::string g_reason = "not entered";

bool fail(const char *what) {
    g_reason = std::string(what) + ": " + strerror(errno);
    return false;
}

void mkdirs(const std::string &path) {
    for (size_t i = 1; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

// Shows a host directory or file inside the new root at the same place.
bool bindHost(const std::string &root, const std::string &path, bool readOnly) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return true;
    std::string target = root + path;
    if (S_ISLNK(st.st_mode)) {
        char link[4096];
        ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
        if (n < 0) return fail("readlink");
        link[n] = 0;
        mkdirs(target.substr(0, target.rfind('/')));
        return symlink(link, target.c_str()) == 0 || errno == EEXIST || fail("symlink");
    }
    if (S_ISDIR(st.st_mode)) {
        mkdirs(target);
    } else {
        mkdirs(target.substr(0, target.rfind('/')));
        int fd = open(target.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) close(fd);
    }
    if (mount(path.c_str(), target.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
        return fail(("bind " + path).c_str());
    if (readOnly && mount(nullptr, target.c_str(), nullptr,
                          MS_BIND | MS_REMOUNT | MS_RDONLY | MS_REC, nullptr) != 0)
        return fail(("read-only " + path).c_str());
    return true;
}

bool enterRoot() {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return fail("getcwd");
    if (unshare(CLONE_NEWNS | CLONE_NEWPID) != 0) return fail("unshare");

    // The first child is pid 1 of the new namespace; the parent only passes
    // its exit status on.
    pid_t child = fork();
    if (child < 0) return fail("fork");
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }

    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return fail("private /");
    std::string root = binaryDir() + "/.sandbox-root";
    mkdirs(root);
    if (mount("sandbox", root.c_str(), "tmpfs", 0, "mode=0755") != 0) return fail("tmpfs root");
    for (const char *dir :
         {"/usr", "/etc", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/opt"})
        if (!bindHost(root, dir, true)) return false;
    for (const char *dir : {"/tmp", "/var", "/dev", "/share", "/root", "/proc"})
        mkdirs(root + dir);
    chmod((root + "/tmp").c_str(), 01777);
    for (const char *dev : {"/dev/null", "/dev/zero", "/dev/urandom", "/dev/random"})
        if (!bindHost(root, dev, false)) return false;
    if (!bindHost(root, sourceDir(), false) || !bindHost(root, binaryDir(), false)) return false;
    if (chroot(root.c_str()) != 0) return fail("chroot");
    if (mount("proc", "/proc", "proc", 0, nullptr) != 0) return fail("proc");
    if (chdir(cwd) != 0 && chdir("/") != 0) return fail("chdir");
    setenv("HOME", "/root", 1);
    setenv("TMPDIR", "/tmp", 1);
    return true;
}

// The repository and the build tree are the host's own, bound into the
// private root: wiping must never reach into them, even when they lie under
// "/tmp".
bool isRepository(const std::string &path) {
    return path == sourceDir() || path == binaryDir();
}
bool holdsRepository(const std::string &path) {
    const std::string inside = path + "/";
    return sourceDir().compare(0, inside.size(), inside) == 0 ||
           binaryDir().compare(0, inside.size(), inside) == 0;
}

void emptyDir(const std::string &dir, bool removeSelf) {
    DIR *d = opendir(dir.c_str());
    if (d) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::string path = dir + "/" + name;
            struct stat st;
            if (isRepository(path)) continue;
            if (holdsRepository(path)) {
                emptyDir(path, false);
            } else if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                // A test's own mount (the flash at "/tmp/jffs2", say) goes
                // before its folder is emptied.
                umount2(path.c_str(), MNT_DETACH);
                emptyDir(path, true);
            } else {
                unlink(path.c_str());
            }
        }
        closedir(d);
    }
    if (removeSelf) rmdir(dir.c_str());
}

} // namespace

bool enter() {
    g_active = enterRoot();
    if (!g_active)
        fprintf(stderr, "[sandbox] no private root: %s; box tests skip\n", g_reason.c_str());
    return g_active;
}

bool active() {
    return g_active;
}

void wipe() {
    if (!g_active) return;
    umount2("/tmp/jffs2", MNT_DETACH);
    for (const char *dir : {"/tmp", "/var", "/share", "/root"})
        emptyDir(dir, false);
    DIR *d = opendir("/dev");
    if (d) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || name == "null" || name == "zero" ||
                name == "urandom" || name == "random")
                continue;
            std::string path = "/dev/" + name;
            struct stat st;
            if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                emptyDir(path, true);
            else
                unlink(path.c_str());
        }
        closedir(d);
    }
}

bool writeFile(const std::string &path, const std::string &bytes, int mode) {
    makeDirs(path.substr(0, path.rfind('/')));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    chmod(path.c_str(), mode);
    return bool(out);
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

int fileMode(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void makeDirs(const std::string &path) {
    mkdirs(path);
}

std::string sourceDir() {
    return SANDBOX_SOURCE_DIR;
}

std::string binaryDir() {
    return SANDBOX_BINARY_DIR;
}

} // namespace sandbox

void SandboxTest::SetUp() {
    if (!sandbox::active()) GTEST_SKIP() << "needs a private mount namespace (run as root)";
    sandbox::wipe();
}
