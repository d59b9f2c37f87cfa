// CPU time to play a tune through the synth engine on the silent clock, beside
// FluidSynth's command-line player rendering the same file with the same SoundFont to a
// WAV file. Both run as child processes; their CPU seconds (user plus system) come from
// wait4, so the figures count the whole work of each. The peer's second of work is
// measured five times around our minute, two runs before and three after, and its median
// is taken: on a shared machine one short burst alone can land on a slow or a fast moment.
//
//   bench_playback [tune.mid]     without a file, a generated 60-second tune is played
#include "midi/mediaplayer.h"
#include "midi/soundfontsearch.h"
#include "support/smfwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Usage {
    double cpuSeconds = 0;
    double wallSeconds = 0;
    int status = -1;
};

Usage runChild(std::vector<std::string> args)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        std::perror(argv[0]);
        _exit(127);
    }
    Usage usage;
    rusage resources{};
    int status = 0;
    wait4(pid, &status, 0, &resources);
    usage.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    usage.cpuSeconds = double(resources.ru_utime.tv_sec + resources.ru_stime.tv_sec)
                       + double(resources.ru_utime.tv_usec + resources.ru_stime.tv_usec) / 1e6;
    usage.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return usage;
}

// The child that plays: opens the tune, plays it and leaves at the end-of-play notice,
// whose time on the steady clock (milliseconds) it prints for bench/realtime.
int play(int argc, char **argv, const QString &path)
{
    QCoreApplication app(argc, argv);
    TMediaPlayer player;
    int result = 1;
    player.OnNotify = [&](QObject *) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("end noticed at %.1f ms\n", std::chrono::duration<double, std::milli>(now).count());
        if (player.NotifyValue() == TMediaPlayer::Successful && player.Position() == player.Length())
            result = 0;
        app.quit();
    };
    player.FileName = path;
    try {
        player.Open();
        player.Play();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_playback: %s\n", error.what());
        return 1;
    }
    app.exec();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--play")
        return play(argc, argv, QString::fromLocal8Bit(argv[2]));

    QTemporaryDir work;
    std::string tune;
    if (argc > 1) {
        tune = argv[1];
    } else {
        tune = work.filePath(QStringLiteral("tune60.mid")).toStdString();
        QFile file(QString::fromStdString(tune));
        const std::string bytes = testing_support::makeTune(60);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "bench_playback: cannot write %s\n", tune.c_str());
            return 1;
        }
        file.close();
    }
    const QStringList fonts = SoundFontSearch::candidates(
        QString::fromLocal8Bit(argv[0]).section(QLatin1Char('/'), 0, -2));
    if (fonts.isEmpty()) {
        std::fprintf(stderr, "bench_playback: no General MIDI SoundFont\n");
        return 1;
    }
    const std::string font = fonts.first().toStdString();
    const std::string wav = work.filePath(QStringLiteral("out.wav")).toStdString();

    setenv("QUAVELO_AUDIO", "none", 1);
    const auto renderWithPeer = [&] { return runChild({"fluidsynth", "-ni", "-q", "-F", wav, font, tune}); };
    std::vector<Usage> peers = {renderWithPeer(), renderWithPeer()};
    const Usage ours = runChild({argv[0], "--play", tune});
    for (int i = 0; i < 3; ++i)
        peers.push_back(renderWithPeer());
    for (const Usage &peer : peers) {
        if (ours.status != 0 || peer.status != 0) {
            std::fprintf(stderr, "bench_playback: a player failed (engine %d, fluidsynth %d)\n",
                         ours.status, peer.status);
            return 1;
        }
    }
    std::sort(peers.begin(), peers.end(),
              [](const Usage &a, const Usage &b) { return a.cpuSeconds < b.cpuSeconds; });
    const Usage &peer = peers[peers.size() / 2];
    std::printf("tune %s, SoundFont %s\n", tune.c_str(), font.c_str());
    std::printf("quavelo engine, silent clock: %.3f s CPU (%.1f s wall)\n", ours.cpuSeconds,
                ours.wallSeconds);
    std::printf("fluidsynth -ni -F out.wav:    %.3f s CPU (%.1f s wall), the median of %zu runs from %.3f to %.3f s\n",
                peer.cpuSeconds, peer.wallSeconds, peers.size(), peers.front().cpuSeconds,
                peers.back().cpuSeconds);
    std::printf("ratio quavelo/fluidsynth: %.3f (target at most 1.2)\n",
                ours.cpuSeconds / peer.cpuSeconds);
    return 0;
}
