// Reading the skin's 720 x 576 background picture: the size query and the
// decode, each opening the file anew as loadBackground does.
#include "benchbox.h"
#include "pngfile.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

void BM_PngSize(benchmark::State &state) {
    int width = 0, height = 0;
    for (auto _ : state) {
        if (getPngSize(benchbox::pictureFile, &width, &height) != 0) {
            state.SkipWithError("getPngSize failed");
            break;
        }
    }
}
BENCHMARK(BM_PngSize);

void BM_PngLoad(benchmark::State &state) {
    int width = 0, height = 0;
    if (getPngSize(benchbox::pictureFile, &width, &height) != 0) {
        state.SkipWithError("getPngSize failed");
        return;
    }
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    for (auto _ : state) {
        if (loadPng(benchbox::pictureFile, rgb.data(), width, height) != 0) {
            state.SkipWithError("loadPng failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rgb.size()));
}
BENCHMARK(BM_PngLoad)->Unit(benchmark::kMillisecond);

} // namespace
