// Header clicks in the editor window on a large catalogue: the sort and the grid shown
// again, beside the same clicks on the list alone (bench_load_catalogue ClickHeaders).
//
//   tools/synthetic-catalogue 100000 /tmp/cat.dbf
//   QT_QPA_PLATFORM=offscreen LC_ALL=ja_JP.UTF-8 QUAVELO_BENCH_CATALOGUE=/tmp/cat.dbf
//     build/bench/bench_editor_window   (one command line)
#include "catalogue/cataloguefile.h"
#include "editor/frmmidi.h"
#include "player/frmmain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdlib>

namespace {

void ClickHeadersInTheWindow(benchmark::State &state)
{
    const char *path = std::getenv("QUAVELO_BENCH_CATALOGUE");
    QTemporaryDir dir;
    if (!path || !QFile::copy(QString::fromLocal8Bit(path), dir.path() + QStringLiteral("/@Midi.DBF"))) {
        state.SkipWithError("QUAVELO_BENCH_CATALOGUE names no readable catalogue file");
        return;
    }
    TfrmMain player(dir.path() + QStringLiteral("/quavelo"));
    player.State.LoadFavNames();
    player.State.LoadCurrentPlayList();
    player.State.CatalogueReady = true;
    TfrmMidi editor(&player);
    editor.show();
    while (editor.Catalogue.ActiveColumn == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (auto _ : state) {
        editor.SortCatalogue(CellComposer);
        editor.SortCatalogue(CellTitle);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(editor.Catalogue.grid().rowCount());
    editor.btnCanClick();
}

} // namespace

BENCHMARK(ClickHeadersInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
