#include "menulayout.h"

#include "textlines.h"

#include <cctype>
#include <cstring>

MenuPage menuPage(int selected, int lastentry) {
    MenuPage page;
    page.first = (selected / 4) * 4;
    page.last = page.first + 3;
    if (page.last > lastentry) page.last = lastentry;
    return page;
}

int menuLineHeight(int menuHeight) {
    return menuHeight / 4 - 2;
}

int wrapIndex(int value, int last) {
    if (value < 0) return last;
    if (value > last) return 0;
    return value;
}

eString pictureFor(const eString &skinfile) {
    size_t at = skinfile.find(".skin");
    if (at == std::string::npos) return eString();
    eString picture(skinfile);
    picture.replace(at, 5, ".png");
    return picture;
}

void splitSkinPath(const eString &skinfile, eString &path, eString &name) {
    size_t slash = skinfile.rfind('/');
    if (slash == std::string::npos) {
        path.clear();
        name = skinfile;
        return;
    }
    path = skinfile.substr(0, slash);
    name = skinfile.substr(slash + 1);
}

int scanSkinLine(const char *line, const char *key, int *values, int count) {
    const long limit = 1000000;
    size_t keyLength = strlen(key);
    if (strncmp(line, key, keyLength) != 0 || line[keyLength] != '=') return 0;
    const char *p = line + keyLength + 1;
    int stored = 0;
    while (stored < count) {
        if (stored > 0) {
            if (*p != ',') break;
            ++p;
        }
        while (isspace((unsigned char)*p))
            ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        if (!isdigit((unsigned char)*p)) break;
        long value = 0;
        for (; isdigit((unsigned char)*p); ++p)
            if (value <= limit) value = value * 10 + (*p - '0');
        if (value > limit) value = limit;
        values[stored++] = int(negative ? -value : value);
    }
    return stored;
}

void readSkinFile(const char *path, int firstline[6], int menusize[4], int stringcolor[3],
                  int selectcolor[3]) {
    const struct {
        const char *key;
        int *values;
        int count;
    } keys[] = {
        {"first-line", firstline, 6},
        {"menu-size", menusize, 4},
        {"string-color", stringcolor, 3},
        {"select-color", selectcolor, 3},
    };
    forEachLine(path, [&keys](const char *line, size_t) {
        for (const auto &k : keys) {
            if (strncmp(line, k.key, strlen(k.key)) != 0) continue;
            // Numbers land in place up to the first one that does not scan.
            int scanned[6];
            int n = scanSkinLine(line, k.key, scanned, k.count);
            for (int i = 0; i < n; ++i)
                k.values[i] = scanned[i];
            break;
        }
        return true;
    });
}
