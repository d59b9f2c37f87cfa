// Reading and splitting a whole catalogue file into rows of eight cells.
//
//   QUAVELO_BENCH_CATALOGUE=file build/bench/bench_catalogue_split
// bench/catalogue-split generates the file and runs Python's csv module beside it.
#include "app/atomicfile.h"
#include "catalogue/cataloguefile.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void SplitCatalogue(benchmark::State &state)
{
    const char *path = std::getenv("QUAVELO_BENCH_CATALOGUE");
    if (!path) {
        state.SkipWithError("QUAVELO_BENCH_CATALOGUE names no catalogue file");
        return;
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        auto content = atomicfile::readAll(QString::fromLocal8Bit(path));
        const CatalogueTable table(std::move(content).value_or(std::string()));
        rows = table.rowCount();
        benchmark::DoNotOptimize(table.cell(rows - 1, CellFileName).data());
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(SplitCatalogue)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
