// The skin list and the boot-menu switch, run against the flash stand-in:
// "mount -t jffs2 /dev/mtdblock/1 DIR" binds the sandbox's "/var" at DIR.
#include "bmboot.h"
#include "flashmount.h"
#include "sandbox.h"
#include "shell.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using sandbox::exists;
using sandbox::fileMode;
using sandbox::readFile;
using sandbox::writeFile;

namespace {

const char *varInit = "/var/etc/init";
const std::string kLine = "/bin/pickstart && /tmp/bm.sh";

std::vector<std::string> entries(const std::string &dir) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

void setFlashPresent(bool present) {
    if (present)
        writeFile("/dev/mtdblock/1", "");
    else
        unlink("/dev/mtdblock/1");
}

// Kills a process and everything it started, as a power cut would.
void powerCut(pid_t child) {
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The tests run as the namespace's init, so orphaned shells come to us.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// Runs `work` over and over in a child of its own process group and cuts
// its power `times` times, at moments spread over the time one run takes on
// this machine; `check` looks at what each cut left.
template <class Work, class Check> void cutRepeatedly(int times, Work work, Check check) {
    auto started = std::chrono::steady_clock::now();
    work();
    auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(
                     std::chrono::steady_clock::now() - started)
                     .count();
    // Plus the time a child needs to get going.
    const unsigned spread = unsigned(cycle) + 5000;

    std::mt19937 random(12345);
    for (int i = 0; i < times && !::testing::Test::HasFailure(); ++i) {
        pid_t child = fork();
        if (child == 0) {
            setpgid(0, 0);
            for (;;)
                work();
        }
        setpgid(child, child);
        usleep(random() % spread);
        powerCut(child);
        SCOPED_TRACE("after cut " + std::to_string(i));
        check();
    }
}

class BmbootTest : public SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        if (IsSkipped()) return;
        const char *path = getenv("PATH");
        savedPath = path ? path : "/usr/sbin:/usr/bin:/sbin:/bin";
        // The box's "mount" stand-in must win over the host's.
        setenv("PATH", (sandbox::sourceDir() + "/box/flash:" + savedPath).c_str(), 1);
        umask(022);
        setFlashPresent(true);
    }

    void TearDown() override {
        if (!savedPath.empty()) setenv("PATH", savedPath.c_str(), 1);
        while (umount2("/tmp/jffs2", MNT_DETACH) == 0) {
        }
    }

    // After every operation the mount point is gone again.
    void expectFlashReleased() {
        EXPECT_FALSE(flashMounted());
        EXPECT_FALSE(exists("/tmp/jffs2"));
    }

    std::string savedPath;
};

// The stand-in answers like the box: the jffs2 device shows the running
// system's "/var", a missing device fails as a missing device does, and
// every other mount goes to BusyBox.
TEST_F(BmbootTest, FlashStandInMountsVarOrFailsLikeAMissingDevice) {
    writeFile("/var/etc/init", "x");
    sandbox::makeDirs("/tmp/jffs2");
    ASSERT_EQ(runShell("mount -t jffs2 /dev/mtdblock/1 /tmp/jffs2"), 0);
    EXPECT_TRUE(flashMounted());
    EXPECT_EQ(readFile("/tmp/jffs2/etc/init"), "x");
    unmountFlash();
    expectFlashReleased();

    setFlashPresent(false);
    sandbox::makeDirs("/tmp/jffs2");
    int status = runShell("mount -t jffs2 /dev/mtdblock/1 /tmp/jffs2 2>/dev/null");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 32) << status;
    EXPECT_FALSE(flashMounted());

    sandbox::makeDirs("/tmp/other");
    EXPECT_EQ(runShell("mount -t tmpfs none /tmp/other"), 0);
    EXPECT_EQ(runShell("umount /tmp/other"), 0);
}

struct SkinCase {
    const char *skinDir;
    const char *mountpoint;
    bool flash;
    std::vector<std::string> fromSkinDir;
    std::vector<std::string> fromMedium;
};

