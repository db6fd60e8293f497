// Reading the menu's background pictures: every PNG colour type and depth
// decodes to the same RGB triplets, broken and outsized files are refused,
// and nothing is written past the caller's buffer.
#include "pngfile.h"
#include "sandbox.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned char guardByte = 0xA5;
constexpr size_t guardSize = 4096;

struct Fixture {
    int width, height, colourType, bitDepth;
    bool interlaced;
    std::vector<png_color> palette;
    std::vector<png_byte> trans;
    std::vector<unsigned> samples;       // raw sample values, channel by channel
    std::vector<unsigned char> expected; // what loadPng must deliver
};

int channels(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// Rows packed as the file stores them: depths below 8 several samples to a
// byte, most significant first; 16 bits big-endian.
std::vector<unsigned char> packRows(const Fixture &f) {
    int perRow = f.width * channels(f.colourType);
    size_t rowBytes = (size_t(perRow) * size_t(f.bitDepth) + 7) / 8;
    std::vector<unsigned char> rows(rowBytes * size_t(f.height), 0);
    for (int y = 0; y < f.height; ++y) {
        unsigned char *row = &rows[size_t(y) * rowBytes];
        for (int i = 0; i < perRow; ++i) {
            unsigned v = f.samples[size_t(y) * size_t(perRow) + size_t(i)];
            if (f.bitDepth == 16) {
                row[2 * i] = (unsigned char)(v >> 8);
                row[2 * i + 1] = (unsigned char)v;
            } else if (f.bitDepth == 8) {
                row[i] = (unsigned char)v;
            } else {
                int bit = i * f.bitDepth;
                row[bit / 8] |= (unsigned char)(v << (8 - f.bitDepth - bit % 8));
            }
        }
    }
    return rows;
}

// C-style on purpose: libpng leaves through longjmp on errors.
bool writeRows(const char *path, const Fixture &f, const unsigned char *rows, size_t rowBytes) {
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
    png_set_IHDR(png, info, png_uint_32(f.width), png_uint_32(f.height), f.bitDepth, f.colourType,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!f.palette.empty()) png_set_PLTE(png, info, f.palette.data(), int(f.palette.size()));
    if (!f.trans.empty()) png_set_tRNS(png, info, f.trans.data(), int(f.trans.size()), nullptr);
    png_write_info(png, info);
    int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < f.height; ++y)
            png_write_row(png, rows + size_t(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

bool writeFixture(const std::string &path, const Fixture &f) {
    std::vector<unsigned char> rows = packRows(f);
    return writeRows(path.c_str(), f, rows.data(), rows.size() / size_t(f.height));
}

// A picture of the given kind with a varied pattern, and the RGB triplets
// it must decode to: low depths scaled to 0-255, 16 bits cut to their high
// byte, transparent grey and palette pixels black, RGBA colours kept.
Fixture makeFixture(int colourType, int bitDepth, bool interlaced, int width = 13,
                    int height = 11) {
    Fixture f{width, height, colourType, bitDepth, interlaced, {}, {}, {}, {}};
    unsigned maxValue = bitDepth == 16 ? 0xFFFF : (1u << bitDepth) - 1;
    auto sample = [&](int i, int c) -> unsigned {
        if (bitDepth == 16) return ((unsigned(i) * 7 + unsigned(c) * 29) & 0xFF) * 0x101;
        return (unsigned(i) * 7 + unsigned(c) * 3) % (maxValue + 1);
    };
    auto to8 = [&](unsigned v) -> unsigned char {
        return (unsigned char)(bitDepth == 16 ? v >> 8 : v * 255 / maxValue);
    };
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        for (unsigned k = 0; k <= maxValue; ++k)
            f.palette.push_back(
                {png_byte(k * 40 + 7), png_byte(k * 90 + 3), png_byte(255 - k * 20)});
        f.trans = {255, 0}; // entry 1 is transparent, entry 0 opaque
    }
    for (int i = 0; i < width * height; ++i) {
        unsigned char rgb[3];
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            unsigned index = sample(i, 0);
            f.samples.push_back(index);
            const png_color &c = f.palette[index];
            bool clear = index == 1;
            rgb[0] = clear ? 0 : c.red, rgb[1] = clear ? 0 : c.green, rgb[2] = clear ? 0 : c.blue;
        } else if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            unsigned grey = sample(i, 0);
            f.samples.push_back(grey);
            bool clear = false;
            if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                clear = i % 3 == 0;
                f.samples.push_back(clear ? 0 : maxValue);
            }
            rgb[0] = rgb[1] = rgb[2] = clear ? 0 : to8(grey);
        } else {
            for (int c = 0; c < 3; ++c) {
                f.samples.push_back(sample(i, c));
                rgb[c] = to8(sample(i, c));
            }
            if (colourType == PNG_COLOR_TYPE_RGB_ALPHA)
                f.samples.push_back(i % 3 == 0 ? 0 : sample(i, 3));
        }
        f.expected.insert(f.expected.end(), rgb, rgb + 3);
    }
    return f;
}

