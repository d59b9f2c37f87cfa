// Downloading one file with THTTPGet, the way the player fetches a tune.
//
//   QUAVELO_BENCH_URL=http://127.0.0.1:port/music/tune.mid build/bench/bench_download
// bench/download serves a 100 KB tune with quavelo-catalogue and runs curl beside it.
#include "net/httpget.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void DownloadTune(benchmark::State &state)
{
    const char *url = std::getenv("QUAVELO_BENCH_URL");
    if (!url) {
        state.SkipWithError("QUAVELO_BENCH_URL names no file to download");
        return;
    }
    QTemporaryDir dir;
    THTTPGet get;
    get.URL = url;
    get.FileName = (dir.path() + QStringLiteral("/tune.mid")).toStdString();
    int size = 0;
    bool failed = false;
    // The player follows progress to draw its bar; the handler is part of the cost.
    get.OnProgress = [](THTTPGet *, int, int readed) { benchmark::DoNotOptimize(readed); };
    get.OnDoneFile = [&](THTTPGet *, QObject *, const std::string &, int fileSize) { size = fileSize; };
    get.OnError = [&](THTTPGet *, QObject *) { failed = true; };
    for (auto _ : state) {
        get.Download();
        if (failed) {
            state.SkipWithError("the download failed");
            return;
        }
    }
    state.counters["bytes"] = size;
}

} // namespace

BENCHMARK(DownloadTune)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
