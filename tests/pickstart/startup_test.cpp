// Start-up, the start entry and the boot scripts, seen from outside: the
// real program runs and leaves its files behind.
#include "bootrun.h"

using sandbox::exists;
using sandbox::readFile;
using sandbox::writeFile;

namespace {

const char *conf = "/var/tuxbox/config/enigma/pickstart.conf";

std::string config(const std::string &selentry, const std::string &mountpoint = "/var/mnt/usb") {
    return "#VazuRoduvad-Config\nmountpoint=" + mountpoint + "\nselentry=" + selentry +
           "\nrandomskin=0\ntimeout=0\nvideoformat=1\n"
           "skin-path=/var/tuxbox/config/enigma/boot\nskin-name=blank.skin\n";
}

const std::string flashScript = "#!/bin/sh\necho booting flash image...\n";

std::string imageScript(const std::string &chrootArg) {
    return "#!/bin/sh\nkillall -9 smbd\nkillall -9 nmbd\nkillall -9 inetd\nkillall -9 rcS\n"
           "killall -9 init\nchroot " +
           chrootArg + " ../go\n";
}

const std::string goScript = "#!/bin/sh\n\nmount -t devfs dev /dev\n/etc/init.d/rcS&\n";

class StartupTest : public SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        prepareBox();
    }
    // Three images: "alpha" under image/, "backup" and "gamma" under fwpro/.
    void installImages() {
        sandbox::makeDirs("/var/mnt/usb/image/alpha");
        sandbox::makeDirs("/var/mnt/usb/fwpro/backup");
    }
};

} // namespace

TEST_F(StartupTest, ReadableKernelMarkerKeepsTheProgramOut) {
    installImages();
    writeFile("/root/platform/kernel", "k");
    BootRun run = runPickstart();
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(exists(conf)) << "the configuration must be neither read nor created";
    EXPECT_FALSE(exists("/tmp/bm.sh"));
}

TEST_F(StartupTest, WithoutInstalledImagesNothingButTheConfigurationIsWritten) {
    BootRun run = runPickstart();
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(exists("/tmp/bm.sh"));
    EXPECT_EQ(readFile(conf), "#VazuRoduvad-Config\nmountpoint=/var/mnt/usb\nselentry=\n"
                              "randomskin=0\ntimeout=10\nvideoformat=1\n"
                              "skin-path=/var/tuxbox/config/enigma/boot\nskin-name=blank.skin\n");
}

TEST_F(StartupTest, TheRememberedEntryIsBootedWithByteExactScripts) {
    struct Case {
        const char *name;
        std::string selentry;
        std::string script;
        std::string saved;
    } cases[] = {
        {"installed image", "/var/mnt/usb/fwpro/backup", imageScript("/var/mnt/usb/fwpro/backup"),
         "/var/mnt/usb/fwpro/backup"},
        {"flash remembered", "", flashScript, ""},
        {"unknown entry falls back to flash", "/var/mnt/usb/fwpro/gone", flashScript, ""},
        {"trailing slash does not match", "/var/mnt/usb/fwpro/backup/", flashScript, ""},
    };
    for (const Case &c : cases) {
        sandbox::wipe();
        prepareBox();
        installImages();
        writeFile(conf, config(c.selentry));
        BootRun run = runPickstart();
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.output;
        EXPECT_EQ(readFile("/tmp/bm.sh"), c.script) << c.name;
        EXPECT_EQ(sandbox::fileMode("/tmp/bm.sh"), 0755) << c.name;
        EXPECT_EQ(readFile(conf), config(c.saved)) << c.name;
        if (!c.saved.empty()) {
            EXPECT_EQ(readFile(c.saved + "/go"), goScript) << c.name;
            EXPECT_EQ(sandbox::fileMode(c.saved + "/go"), 0755) << c.name;
        }
    }
}

TEST_F(StartupTest, ChoiceIsSavedEvenWhenTheBootScriptCannotBeWritten) {
    installImages();
    sandbox::makeDirs("/tmp/bm.sh");
    writeFile(conf, config("/var/mnt/usb/image/alpha"));
    BootRun run = runPickstart();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(readFile(conf), config("/var/mnt/usb/image/alpha"));
    EXPECT_EQ(readFile("/var/mnt/usb/image/alpha/go"), goScript);
}

TEST_F(StartupTest, ImageDirectoryNamesReachTheShellAsOneWord) {
    const std::string odd = "/var/mnt/usb/fwpro/my image;reboot";
    sandbox::makeDirs(odd);
    writeFile(conf, config(odd));
    BootRun run = runPickstart();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(readFile("/tmp/bm.sh"), imageScript("'" + odd + "'"));
    EXPECT_EQ(sandbox::fileMode(odd + "/go"), 0755);
}
