#include "bmconfig.h"

#include "atomicfile.h"
#include "boxpaths.h"
#include "textlines.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Setting {
    const char *key;
    eString bmconfig::*field;
    const char *fallback;
};

// Order of the file's lines.
const Setting settings[] = {
    {"mountpoint", &bmconfig::mountpoint, "/var/mnt/usb"},
    {"selentry", &bmconfig::selentry, ""},
    {"randomskin", &bmconfig::randomskin, "0"},
    {"timeout", &bmconfig::timeout, "10"},
    {"videoformat", &bmconfig::videoformat, "1"},
    {"skin-path", &bmconfig::skinpath, "/var/tuxbox/config/enigma/boot"},
    {"skin-name", &bmconfig::skinname, "blank.skin"},
};

const char header[] = "#VazuRoduvad-Config";

// Applies one line of the file. No key begins with another, so the first
// key the line starts with is the only one.
void applyLine(bmconfig &cfg, const char *line, size_t length) {
    for (const Setting &s : settings) {
        size_t keyLength = strlen(s.key);
        if (length < keyLength || memcmp(line, s.key, keyLength) != 0) continue;
        // The character after the key is taken to be "=" without looking.
        // A line that is the bare key yields itself, as older files expect.
        if (length > keyLength)
            cfg.*s.field = eString(line + keyLength + 1, length - keyLength - 1);
        else
            cfg.*s.field = eString(line, length);
        return;
    }
}

} // namespace

const char *bmconfig::path() {
    return access(boxpath::flashMount, R_OK) == 0 ? boxpath::configFlash : boxpath::configVar;
}

eString bmconfig::text() const {
    eString out(header);
    out += '\n';
    for (const Setting &s : settings) {
        out += s.key;
        out += '=';
        out += this->*s.field;
        out += '\n';
    }
    return out;
}

void bmconfig::load() {
    for (const Setting &s : settings)
        this->*s.field = s.fallback;

    bool read = forEachLine(path(), [this](const char *line, size_t length) {
        applyLine(*this, line, length);
        return true;
    });
    if (!read) save();
}

void bmconfig::save() {
    const char *file = path();
    removeStaleReplacements(file);
    eString bytes = text();
    // Rewritten at every boot: leave the flash alone when nothing changed.
    if (fileHolds(file, bytes)) return;
    struct stat st;
    unsigned mode = stat(file, &st) == 0 ? (st.st_mode & 07777) : 0644;
    replaceFile(file, bytes, mode);
}