TEST_F(BmbootTest, GetSkinsListsSkinDirectoryThenMedium) {
    const std::string boot = "/var/tuxbox/config/enigma/boot";
    for (const char *name : {"a.skin", "a.png", "b.SKIN", ".skin", "skin"})
        writeFile(boot + "/" + name, "x");
    sandbox::makeDirs(boot + "/x.skin");
    writeFile("/var/mnt/usb/boot/skins/m.skin", "x");
    writeFile("/share/skins/s.skin", "x");
    // "/various" starts with "/var" as well, so it is read from "/tmp/jffs2ious".
    writeFile("/tmp/jffs2ious/skins/v.skin", "x");

    const std::string usb = "/var/mnt/usb/boot/skins/m.skin";
    const SkinCase cases[] = {
        {"/var/tuxbox/config/enigma/boot",
         "/var/mnt/usb",
         true,
         {boot + "/a.skin", boot + "/.skin", boot + "/x.skin"},
         {usb}},
        {"/var/tuxbox/config/enigma/boot", "/var/mnt/usb", false, {}, {usb}},
        {"/var/tuxbox/config/enigma/boot/",
         "/var/mnt/usb",
         true,
         {boot + "//a.skin", boot + "//.skin", boot + "//x.skin"},
         {usb}},
        {"/var/mnt/usb/boot/skins", "/var/mnt/usb", true, {usb}, {usb}},
        {"/share/skins", "/var/mnt/usb", false, {"/share/skins/s.skin"}, {usb}},
        {"/various/skins", "/nowhere", true, {"/various/skins/v.skin"}, {}},
        {"/var/none", "/nowhere", true, {}, {}},
    };

    // One object for all: every call starts a fresh list.
    bmboot boot_;
    for (const SkinCase &c : cases) {
        SCOPED_TRACE(std::string(c.skinDir) + " " + c.mountpoint +
                     (c.flash ? "" : " (mount fails)"));
        setFlashPresent(c.flash);
        int count = boot_.getSkins(c.skinDir, c.mountpoint);
        ASSERT_EQ(size_t(count), boot_.skins.size());
        ASSERT_EQ(boot_.skins.size(), c.fromSkinDir.size() + c.fromMedium.size());
        std::vector<std::string> all(boot_.skins.begin(), boot_.skins.end());
        auto split = all.begin() + long(c.fromSkinDir.size());
        EXPECT_EQ(sorted({all.begin(), split}), sorted(c.fromSkinDir));
        EXPECT_EQ(sorted({split, all.end()}), sorted(c.fromMedium));
        expectFlashReleased();
    }
}

struct ActivateCase {
    const char *name;
    const char *mode;
    bool flash;
    bool etcDir;
    bool initExists;
    std::string init;
    int initMode;
    bool expectExists;
    std::string expected;
    int expectedMode;
};

TEST_F(BmbootTest, ActivateMenuRewritesTheFlashScript) {
    const ActivateCase cases[] = {
        {"BM appends the line and disables fwpro", "BM", true, true, true,
         "#!/bin/sh\n/bin/fwpro-start &\n", 0644, true, "#!/bin/sh\n: /bin/fwpro-start &\n" + kLine,
         0755},
        {"bytes pass unchanged", "BM", true, true, true,
         std::string("a\tb\0%s%n\r\n#", 12) + kLine + "\r\n", 0644, true,
         std::string("a\tb\0%s%n\r\n ", 12) + kLine + "\r", 0755},
        {"the old mode stays, plus execute", "FW", true, true, true, kLine, 0600, true,
         ": " + kLine, 0711},
        {"execute as chmod +x gives it", "FW", true, true, true, kLine, 0640, true, ": " + kLine,
         0751},
        {"BM creates a missing script", "BM", true, true, false, "", 0, true, "\n" + kLine, 0755},
        {"FW creates nothing", "FW", true, true, false, "", 0, false, "", 0},
        {"BM without the directory creates nothing", "BM", true, false, false, "", 0, false, "", 0},
        {"a failed mount changes nothing", "BM", false, true, true, "#!/bin/sh\n", 0644, true,
         "#!/bin/sh\n", 0644},
    };

    for (const ActivateCase &c : cases) {
        SCOPED_TRACE(c.name);
        sandbox::wipe();
        setFlashPresent(c.flash);
        if (c.etcDir) sandbox::makeDirs("/var/etc");
        if (c.initExists) writeFile(varInit, c.init, c.initMode);

        bmboot().activateMenu(c.mode);

        ASSERT_EQ(exists(varInit), c.expectExists);
        if (c.expectExists) {
            EXPECT_EQ(readFile(varInit), c.expected);
            EXPECT_EQ(fileMode(varInit), c.expectedMode);
        }
        // No temporary file stays beside the script.
        if (c.etcDir)
            EXPECT_EQ(entries("/var/etc"), std::vector<std::string>(c.expectExists, "init"));
        else
            EXPECT_FALSE(exists("/var/etc"));
        expectFlashReleased();
    }
}