// The caller's buffer followed by a guard that must stay untouched.
struct Buffer {
    std::vector<unsigned char> bytes;
    size_t size;
    explicit Buffer(size_t n) : bytes(n + guardSize, guardByte), size(n) {}
    unsigned char *data() { return bytes.data(); }
    std::vector<unsigned char> picture() const {
        return std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(size));
    }
    bool guardIntact() const {
        for (size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != guardByte) return false;
        return true;
    }
    bool untouched() const {
        return size == 0 || (bytes[0] == guardByte && guardIntact() &&
                             picture() == std::vector<unsigned char>(size, guardByte));
    }
};

struct DecodeCase {
    const char *name;
    int colourType, bitDepth;
    bool interlaced;
};

void PrintTo(const DecodeCase &c, std::ostream *os) {
    *os << c.name;
}

class PngDecode : public SandboxTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(PngDecode, DecodesToRgbTriplets) {
    const DecodeCase &c = GetParam();
    Fixture f = makeFixture(c.colourType, c.bitDepth, c.interlaced);
    const std::string path = "/tmp/picture.png";
    ASSERT_TRUE(writeFixture(path, f));

    EXPECT_EQ(isPng(path.c_str()), 1);
    int width = -1, height = -1;
    ASSERT_EQ(getPngSize(path.c_str(), &width, &height), 0);
    EXPECT_EQ(width, f.width);
    EXPECT_EQ(height, f.height);

