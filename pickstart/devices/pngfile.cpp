#include "pngfile.h"

#include <cstdio>
#include <fcntl.h>
#include <png.h>
#include <unistd.h>

namespace {

// The largest picture we agree to decode. The box has 32 MiB of RAM for
// everything, and a picture costs its RGB buffer plus the converted screen
// copy that showPicture makes; the menu's own pictures are 720 x 576
// (1.2 MiB of RGB). 16 MiB of RGB is half the box's memory, far more than
// any background needs, and 4096 pixels a side keeps every size product
// (w * h * 3, and the 4-byte screen copy) well inside an int. Larger sizes
// come from broken or hostile files and are refused before anything is
// allocated.
constexpr png_uint_32 maxSide = 4096;
constexpr unsigned long long maxRgbBytes = 16ULL << 20;

bool sizeAllowed(png_uint_32 width, png_uint_32 height) {
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           3ULL * width * height <= maxRgbBytes;
}

bool fitsBuffer(png_uint_32 width, png_uint_32 height, int bufferWidth, int bufferHeight) {
    return bufferWidth > 0 && bufferHeight > 0 &&
           1ULL * width * height <= 1ULL * unsigned(bufferWidth) * unsigned(bufferHeight);
}

// Plain data only: libpng reports errors by longjmp, which would skip any
// destructor between the setjmp and the failing call.
struct Decoder {
    FILE *file;
    png_structp png;
    png_infop info;
};

int openDecoder(const char *path, Decoder &d) {
    d.file = fopen(path, "rb");
    if (!d.file) return 1;
    // Asked with the installed library's own version: it refuses older ones.
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!d.png) {
        fclose(d.file);
        return 2;
    }
    d.info = png_create_info_struct(d.png);
    if (!d.info) {
        png_destroy_read_struct(&d.png, nullptr, nullptr);
        fclose(d.file);
        return 2;
    }
    // Lets libpng reject an oversized header as soon as it reads it.
    png_set_user_limits(d.png, maxSide, maxSide);
    png_init_io(d.png, d.file);
    return 0;
}

void closeDecoder(Decoder &d) {
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    fclose(d.file);
}

int readSize(Decoder &d, png_uint_32 &width, png_uint_32 &height) {
    if (setjmp(png_jmpbuf(d.png))) return 2;
    png_read_info(d.png, d.info);
    width = png_get_image_width(d.png, d.info);
    height = png_get_image_height(d.png, d.info);
    return 0;
}

int decode(Decoder &d, const char *path, unsigned char *rgb, int bufferWidth, int bufferHeight) {
    if (setjmp(png_jmpbuf(d.png))) return 2;
    png_read_info(d.png, d.info);
    png_uint_32 width, height;
    int bitDepth, colourType;
    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (!sizeAllowed(width, height) || !fitsBuffer(width, height, bufferWidth, bufferHeight))
        return 2;

    // Transparent parts of palette and grey pictures are laid on black.
    png_color_16 black = {0, 0, 0, 0, 0};
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(d.png);
        png_set_background(d.png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(d.png);
        png_set_background(d.png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (colourType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(d.png);
    if (bitDepth < 8) png_set_packing(d.png);
    if (bitDepth == 16) png_set_strip_16(d.png);
    int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    size_t rowBytes = size_t(width) * 3;
    if (png_get_rowbytes(d.png, d.info) != rowBytes) {
        printf("[png]: Error processing %s - please report (including image).\n", path);
        return 2;
    }
    // Each pass of an interlaced picture fills in more of the same rows.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 row = 0; row < height; ++row)
            png_read_row(d.png, rgb + row * rowBytes, nullptr);
    png_read_end(d.png, nullptr);
    return 0;
}

} // namespace

int isPng(const char *path) {
    int fd = open(path, O_RDONLY);
    if (fd < 0) return 0;
    unsigned char head[4];
    ssize_t n = read(fd, head, sizeof head);
    close(fd);
    return n == 4 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G';
}

int getPngSize(const char *path, int *width, int *height) {
    Decoder d;
    int result = openDecoder(path, d);
    if (result != 0) return result;
    png_uint_32 w = 0, h = 0;
    result = readSize(d, w, h);
    closeDecoder(d);
    if (result != 0 || !sizeAllowed(w, h)) return 2;
    *width = int(w);
    *height = int(h);
    return 0;
}

int loadPng(const char *path, unsigned char *rgb, int width, int height) {
    Decoder d;
    int result = openDecoder(path, d);
    if (result != 0) return result;
    result = decode(d, path, rgb, width, height);
    closeDecoder(d);
    return result;
}
