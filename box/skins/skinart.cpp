// skinart: draws the boot menu's skins, each a ".skin" file and its 720 x 576
// ".png" picture, from the table below; the two are written together so that
// the picture's panel and title accent always sit where the skin puts the menu
// and the title. The files it writes are committed; edit the table and rerun:
//   g++ -std=c++17 -O2 box/skins/skinart.cpp $(pkg-config --cflags --libs libpng)
//       -o /tmp/skinart && /tmp/skinart box/skins     (one command line)
// or, from a build tree: cmake --build BUILD --target skinart && BUILD/bin/skinart box/skins
// (run from the top of the tree; the argument is the folder that holds
// fallback/, flash/ and medium/).
//
// The menu shows the picture at 16 bits per pixel (5-6-5, low bits cut off), so
// everything here is broad and smooth: gradients, soft glows and feathered
// edges, no fine texture or dithering that the cut would turn into noise.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <png.h>
#include <string>
#include <vector>

namespace {

constexpr int screenWidth = 720, screenHeight = 576;
constexpr double pi = 3.14159265358979323846;

struct Rgb {
    int r, g, b;
};

enum class Accent { Line, Band };

// What the boot menu reads: "first-line" is the title; "menu-size",
// "string-color" and "select-color" are the menu.
struct Title {
    int x, y, size;
    Rgb colour;
};

struct Menu {
    int x, y, width, height;
    Rgb names, dot;
};

// The picture behind them.
struct Ground {
    Rgb from, to;
    double angle; // direction of the gradient in degrees: 90 runs top to bottom
    double vignette;
};

struct Glow {
    Rgb colour;
    double x, y, radius, strength;
};

struct Panel {
    Rgb colour;
    double opacity;
    int margin, radius;
};

struct Trim {
    Rgb colour;
    Accent style;
};

struct Skin {
    const char *path; // without its ending, below the output folder
    Title title;
    Menu menu;
    Ground ground;
    Glow glow;
    Panel panel;
    Trim trim;
};

// Every menu line is lineH = height / 4 - 2 high and its name lineH pixels
// tall; heights up to 216 keep the lowest descender inside the strip that the
// menu restores. The title must fit in width - 35 pixels (about 9.2 times its
// size at the box's font).
const Skin skins[] = {
    // Installed with the program; shown when the configured skin is missing.
    {"fallback/blank",
     {120, 150, 36, {236, 242, 248}},
     {120, 200, 480, 208, {214, 222, 230}, {255, 172, 64}},
     {{8, 22, 58}, {12, 92, 104}, 90, 0.35},
     {{40, 150, 170}, 560, 520, 420, 0.30},
     {{4, 12, 30}, 0.55, 22, 18},
     {{96, 206, 220}, Accent::Line}},
    // The flash's default skin: the same calm mood in slate and violet, and
    // yet plainly not the fallback.
    {"flash/blank",
     {70, 120, 40, {240, 236, 252}},
     {70, 220, 470, 216, {222, 220, 238}, {120, 232, 200}},
     {{22, 20, 44}, {70, 62, 118}, 60, 0.40},
     {{112, 98, 176}, 600, 90, 420, 0.30},
     {{10, 8, 26}, 0.50, 22, 16},
     {{150, 130, 230}, Accent::Band}},
    {"flash/ember",
     {300, 170, 34, {255, 214, 160}},
     {300, 232, 380, 192, {255, 238, 222}, {255, 214, 40}},
     {{34, 6, 4}, {150, 48, 12}, 35, 0.45},
     {{255, 120, 30}, 650, 560, 480, 0.45},
     {{20, 4, 2}, 0.60, 20, 14},
     {{255, 150, 50}, Accent::Line}},
    {"flash/forest",
     {60, 96, 42, {206, 238, 190}},
     {60, 300, 440, 200, {234, 242, 222}, {255, 196, 72}},
     {{8, 34, 20}, {22, 88, 40}, 100, 0.40},
     {{70, 150, 80}, 140, 40, 480, 0.30},
     {{4, 20, 10}, 0.55, 22, 20},
     {{150, 210, 110}, Accent::Band}},
    // On the medium itself, so that a skin from the stick is easy to tell.
    {"medium/stick",
     {160, 206, 32, {200, 236, 255}},
     {160, 256, 400, 176, {236, 240, 246}, {90, 220, 255}},
     {{18, 24, 30}, {60, 70, 84}, 135, 0.30},
     {{70, 140, 200}, 360, 330, 380, 0.30},
     {{6, 8, 12}, 0.55, 20, 22},
     {{90, 190, 240}, Accent::Line}},
};

double clamp01(double v) {
    return std::min(1.0, std::max(0.0, v));
}

double smoothstep(double edge0, double edge1, double v) {
    const double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

struct Colour {
    double r, g, b;
};

Colour colour(Rgb c) {
    return {double(c.r), double(c.g), double(c.b)};
}

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scale(Colour c, double f) {
    return {c.r * f, c.g * f, c.b * f};
}

// Signed distance from (x, y) to a rounded rectangle: negative inside.
double roundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
    const double qx = std::fabs(x - (left + right) / 2) - (right - left) / 2 + radius;
    const double qy = std::fabs(y - (top + bottom) / 2) - (bottom - top) / 2 + radius;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

Colour background(const Skin &s, double x, double y) {
    const double dx = std::cos(s.ground.angle * pi / 180), dy = std::sin(s.ground.angle * pi / 180);
    double low = 1e9, high = -1e9;
    for (double cx : {0.0, double(screenWidth)})
        for (double cy : {0.0, double(screenHeight)}) {
            low = std::min(low, cx * dx + cy * dy);
            high = std::max(high, cx * dx + cy * dy);
        }
    const double t = smoothstep(-0.15, 1.15, (x * dx + y * dy - low) / (high - low));
    Colour c = mix(colour(s.ground.from), colour(s.ground.to), t);
    const double glow =
        1 - smoothstep(0, 1, std::hypot(x - s.glow.x, y - s.glow.y) / s.glow.radius);
    return mix(c, colour(s.glow.colour), s.glow.strength * glow);
}

Colour vignette(const Skin &s, Colour c, double x, double y) {
    const double nx = (x - screenWidth / 2.0) / (screenWidth / 2.0);
    const double ny = (y - screenHeight / 2.0) / (screenHeight / 2.0);
    return scale(c, 1 - s.ground.vignette * smoothstep(0.25, 2.0, nx * nx + ny * ny));
}

// The menu's panel: darker, with a soft shadow a little below it and a faint
// rim of the accent colour, so the plain one-colour names read on any ground.
Colour panel(const Skin &s, Colour c, double x, double y) {
    const double m = s.panel.margin;
    const double left = s.menu.x - m, top = s.menu.y - m;
    const double right = s.menu.x + s.menu.width + m, bottom = s.menu.y + s.menu.height + m;
    const double shadowDistance = roundedBox(x, y - 5, left, top, right, bottom, s.panel.radius);
    c = mix(c, {0, 0, 0}, 0.35 * (1 - smoothstep(-4, 18, shadowDistance)));
    const double d = roundedBox(x, y, left, top, right, bottom, s.panel.radius);
    const double inside = clamp01(0.5 - d);
    // A touch lighter at the top, as if lit from above.
    const double opacity = s.panel.opacity * (1 - 0.18 * clamp01((bottom - y) / (bottom - top)));
    c = mix(c, colour(s.panel.colour), opacity * inside);
    const double rim = clamp01(1 - std::fabs(d + 1.5)) * 0.35;
    return mix(c, colour(s.trim.colour), rim);
}

// A line under the title that fades out to the right, or a band across the
// screen behind it.
Colour accent(const Skin &s, Colour c, double x, double y) {
    const double baseline = s.title.y;
    if (s.trim.style == Accent::Line) {
        const double start = s.title.x + 35, end = s.menu.x + s.menu.width + s.panel.margin;
        const double lineTop = baseline + 10;
        const double along = (x - start) / (end - start);
        if (y < lineTop || y >= lineTop + 2 || along < 0 || along > 1) return c;
        return mix(c, colour(s.trim.colour), 0.9 * (1 - smoothstep(0.35, 1.0, along)));
    }
    const double bandTop = baseline - s.title.size - 8, bandBottom = baseline + 14;
    const double inBand =
        smoothstep(bandTop - 10, bandTop, y) * (1 - smoothstep(bandBottom, bandBottom + 1, y));
    c = mix(c, colour(s.trim.colour), 0.16 * inBand);
    if (y >= bandBottom && y < bandBottom + 2) {
        const double fade =
            1 - smoothstep(0.55, 1.0, std::fabs(x - screenWidth / 2.0) / (screenWidth / 2.0));
        c = mix(c, colour(s.trim.colour), 0.8 * fade);
    }
    return c;
}

// The screen keeps the top `bits` bits of a channel. Rounding to the nearest of
// those levels here, rather than leaving the cut to the box, keeps the average
// colour true; widening the level back to 8 bits (0x1F -> 0xFF) stores exactly
// what the screen will show, which also makes the file small.
png_byte screenLevel(double value, int bits) {
    const int top = (1 << bits) - 1;
    const int level = int(std::lround(clamp01(value / 255) * top));
    const int v = level << (8 - bits);
    return png_byte(v | (v >> bits));
}

std::vector<png_byte> draw(const Skin &s) {
    std::vector<png_byte> rgb(size_t(screenWidth) * screenHeight * 3);
    png_byte *p = rgb.data();
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            // Sample at the pixel's centre.
            const double cx = x + 0.5, cy = y + 0.5;
            Colour c = background(s, cx, cy);
            c = vignette(s, c, cx, cy);
            c = accent(s, c, cx, cy);
            c = panel(s, c, cx, cy);
            *p++ = screenLevel(c.r, 5);
            *p++ = screenLevel(c.g, 6);
            *p++ = screenLevel(c.b, 5);
        }
    return rgb;
}

// Returns 0, or 1 when the file cannot be written.
int writePng(const std::string &path, std::vector<png_byte> &rgb) {
    std::vector<png_bytep> rows(screenHeight);
    for (int y = 0; y < screenHeight; ++y)
        rows[y] = rgb.data() + size_t(y) * screenWidth * 3;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) {
        perror(path.c_str());
        return 1;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        fprintf(stderr, "skinart: cannot write %s\n", path.c_str());
        return 1;
    }
    png_init_io(png, file);
    // Rounded to the screen's levels, a picture is broad flat bands: deflate
    // finds their repeats in the plain rows, while row filters (tried: sub, up,
    // Paeth, adaptive) only add noise at every band edge and cost up to 30 %.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, screenWidth, screenHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 ? 0 : 1;
}

// Returns 0, or 1 when the file cannot be written.
int writeSkin(const std::string &path, const Skin &s) {
    FILE *file = fopen(path.c_str(), "w");
    if (!file) {
        perror(path.c_str());
        return 1;
    }
    fprintf(file, "first-line=%d,%d,%d,%d,%d,%d\n", s.title.x, s.title.y, s.title.size,
            s.title.colour.r, s.title.colour.g, s.title.colour.b);
    fprintf(file, "menu-size=%d,%d,%d,%d\n", s.menu.x, s.menu.y, s.menu.width, s.menu.height);
    fprintf(file, "string-color=%d,%d,%d\n", s.menu.names.r, s.menu.names.g, s.menu.names.b);
    fprintf(file, "select-color=%d,%d,%d\n", s.menu.dot.r, s.menu.dot.g, s.menu.dot.b);
    return fclose(file) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: skinart OUTDIR\n");
        return 2;
    }
    int failed = 0;
    for (const Skin &s : skins) {
        const std::string base = std::string(argv[1]) + "/" + s.path;
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(base).parent_path(), ignored);
        std::vector<png_byte> rgb = draw(s);
        failed |= writeSkin(base + ".skin", s);
        failed |= writePng(base + ".png", rgb);
    }
    return failed;
}