    Buffer buffer(size_t(width) * size_t(height) * 3);
    ASSERT_EQ(loadPng(path.c_str(), buffer.data(), width, height), 0);
    EXPECT_EQ(buffer.picture(), f.expected);
    EXPECT_TRUE(buffer.guardIntact());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PngDecode,
    ::testing::Values(DecodeCase{"grey1", PNG_COLOR_TYPE_GRAY, 1, false},
                      DecodeCase{"grey2", PNG_COLOR_TYPE_GRAY, 2, false},
                      DecodeCase{"grey4", PNG_COLOR_TYPE_GRAY, 4, false},
                      DecodeCase{"grey8", PNG_COLOR_TYPE_GRAY, 8, false},
                      DecodeCase{"grey16", PNG_COLOR_TYPE_GRAY, 16, false},
                      DecodeCase{"greyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                      DecodeCase{"greyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false},
                      DecodeCase{"rgb8", PNG_COLOR_TYPE_RGB, 8, false},
                      DecodeCase{"rgb16", PNG_COLOR_TYPE_RGB, 16, false},
                      DecodeCase{"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
                      DecodeCase{"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
                      DecodeCase{"palette1", PNG_COLOR_TYPE_PALETTE, 1, false},
                      DecodeCase{"palette2", PNG_COLOR_TYPE_PALETTE, 2, false},
                      DecodeCase{"palette4", PNG_COLOR_TYPE_PALETTE, 4, false},
                      DecodeCase{"palette8", PNG_COLOR_TYPE_PALETTE, 8, false},
                      DecodeCase{"interlacedRgb8", PNG_COLOR_TYPE_RGB, 8, true},
                      DecodeCase{"interlacedGrey2", PNG_COLOR_TYPE_GRAY, 2, true},
                      DecodeCase{"interlacedPalette4", PNG_COLOR_TYPE_PALETTE, 4, true},
                      DecodeCase{"interlacedRgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, true}),
    [](const ::testing::TestParamInfo<DecodeCase> &info) { return info.param.name; });

class PngFile : public SandboxTest {};

TEST_F(PngFile, FullScreenPictureFillsExactlyItsBuffer) {
    Fixture f = makeFixture(PNG_COLOR_TYPE_RGB, 8, false, 720, 576);
    ASSERT_TRUE(writeFixture("/tmp/menu.png", f));
    Buffer buffer(1244160);
    ASSERT_EQ(loadPng("/tmp/menu.png", buffer.data(), 720, 576), 0);
    EXPECT_TRUE(buffer.picture() == f.expected);
    EXPECT_TRUE(buffer.guardIntact());
}

// The file's own size is decoded; the caller's width and height only say
// how much room there is.
TEST_F(PngFile, CallerBufferBoundsTheDecoding) {
    Fixture f = makeFixture(PNG_COLOR_TYPE_RGB, 8, false, 20, 10);
    ASSERT_TRUE(writeFixture("/tmp/wide.png", f));

    Buffer small(10 * 10 * 3);
    EXPECT_EQ(loadPng("/tmp/wide.png", small.data(), 10, 10), 2);
    EXPECT_TRUE(small.untouched());

    Buffer none(0);
    EXPECT_EQ(loadPng("/tmp/wide.png", none.data(), 0, 0), 2);
    EXPECT_EQ(loadPng("/tmp/wide.png", none.data(), -20, -10), 2);
    EXPECT_TRUE(none.guardIntact());

    Buffer transposed(10 * 20 * 3);
    EXPECT_EQ(loadPng("/tmp/wide.png", transposed.data(), 10, 20), 0);
    EXPECT_EQ(transposed.picture(), f.expected);
    EXPECT_TRUE(transposed.guardIntact());
}

uint32_t crc32Of(const std::string &bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string chunk(const std::string &type, const std::string &data) {
    return be32(uint32_t(data.size())) + type + data + be32(crc32Of(type + data));
}

const std::string signature = "\x89PNG\r\n\x1a\n";

// Signature and header only, then an empty image data chunk: enough for
// the size query, which stops before the image data.
std::string headerOnly(uint32_t width, uint32_t height) {
    std::string ihdr = be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    return signature + chunk("IHDR", ihdr) + chunk("IDAT", "") + chunk("IEND", "");
}

struct BrokenCase {
    const char *name;
    std::string bytes; // "" with missing = true: no file at all
    bool missing;
    int isPngResult, sizeResult, loadResult;
};

TEST_F(PngFile, BrokenAndOutsizedFilesAreRefused) {
    Fixture good = makeFixture(PNG_COLOR_TYPE_RGB, 8, false, 64, 64);
    ASSERT_TRUE(writeFixture("/tmp/good.png", good));
    std::string whole = sandbox::readFile("/tmp/good.png");
    ASSERT_GT(whole.size(), 100u);
    std::string badCrc = whole;
    badCrc[29] ^= 0x55; // a byte of the header chunk's checksum
    std::string zeroWidth = headerOnly(0, 16);

    const std::vector<BrokenCase> cases = {
        {"missing file", "", true, 0, 1, 1},
        {"zero bytes", "", false, 0, 2, 2},
        {"three bytes", "xPN", false, 0, 2, 2},
        {"PNG after any byte but no signature", "xPNG and then some text", false, 1, 2, 2},
        {"damaged header", badCrc, false, 1, 2, 2},
        {"zero width", zeroWidth, false, 1, 2, 2},
        {"signature only", signature, false, 1, 2, 2},
        {"truncated image data", whole.substr(0, whole.size() / 2), false, 1, 0, 2},
        {"huge declared size", headerOnly(100000, 100000), false, 1, 2, 2},
        {"wider than 4096", headerOnly(4097, 1), false, 1, 2, 2},
        {"more than 16 MiB of RGB", headerOnly(4096, 1366), false, 1, 2, 2},
        {"just within 16 MiB of RGB", headerOnly(4096, 1365), false, 1, 0, 2},
    };
    for (const BrokenCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "/tmp/broken.png";
        unlink(path.c_str());
        if (!c.missing) {
            ASSERT_TRUE(sandbox::writeFile(path, c.bytes));
        }
        EXPECT_EQ(isPng(path.c_str()), c.isPngResult);
        int width = -7, height = -7;
        EXPECT_EQ(getPngSize(path.c_str(), &width, &height), c.sizeResult);
        if (c.sizeResult != 0) {
            EXPECT_EQ(width, -7);
            EXPECT_EQ(height, -7);
        }
        // Decoding gets room for the intact picture only: whatever the file
        // claims, nothing lands beyond it.
        Buffer buffer(64 * 64 * 3);
        EXPECT_EQ(loadPng(path.c_str(), buffer.data(), 64, 64), c.loadResult);
        EXPECT_TRUE(buffer.guardIntact());
    }
}

} // namespace
