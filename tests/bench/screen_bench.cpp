// The television screen's operations as the menu uses them, in the menu's
// mode of 720 x 576 at 16 bits per pixel over the skin's picture.
#include "benchbox.h"
#include "framebuffer.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const char *const typicalName = benchbox::entryNames[2];
const int nameSize = 48;

// A screen as the menu leaves it after loadBackground.
struct MenuScreen {
    FrameBuffer fb;
    std::vector<unsigned char> rgb;
    int width = 0, height = 0;
    benchbox::MenuSkin skin = benchbox::menuSkin();

    MenuScreen() {
        rgb = benchbox::decodedPicture(width, height);
        fb.SetMode(720, 576, 16);
        if (!rgb.empty()) fb.showPicture(rgb.data(), width, height, 0, 0, 0, 0);
    }
    // Null when the screen can be measured, else why not.
    const char *problem() const {
        if (const char *why = benchbox::notDrawable(&fb, nullptr)) return why;
        if (fb.bitsPerPixel != 16) return "the menu's 16-bit mode was not granted";
        if (rgb.empty()) return "the skin's picture did not decode";
        return nullptr;
    }
    // The rectangle whose background drawMenu restores.
    int x() const { return skin.menusize[0] - 5; }
    int y() const { return skin.menusize[1] - 5; }
    int w() const { return skin.menusize[2] + 10; }
    int h() const { return skin.menusize[3] + 10; }
};

// The name where drawMenu puts the first line, in the skin's colour.
void drawName(FrameBuffer &fb, const benchbox::MenuSkin &skin) {
    fb.drawString(typicalName, skin.menusize[0] + 35, skin.menusize[1] + nameSize,
                  skin.menusize[2] - 35, 0, nameSize, skin.stringcolor[0], skin.stringcolor[1],
                  skin.stringcolor[2]);
}

bool usable(benchmark::State &state, const MenuScreen &screen) {
    const char *why = screen.problem();
    if (why) state.SkipWithError(why);
    return !why;
}

// Opening the screen at start-up: device, mapping, console, text engine.
// Closing it again is not counted.
void BM_ScreenOpen(benchmark::State &state) {
    benchbox::timeOpening(
        state, [] { return std::make_unique<FrameBuffer>(); },
        [](const FrameBuffer &fb) { return benchbox::notDrawable(&fb, nullptr); });
}
BENCHMARK(BM_ScreenOpen)->Unit(benchmark::kMicrosecond);

void BM_ScreenSetMode(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    for (auto _ : state)
        screen.fb.SetMode(720, 576, 16);
}
BENCHMARK(BM_ScreenSetMode)->Unit(benchmark::kMicrosecond);

void BM_ScreenShowPicture(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    for (auto _ : state)
        screen.fb.showPicture(screen.rgb.data(), screen.width, screen.height, 0, 0, 0, 0);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(screen.rgb.size()));
}
BENCHMARK(BM_ScreenShowPicture)->Unit(benchmark::kMicrosecond);

// What loadBackground does with a decoded picture.
void BM_ScreenModeAndPicture(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    for (auto _ : state) {
        screen.fb.SetMode(720, 576, 16);
        screen.fb.showPicture(screen.rgb.data(), screen.width, screen.height, 0, 0, 0, 0);
    }
}
BENCHMARK(BM_ScreenModeAndPicture)->Unit(benchmark::kMicrosecond);

// Once per skin (drawTitle).
void BM_ScreenSaveArea(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    for (auto _ : state)
        screen.fb.saveArea(screen.x(), screen.y(), screen.w(), screen.h());
    state.SetLabel(std::to_string(screen.w()) + "x" + std::to_string(screen.h()));
}
BENCHMARK(BM_ScreenSaveArea);

// Once per key (drawMenu).
void BM_ScreenRestoreArea(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    screen.fb.saveArea(screen.x(), screen.y(), screen.w(), screen.h());
    for (auto _ : state)
        screen.fb.restoreArea(screen.x(), screen.y(), screen.w(), screen.h());
    state.SetLabel(std::to_string(screen.w()) + "x" + std::to_string(screen.h()));
}
BENCHMARK(BM_ScreenRestoreArea);

void BM_ScreenPaintDot(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    const benchbox::MenuSkin &s = screen.skin;
    for (auto _ : state)
        screen.fb.paintDot(s.menusize[0] + 10, s.menusize[1] + 30, s.selectcolor[0],
                           s.selectcolor[1], s.selectcolor[2]);
}
BENCHMARK(BM_ScreenPaintDot);

// Every glyph of the name already in the bitmap cache: each later key.
void BM_ScreenDrawStringWarm(benchmark::State &state) {
    MenuScreen screen;
    if (!usable(state, screen)) return;
    drawName(screen.fb, screen.skin);
    for (auto _ : state)
        drawName(screen.fb, screen.skin);
    state.SetLabel(std::string("\"") + typicalName + "\" size " + std::to_string(nameSize));
}
BENCHMARK(BM_ScreenDrawStringWarm);

// A fresh screen each time: size set up and glyphs rasterised, as for the
// first menu. Opening the screen itself is not counted; the picture is left
// out, it would only slow the untimed part down.
void BM_ScreenDrawStringCold(benchmark::State &state) {
    const benchbox::MenuSkin skin = benchbox::menuSkin();
    for (auto _ : state) {
        state.PauseTiming();
        auto fb = std::make_unique<FrameBuffer>();
        fb->SetMode(720, 576, 16);
        if (const char *why = benchbox::notDrawable(fb.get(), nullptr)) {
            state.SkipWithError(why);
            break;
        }
        state.ResumeTiming();
        drawName(*fb, skin);
        state.PauseTiming();
        fb.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::string("\"") + typicalName + "\" size " + std::to_string(nameSize));
}
BENCHMARK(BM_ScreenDrawStringCold)->Unit(benchmark::kMicrosecond);

} // namespace
