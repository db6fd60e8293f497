// Entry of the benchmarks: flags first, then the private root with the
// box's files, then the runs.
#include "benchbox.h"
#include "sandbox.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// Our own display reporter writes to the saved results stream, so the
// format flag is read here before the library consumes it.
std::string formatFlag(int argc, char **argv) {
    const char flag[] = "--benchmark_format=";
    std::string format = "console";
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], flag, sizeof flag - 1) == 0) format = argv[i] + sizeof flag - 1;
    return format;
}

std::unique_ptr<benchmark::BenchmarkReporter> makeReporter(const std::string &format, bool colour) {
    if (format == "json") return std::make_unique<benchmark::JSONReporter>();
    return std::make_unique<benchmark::ConsoleReporter>(
        colour ? benchmark::ConsoleReporter::OO_ColorTabular
               : benchmark::ConsoleReporter::OO_Tabular);
}

} // namespace

int main(int argc, char **argv) {
    const std::string format = formatFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const std::string buildType = BENCH_BUILD_TYPE;
    benchmark::AddCustomContext("build_type", buildType.empty() ? "(none)" : buildType);
    if (buildType != "Release" && buildType != "RelWithDebInfo")
        fprintf(stderr, "[bench] build type \"%s\" is not optimised: figures mean little\n",
                buildType.c_str());

    if (!sandbox::enter()) return 1;
    if (!benchbox::prepare()) return 1;

    // The menu code logs every screen it opens and every mode it sets;
    // thousands of those lines would bury the results. Its standard output
    // goes to /dev/null, the results to the original one.
    fflush(stdout);
    const int results = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (results < 0 || null < 0 || dup2(null, STDOUT_FILENO) < 0) {
        perror("[bench] redirecting standard output");
        return 1;
    }
    close(null);
    __gnu_cxx::stdio_filebuf<char> resultsBuffer(results, std::ios::out);
    std::ostream resultsStream(&resultsBuffer);

    auto reporter = makeReporter(format, isatty(results));
    reporter->SetOutputStream(&resultsStream);
    benchmark::RunSpecifiedBenchmarks(reporter.get());
    benchmark::Shutdown();
    resultsStream.flush();
    return 0;
}
