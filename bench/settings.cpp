// Writing and reading back a 10,000-tune play list in a settings file that also holds 50
// other play lists, beside QSettings loading the same file.
//
//   build/bench/bench_settings
#include "app/settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::vector<std::string> tunes(int count, const std::string &stem)
{
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i)
        list.push_back(stem + std::to_string(i) + ".mid");
    return list;
}

struct SettingsFixture
{
    QTemporaryDir dir;
    QString base = dir.path() + QStringLiteral("/quavelo");

    SettingsFixture()
    {
        WriteIniBool(base, "OPT", "Used", true);
        for (int i = 0; i < 50; ++i)
            WriteIniList(base, "MIDI_list" + std::to_string(i), tunes(40, "other_tune_"), 0);
        WriteIniList(base, "MIDI_long", tunes(10000, "long_play_list_tune_"), 0);
    }
};

SettingsFixture &fixture()
{
    static SettingsFixture f;
    return f;
}

void WriteIniListLong(benchmark::State &state)
{
    const auto list = tunes(10000, "long_play_list_tune_");
    for (auto _ : state)
        WriteIniList(fixture().base, "MIDI_long", list, 0);
}

void ReadIniListLong(benchmark::State &state)
{
    std::vector<std::string> list;
    for (auto _ : state) {
        ReadIniList(fixture().base, "MIDI_long", list);
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["tunes"] = double(list.size());
}

void QSettingsLoadFile(benchmark::State &state)
{
    const QString file = SettingsFileOf(fixture().base);
    for (auto _ : state) {
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("MIDI_long"));
        benchmark::DoNotOptimize(settings.value(QStringLiteral("1")));
    }
}

} // namespace

BENCHMARK(WriteIniListLong)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIniListLong)->Unit(benchmark::kMillisecond);
BENCHMARK(QSettingsLoadFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
