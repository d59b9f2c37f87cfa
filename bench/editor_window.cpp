// Header clicks in the editor window on a large catalogue: the sort, the grid shown
// again and painted, beside the same clicks on the list alone (bench_load_catalogue
// ClickHeaders). bench/editor-window runs both on one generated catalogue.
//
//   QT_QPA_PLATFORM=offscreen LC_ALL=ja_JP.UTF-8 QUAVELO_BENCH_CATALOGUE=file
//     build/bench/bench_editor_window   (one command line)
#include "catalogue/cataloguefile.h"
#include "editor/frmmidi.h"
#include "editor/headerpanel.h"
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
    // Composer then title, so that every click sorts (a click on the active header
    // would not); each click as the header panel hands it to the window.
    HeaderPanel *composer = editor.pnlHeaders[CellComposer];
    HeaderPanel *title = editor.pnlHeaders[CellTitle];
    for (auto _ : state) {
        composer->OnClick(composer);
        title->OnClick(title);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(editor.Catalogue.grid().rowCount());
    editor.btnCanClick();
}

} // namespace

BENCHMARK(ClickHeadersInTheWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
