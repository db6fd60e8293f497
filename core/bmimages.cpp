#include "bmimages.h"

#include "textlines.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The first line of the image's "imagename" file, or "" when there is none.
eString storedName(const eString &location) {
    eString name;
    forEachLine((location + "/imagename").c_str(), [&name](const char *line, size_t length) {
        name.assign(line, length);
        return false;
    });
    return name;
}

void scan(const eString &dir, std::vector<eImage> &images) {
    DIR *d = opendir(dir.c_str());
    if (!d) return;
    while (dirent *e = readdir(d)) {
        eString entry = e->d_name;
        if (entry == "." || entry == "..") continue;
        eImage image;
        image.location = dir + entry;
        struct stat st;
        if (stat(image.location.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        image.name = storedName(image.location);
        if (image.name.empty()) image.name = entry;
        images.push_back(image);
    }
    closedir(d);
}

} // namespace

int bmimages::load(eString mountpoint, bool clear) {
    if (clear) images.clear();
    images.push_back(eImage{"Flash-Image", ""});
    scan(mountpoint + "/image/", images);
    scan(mountpoint + "/fwpro/", images);
    return int(images.size());
}