TEST_F(BmbootTest, ActivateMenuLeavesAnUnchangedScriptAlone) {
    const std::string script = "#!/bin/sh\n: fwpro-start\n" + kLine + "\n";
    writeFile(varInit, script, 0644);
    const timespec past[2] = {{1000000, 0}, {1000000, 0}};
    utimensat(AT_FDCWD, varInit, past, 0);
    struct stat before;
    ASSERT_EQ(stat(varInit, &before), 0);

    bmboot().activateMenu("BM");

    struct stat after;
    ASSERT_EQ(stat(varInit, &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(readFile(varInit), script);
    expectFlashReleased();
}

// A flash partition that cannot be unmounted must survive: removing the
// mount point then would delete the running system's "/var".
TEST_F(BmbootTest, BusyFlashIsNeverRemoved) {
    writeFile(varInit, "#!/bin/sh\n", 0755);
    writeFile("/var/keep", "data");
    writeFile("/var/tuxbox/config/enigma/boot/a.skin", "x");
    mountFlash();
    ASSERT_TRUE(flashMounted()) << "the flash stand-in did not mount";
    int busy = open("/tmp/jffs2/keep", O_RDONLY);
    ASSERT_GE(busy, 0);

    bmboot boot;
    boot.activateMenu("BM");
    EXPECT_EQ(boot.getSkins("/var/tuxbox/config/enigma/boot", "/nowhere"), 1);

    EXPECT_TRUE(flashMounted());
    EXPECT_EQ(readFile("/var/keep"), "data");
    EXPECT_EQ(readFile("/tmp/jffs2/keep"), "data");
    EXPECT_EQ(readFile(varInit), "#!/bin/sh\n" + kLine);
    EXPECT_TRUE(exists("/var/tuxbox/config/enigma/boot/a.skin"));

    close(busy);
    unmountFlash();
    expectFlashReleased();
    EXPECT_EQ(readFile("/var/keep"), "data");
}

// Kills a writer at random moments: the script is always one whole version.
TEST_F(BmbootTest, InitScriptWriteSurvivesPowerCuts) {
    std::string a, b;
    while (a.size() < (1 << 20))
        a += "echo a\n";
    while (b.size() < (700 << 10))
        b += "echo bb\n";
    const char *dir = "/tmp/jffs2/etc";
    const char *init = "/tmp/jffs2/etc/init";
    writeFile(init, a, 0755);

    int tornWrites = 0;
    cutRepeatedly(
        200,
        [&] {
            writeInitScript(b);
            writeInitScript(a);
        },
        [&] {
            std::string now = readFile(init);
            EXPECT_TRUE(now == a || now == b) << now.size() << " bytes";
            EXPECT_EQ(fileMode(init), 0755);
            // A cut inside a write leaves replaceFile()'s temporary file, the
            // kind activateMenu() clears; nothing else may appear.
            for (const std::string &name : entries(dir)) {
                if (name == "init") continue;
                EXPECT_EQ(name.substr(0, 9) + std::to_string(name.size()), "init.new-15");
                unlink((std::string(dir) + "/" + name).c_str());
                ++tornWrites;
            }
        });
    // Otherwise no cut fell inside a write and the loop proved little.
    EXPECT_GT(tornWrites, 0);
    RecordProperty("cuts_inside_a_write", tornWrites);
}

TEST_F(BmbootTest, ActivateMenuSurvivesPowerCuts) {
    // Long enough that a fair share of the cuts fall inside the write.
    std::string body = "#!/bin/sh\n";
    while (body.size() < (1 << 20))
        body += "echo a\n";
    const std::string on = body + ": fwpro-start\n  " + kLine;
    const std::string off = body + "  fwpro-start\n: " + kLine;
    writeFile(varInit, on, 0755);

    cutRepeatedly(
        40,
        [] {
            bmboot().activateMenu("FW");
            bmboot().activateMenu("BM");
        },
        [&] {
            std::string now = readFile(varInit);
            EXPECT_TRUE(now == on || now == off) << now.size() << " bytes";
        });

    // A cut can leave the flash mounted; power-up starts without it.
    while (umount2("/tmp/jffs2", MNT_DETACH) == 0) {
    }
    bmboot().activateMenu("BM");
    EXPECT_EQ(readFile(varInit), on);
    EXPECT_EQ(entries("/var/etc"), std::vector<std::string>{"init"});
    expectFlashReleased();
}

} // namespace
