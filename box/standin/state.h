// The stand-in drivers' state: small text files under "dev/.standin" of the
// box's root, shared by the driver interposer and the screenshot tool.
// Plain C-style code: this is linked into every process of the box.
#pragma once

#include <cstddef>

namespace standin {

// The screen memory file is sized for the largest mode the menu can ask for.
constexpr unsigned screenMemory = 720 * 576 * 4;

struct Mode {
    int xres, yres, bpp, lineLength;
};

// The mode the box comes up with.
constexpr Mode startupMode = {720, 576, 8, 720};

// Bytes a pixel of this depth takes in screen memory; 0 for depths the
// driver does not know.
int bytesPerPixel(int bpp);

// "fb.mode": false when the file is missing or does not hold a usable mode.
bool readMode(const char *dir, Mode &mode);
bool writeMode(const char *dir, const Mode &mode);

// "fb.cmap": 256 lines "R G B". Entries the file lacks read as 0.
struct Cmap {
    unsigned short red[256], green[256], blue[256];
};
void readCmap(const char *dir, Cmap &cmap);
bool writeCmap(const char *dir, const Cmap &cmap);

// Reads the whole (small) state file into buf, NUL-terminated; false when
// it does not exist.
bool readText(const char *dir, const char *name, char *buf, size_t size);

// Replaces the state file in one step (temporary file + rename), so that a
// reader never sees it half-written. Makes the directory when it is missing.
bool writeText(const char *dir, const char *name, const char *text, size_t length);

} // namespace standin
