// The front display's part of one menu redraw, and its pieces: clearing,
// one centred name, inverting the selected line, packing and writing.
#include "benchbox.h"
#include "lcddisplay.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

const int lineHeight = 15;

bool usable(benchmark::State &state, const CLCDDisplay &lcd) {
    const char *why = benchbox::notDrawable(nullptr, &lcd);
    if (why) state.SkipWithError(why);
    return !why;
}

// Opening the display at start-up: device, its two requests, text engine.
void BM_LcdOpen(benchmark::State &state) {
    benchbox::timeOpening(
        state, [] { return std::make_unique<CLCDDisplay>(); },
        [](const CLCDDisplay &lcd) { return benchbox::notDrawable(nullptr, &lcd); });
}
BENCHMARK(BM_LcdOpen)->Unit(benchmark::kMicrosecond);

void BM_LcdClear(benchmark::State &state) {
    CLCDDisplay lcd;
    if (!usable(state, lcd)) return;
    for (auto _ : state) {
        lcd.fillBox(0, 0, lcdWidth, lcdHeight, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LcdClear);

void BM_LcdDrawStringCentred(benchmark::State &state) {
    CLCDDisplay lcd;
    if (!usable(state, lcd)) return;
    for (auto _ : state) {
        lcd.drawString(benchbox::entryNames[2], 0, 3, lcdWidth, 1, 20, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LcdDrawStringCentred);

void BM_LcdInvertLine(benchmark::State &state) {
    CLCDDisplay lcd;
    if (!usable(state, lcd)) return;
    for (auto _ : state) {
        lcd.fillBox(0, lineHeight, lcdWidth, 2 * lineHeight, 2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LcdInvertLine);

void BM_LcdUpdate(benchmark::State &state) {
    CLCDDisplay lcd;
    if (!usable(state, lcd)) return;
    benchbox::DisplayRewind rewind;
    for (auto _ : state) {
        lcd.update();
        rewind.after(lcd);
    }
}
BENCHMARK(BM_LcdUpdate);

// drawMenu's display calls for a full page with the second line selected.
void BM_LcdMenuRedraw(benchmark::State &state) {
    CLCDDisplay lcd;
    if (!usable(state, lcd)) return;
    benchbox::DisplayRewind rewind;
    const int selected = 1;
    for (auto _ : state) {
        lcd.fillBox(0, 0, lcdWidth, lcdHeight, 0);
        for (int k = 0; k < 4; ++k) {
            const int top = lineHeight * k;
            lcd.drawString(benchbox::entryNames[k], 0, top + 3, lcdWidth, 1, 20, 1);
            if (k == selected) lcd.fillBox(0, top, lcdWidth, top + lineHeight, 2);
        }
        lcd.update();
        rewind.after(lcd);
    }
}
BENCHMARK(BM_LcdMenuRedraw);

} // namespace
