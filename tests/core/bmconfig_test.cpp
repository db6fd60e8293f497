// The configuration file: which copy is used, how lines are read, and that
// the file is written byte for byte and never left torn.
#include "bmconfig.h"
#include "sandbox.h"

#include <sys/stat.h>
#include <unistd.h>

using sandbox::exists;
using sandbox::readFile;
using sandbox::writeFile;

namespace {

const char *varFile = "/var/tuxbox/config/enigma/pickstart.conf";
const char *flashFile = "/tmp/jffs2/tuxbox/config/enigma/pickstart.conf";

const std::string defaults = "#VazuRoduvad-Config\n"
                             "mountpoint=/var/mnt/usb\n"
                             "selentry=\n"
                             "randomskin=0\n"
                             "timeout=10\n"
                             "videoformat=1\n"
                             "skin-path=/var/tuxbox/config/enigma/boot\n"
                             "skin-name=blank.skin\n";

std::vector<std::string> fields(const bmconfig &c) {
    return {c.mountpoint,  c.selentry, c.randomskin, c.timeout,
            c.videoformat, c.skinpath, c.skinname};
}

class ConfigTest : public SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        sandbox::makeDirs("/var/tuxbox/config/enigma");
    }
};

} // namespace

TEST_F(ConfigTest, MissingFileIsCreatedWithTheDefaultsInTheChosenCopy) {
    bmconfig cfg;
    cfg.load();
    EXPECT_EQ(readFile(varFile), defaults);
    EXPECT_EQ(cfg.timeout, "10");

    // With the flash partition reachable, only its copy is used.
    sandbox::wipe();
    sandbox::makeDirs("/tmp/jffs2/tuxbox/config/enigma");
    sandbox::makeDirs("/var/tuxbox/config/enigma");
    bmconfig flash;
    flash.load();
    EXPECT_EQ(readFile(flashFile), defaults);
    EXPECT_FALSE(exists(varFile));
}

TEST_F(ConfigTest, LinesAreReadAsTheBoxAlwaysReadThem) {
    struct Case {
        const char *name;
        std::string file;
        std::vector<std::string> expected; // mountpoint .. skinname
    };
    const std::vector<std::string> d = {
        "/var/mnt/usb", "", "0", "10", "1", "/var/tuxbox/config/enigma/boot", "blank.skin"};
    auto with = [&](int i, std::string v) {
        auto e = d;
        e[i] = v;
        return e;
    };
    const Case cases[] = {
        {"single key", "timeout=5\n", with(3, "5")},
        {"blank around =: one char dropped", "timeout = 5\n", with(3, "= 5")},
        {"wrong case skipped", "Timeout=5\n", d},
        {"leading blank skipped", " timeout=5\n", d},
        {"last of repeated wins", "skin-name=a.skin\nskin-name=b.skin\n", with(6, "b.skin")},
        {"carriage return kept", "selentry=/x\r\n", with(1, "/x\r")},
        {"no final line feed", "timeout=7", with(3, "7")},
        {"empty value", "selentry=\n", d},
        {"bare key is its own value", "timeout\n", with(3, "timeout")},
        {"unknown keys and comments", "#x\n\nfoo=1\nmountpoints=/y\n", with(0, "=/y")},
        {"binary garbage", std::string("\0\xff\x01timeout=3\n\x80\x81", 15), d},
        {"nul inside value", std::string("selentry=a\0b\n", 13), with(1, std::string("a\0b", 3))},
    };
    for (const Case &c : cases) {
        writeFile(varFile, c.file);
        bmconfig cfg;
        cfg.load();
        EXPECT_EQ(fields(cfg), c.expected) << c.name;
        EXPECT_EQ(readFile(varFile), c.file) << c.name << ": load must not rewrite";
    }
}

TEST_F(ConfigTest, HugeFileIsReadWithoutHarm) {
    std::string big(4 << 20, 'x');
    big += "\ntimeout=4\n";
    big += std::string(2 << 20, '\n');
    writeFile(varFile, big);
    bmconfig cfg;
    cfg.load();
    EXPECT_EQ(cfg.timeout, "4");
}

TEST_F(ConfigTest, SaveWritesTheEightLinesAndLoadGivesThemBack) {
    bmconfig cfg;
    cfg.load();
    cfg.selentry = "/var/mnt/usb/fwpro/backup";
    cfg.skinname = "100%.skin";
    cfg.save();
    EXPECT_EQ(readFile(varFile), "#VazuRoduvad-Config\n"
                                 "mountpoint=/var/mnt/usb\n"
                                 "selentry=/var/mnt/usb/fwpro/backup\n"
                                 "randomskin=0\n"
                                 "timeout=10\n"
                                 "videoformat=1\n"
                                 "skin-path=/var/tuxbox/config/enigma/boot\n"
                                 "skin-name=100%.skin\n");
    bmconfig again;
    again.load();
    EXPECT_EQ(fields(again), fields(cfg));
}

TEST_F(ConfigTest, SaveLeavesAnUnchangedFileAloneAndNoTemporaryBehind) {
    writeFile(varFile, defaults, 0600);
    struct stat before;
    ASSERT_EQ(stat(varFile, &before), 0);
    bmconfig cfg;
    cfg.load();
    cfg.save();
    struct stat after;
    ASSERT_EQ(stat(varFile, &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged file must not be rewritten";

    // What a power cut during an earlier rewrite left behind goes away.
    writeFile(std::string(varFile) + ".new-Ab3xYz", "#VazuRod");
    writeFile(std::string(varFile) + ".new-keepme-longer", "not ours");
    cfg.timeout = "3";
    cfg.save();
    EXPECT_EQ(sandbox::fileMode(varFile), 0600) << "a rewrite keeps the file's mode";
    EXPECT_NE(readFile(varFile).find("\ntimeout=3\n"), std::string::npos);
    EXPECT_FALSE(exists(std::string(varFile) + ".new-Ab3xYz"))
        << "a stale temporary file must be cleared";
    EXPECT_TRUE(exists(std::string(varFile) + ".new-keepme-longer")) << "not ours to remove";
    EXPECT_EQ(system("test $(ls -A /var/tuxbox/config/enigma | wc -l) -eq 2"), 0)
        << "no temporary file may be left behind";
}

TEST_F(ConfigTest, SaveWithoutDirectoryWritesNothingAndSaysNothing) {
    sandbox::wipe();
    bmconfig cfg;
    cfg.load();
    EXPECT_EQ(cfg.mountpoint, "/var/mnt/usb");
    EXPECT_FALSE(exists("/var/tuxbox"));
    EXPECT_FALSE(exists(varFile));
}
