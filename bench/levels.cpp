// The peak level of every bundled tune, rendered offline from start to silence with the
// synthesiser and sequencer that the player plays through.
//
//   bench_levels [folder]     default: the bundled catalogue's music folder
#include "midi/sequencer.h"
#include "midi/soundfontsearch.h"
#include "midi/synth.h"
#include "support/songrender.h"

#include <QDir>

#include <cstdio>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

int main(int argc, char **argv)
{
    const QDir music(argc > 1 ? QString::fromLocal8Bit(argv[1])
                              : QStringLiteral(QUAVELO_SOURCE_DIR "/server/content/11veruvodirororir/music"));
    const QStringList tunes = music.entryList({QStringLiteral("*.mid"), QStringLiteral("*.MID")}, QDir::Files, QDir::Name);
    if (tunes.isEmpty()) {
        std::fprintf(stderr, "bench_levels: no tunes in %s\n", qPrintable(music.path()));
        return 1;
    }
    try {
        const Synth synth(SoundFontSearch::candidates(QStringLiteral("/nonexistent")));
        Sequencer sequencer(synth.synth(), synth.sampleRate());
        std::vector<std::pair<double, QString>> levels;
        for (const QString &tune : tunes) {
            sequencer.setSong(std::make_shared<const MidiFile>(MidiFile::load(music.filePath(tune))));
            const auto rendered = testing_support::renderSong(sequencer, synth.synth(), synth.sampleRate(), 3600000, true);
            levels.emplace_back(testing_support::decibels(rendered.peak), tune);
            std::printf("%-24s %7.2f dBFS\n", qPrintable(tune), levels.back().first);
        }
        std::sort(levels.begin(), levels.end());
        std::printf("%zu tunes, SoundFont %s\n", levels.size(), qPrintable(synth.soundFont()));
        std::printf("quietest: %.2f dBFS (%s)\n", levels.front().first, qPrintable(levels.front().second));
        std::printf("loudest: %.2f dBFS (%s)\n", levels.back().first, qPrintable(levels.back().second));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_levels: %s\n", error.what());
        return 1;
    }
    return 0;
}
