// Every test of this folder plays through the silent clock, whatever sound devices the
// machine has, so that playback keeps the same time everywhere.
#include <QByteArray>

namespace {
const bool silentAudio = qputenv("QUAVELO_AUDIO", QByteArray("none"));
} // namespace
