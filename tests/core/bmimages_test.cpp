// The image catalogue as the boot menu and the plug-in see it.
#include "bmimages.h"
#include "sandbox.h"

#include <unistd.h>

namespace {

std::vector<std::string> names(const bmimages &list) {
    std::vector<std::string> out;
    for (const eImage &i : list.images)
        out.push_back(i.name + "|" + i.location);
    return out;
}

class CatalogueTest : public SandboxTest {};

} // namespace

TEST_F(CatalogueTest, NoMediumGivesTheFlashEntryAlone) {
    bmimages list;
    EXPECT_EQ(list.load("/var/mnt/usb", true), 1);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Flash-Image|"}));
}

TEST_F(CatalogueTest, ListsImageThenFwproAndSkipsWhatIsNoImage) {
    sandbox::makeDirs("/var/mnt/usb/image/a");
    sandbox::makeDirs("/var/mnt/usb/fwpro/a");
    sandbox::makeDirs("/var/mnt/usb/fwpro/.cache");
    sandbox::makeDirs("/elsewhere/real");
    sandbox::writeFile("/var/mnt/usb/fwpro/x.IMG", "img");
    ASSERT_EQ(symlink("/elsewhere/real", "/var/mnt/usb/fwpro/linked"), 0);
    ASSERT_EQ(symlink("/nowhere", "/var/mnt/usb/fwpro/dangling"), 0);

    bmimages list;
    int n = list.load("/var/mnt/usb", true);
    std::vector<std::string> got = names(list);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(got[0], "Flash-Image|");
    EXPECT_EQ(got[1], "a|/var/mnt/usb/image/a");
    // Within one directory the order is the file system's.
    std::vector<std::string> fwpro(got.begin() + 2, got.end());
    std::sort(fwpro.begin(), fwpro.end());
    EXPECT_EQ(fwpro, (std::vector<std::string>{".cache|/var/mnt/usb/fwpro/.cache",
                                               "a|/var/mnt/usb/fwpro/a",
                                               "linked|/var/mnt/usb/fwpro/linked"}));
}

TEST_F(CatalogueTest, ImagenameGivesTheDisplayName) {
    struct Case {
        const char *dir;
        std::string file; // "" = no file
        std::string name;
    } cases[] = {
        {"plain", "My Image\nsecond\n", "My Image"},
        {"cr", "My Image\r\n", "My Image\r"},
        {"firstempty", "\nOther\n", "firstempty"},
        {"noend", "  padded", "  padded"},
        {"none", "", "none"},
    };
    for (const Case &c : cases) {
        sandbox::wipe();
        std::string dir = std::string("/var/mnt/usb/fwpro/") + c.dir;
        sandbox::makeDirs(dir);
        if (!c.file.empty()) sandbox::writeFile(dir + "/imagename", c.file);
        bmimages list;
        ASSERT_EQ(list.load("/var/mnt/usb", true), 2) << c.dir;
        EXPECT_EQ(list.images[1].name, c.name) << c.dir;
    }
    // An "imagename" that cannot be read leaves the directory's name.
    sandbox::wipe();
    sandbox::makeDirs("/var/mnt/usb/fwpro/locked/imagename");
    bmimages list;
    list.load("/var/mnt/usb", true);
    EXPECT_EQ(list.images[1].name, "locked");
}

TEST_F(CatalogueTest, ClearAppendAndTrailingSlash) {
    sandbox::makeDirs("/var/mnt/usb/fwpro/backup");
    bmimages list;
    list.load("/var/mnt/usb", true);
    EXPECT_EQ(list.load("/var/mnt/usb", true), 2) << "a clearing load starts afresh";
    EXPECT_EQ(list.load("/var/mnt/usb", false), 4) << "appending adds a second flash entry";
    EXPECT_EQ(list.images[2].name, "Flash-Image");
    EXPECT_EQ(list.load("/var/mnt/usb/", true), 2);
    EXPECT_EQ(list.images[1].location, "/var/mnt/usb//fwpro/backup");
}
