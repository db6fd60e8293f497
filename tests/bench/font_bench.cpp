// The text engine alone: measuring a name again and again. Every glyph
// should come from the bitmap cache after the first pass; a figure near the
// cold drawing cost means the cache is not keeping what it rendered.
#include "benchbox.h"
#include "fontengine.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

void measureAgainAndAgain(benchmark::State &state, FontEngine &font) {
    if (!font.ready()) {
        state.SkipWithError("font not available");
        return;
    }
    // Sets the size; measuring keeps whatever size was drawn last.
    font.drawString(benchbox::entryNames[2], 0, 0, 0, 1, 20, nullptr);
    int width = 0;
    for (auto _ : state) {
        width = font.stringWidth(benchbox::entryNames[2]);
        benchmark::DoNotOptimize(width);
    }
    state.SetLabel(std::string("\"") + benchbox::entryNames[2] + "\" size 20");
}

void BM_FontStringWidthCached(benchmark::State &state) {
    FontEngine font;
    font.setup();
    measureAgainAndAgain(state, font);
}
BENCHMARK(BM_FontStringWidthCached);

// The same over a heap with leftovers in it. The installed FreeType's cache
// manager trusts parts of its record it never sets; the text engine gives
// it zeroed memory, and this must stay as fast as the case above.
void BM_FontStringWidthDirtyHeap(benchmark::State &state) {
    benchbox::dirtyHeap();
    FontEngine font;
    font.setup();
    measureAgainAndAgain(state, font);
}
BENCHMARK(BM_FontStringWidthDirtyHeap);

} // namespace
