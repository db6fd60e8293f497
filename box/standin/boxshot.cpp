// boxshot: photographs the emulated box's screens as PNG files.
//   boxshot tv ROOT OUT.png    the television: ROOT/dev/fb/0 at the current
//                              mode, through the colour map at 8 bpp
//   boxshot lcd ROOT OUT.png   the front display: the last picture written to
//                              ROOT/dev/dbox/lcd0, enlarged 4 times
// Exit status 0, 1 when something could not be read or written, 2 for a
// wrong command line.
#include "state.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <png.h>
#include <string>
#include <vector>

namespace {

using namespace standin;

constexpr int lcdWidth = 120, lcdHeight = 64, lcdBytes = 960, lcdScale = 4;
// A lit dot is dark on the display's pale green-grey ground.
constexpr unsigned char lcdGround[3] = {0xB4, 0xC3, 0xA5};
constexpr unsigned char lcdDot[3] = {0x1E, 0x28, 0x1E};

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

std::vector<unsigned char> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

// Widens a colour channel of `bits` bits to 8 bits, so that full scale stays
// full scale (0x1F -> 0xFF).
unsigned char widen(unsigned value, int bits) {
    unsigned v = value << (8 - bits);
    return (unsigned char)(v | (v >> bits));
}

void pixelToRgb(const unsigned char *p, int bpp, const Cmap &cmap, unsigned char *out) {
    if (bpp == 8) {
        // The colour map holds 16-bit values; the screen shows their top byte.
        out[0] = (unsigned char)(cmap.red[*p] >> 8);
        out[1] = (unsigned char)(cmap.green[*p] >> 8);
        out[2] = (unsigned char)(cmap.blue[*p] >> 8);
    } else if (bpp == 15 || bpp == 16) {
        uint16_t v;
        memcpy(&v, p, sizeof v);
        int greenBits = bpp == 16 ? 6 : 5;
        out[0] = widen((v >> (5 + greenBits)) & 0x1F, 5);
        out[1] = widen((v >> 5) & ((1u << greenBits) - 1), greenBits);
        out[2] = widen(v & 0x1F, 5);
    } else {
        uint32_t v;
        memcpy(&v, p, sizeof v);
        out[0] = (unsigned char)(v >> 16);
        out[1] = (unsigned char)(v >> 8);
        out[2] = (unsigned char)v;
    }
}

bool shootTv(const std::string &root, Picture &picture) {
    std::string dir = root + "/dev/.standin";
    Mode mode = startupMode;
    if (!readMode(dir.c_str(), mode)) {
        fprintf(stderr, "boxshot: no usable mode in %s/fb.mode, taking %dx%dx%d\n", dir.c_str(),
                mode.xres, mode.yres, mode.bpp);
    }
    Cmap cmap;
    readCmap(dir.c_str(), cmap);
    std::string fbPath = root + "/dev/fb/0";
    std::vector<unsigned char> memory = readFile(fbPath);
    if (memory.empty()) {
        fprintf(stderr, "boxshot: cannot read %s\n", fbPath.c_str());
        return false;
    }
    // Memory the mode reaches beyond the file reads as black.
    size_t need = size_t(mode.lineLength) * size_t(mode.yres);
    if (memory.size() < need) memory.resize(need, 0);
    int bytes = bytesPerPixel(mode.bpp);
    picture.width = mode.xres;
    picture.height = mode.yres;
    picture.rgb.assign(size_t(mode.xres) * size_t(mode.yres) * 3, 0);
    for (int y = 0; y < mode.yres; ++y)
        for (int x = 0; x < mode.xres; ++x)
            pixelToRgb(&memory[size_t(y) * size_t(mode.lineLength) + size_t(x) * size_t(bytes)],
                       mode.bpp, cmap,
                       &picture.rgb[(size_t(y) * size_t(mode.xres) + size_t(x)) * 3]);
    return true;
}

bool shootLcd(const std::string &root, Picture &picture) {
    std::vector<unsigned char> written = readFile(root + "/dev/dbox/lcd0");
    const unsigned char *pages =
        written.size() >= size_t(lcdBytes) ? &written[written.size() - lcdBytes] : nullptr;
    picture.width = lcdWidth * lcdScale;
    picture.height = lcdHeight * lcdScale;
    picture.rgb.resize(size_t(picture.width) * size_t(picture.height) * 3);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            int dx = x / lcdScale, dy = y / lcdScale;
            bool on = pages && (pages[(dy / 8) * lcdWidth + dx] >> (dy % 8) & 1);
            memcpy(&picture.rgb[(size_t(y) * size_t(picture.width) + size_t(x)) * 3],
                   on ? lcdDot : lcdGround, 3);
        }
    return true;
}

// No C++ object lives in here: libpng leaves through longjmp on errors.
bool writePng(const char *path, int width, int height, const unsigned char *rgb) {
    FILE *file = fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + size_t(y) * size_t(width) * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv) {
    std::string what = argc == 4 ? argv[1] : "";
    if (what != "tv" && what != "lcd") {
        fprintf(stderr, "usage: boxshot tv|lcd ROOT OUT.png\n");
        return 2;
    }
    Picture picture;
    bool ok = what == "tv" ? shootTv(argv[2], picture) : shootLcd(argv[2], picture);
    if (!ok) return 1;
    if (!writePng(argv[3], picture.width, picture.height, picture.rgb.data())) {
        fprintf(stderr, "boxshot: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
