// Loading a whole catalogue into the editor's list: read, split, fill, the genre sort with
// each genre ordered by title, and the marks and rows of a 50-tune play list; and two
// header clicks on the loaded list.
//
//   LC_ALL=ja_JP.UTF-8 QUAVELO_BENCH_CATALOGUE=file build/bench/bench_load_catalogue
// bench/load-catalogue generates the file and runs GNU sort beside it.
#include "catalogue/cataloguefile.h"
#include "editor/playlisteditor.h"
#include "player/playerstate.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

void LoadCatalogue(benchmark::State &state)
{
    const char *path = std::getenv("QUAVELO_BENCH_CATALOGUE");
    if (!path) {
        state.SkipWithError("QUAVELO_BENCH_CATALOGUE names no catalogue file");
        return;
    }
    PlayerState player;
    // Tune names as tools/synthetic-catalogue writes them, spread over the catalogue.
    for (int i = 0; i < 50; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "tune%06d.mid", i * 1999);
        player.PlayList.emplace_back(name);
    }
    player.WaitMs = 2000;
    CatalogueList list;
    PlayListEditor editor(player, list);
    for (auto _ : state) {
        if (!editor.LoadCatalogue(QString::fromLocal8Bit(path))) {
            state.SkipWithError("the catalogue file cannot be read");
            return;
        }
        benchmark::DoNotOptimize(list.grid().cell(0, CellTitle).data());
    }
    state.counters["rows"] = double(list.grid().rowCount());
    state.counters["listed"] = double(editor.tunes().rowCount());
}

// A header click on a loaded catalogue: composer then title, one after the other, so that
// every iteration sorts (a click on the active header would not).
void ClickHeaders(benchmark::State &state)
{
    const char *path = std::getenv("QUAVELO_BENCH_CATALOGUE");
    CatalogueList list;
    if (!path || !list.loadFile(QString::fromLocal8Bit(path))) {
        state.SkipWithError("QUAVELO_BENCH_CATALOGUE names no readable catalogue file");
        return;
    }
    for (auto _ : state) {
        list.SortCatalogue(CellComposer);
        list.SortCatalogue(CellTitle);
        benchmark::DoNotOptimize(list.grid().cell(0, CellTitle).data());
    }
}

} // namespace

BENCHMARK(LoadCatalogue)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ClickHeaders)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    // QLocale::system() follows LC_ALL / LANG, so the sort collates as the user's locale does.
    std::setlocale(LC_ALL, "");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
