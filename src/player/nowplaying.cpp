#include "player/nowplaying.h"

#include "midi/midifile.h"
#include "player/playerstate.h"

#include <QFile>

NowPlaying DescribeNowPlaying(const PlayerState &state, bool playing)
{
    NowPlaying now;
    now.playing = playing;
    if (const std::string *listName = state.currentFavName())
        now.listName = *listName;
    if (state.TuneIndex < 0 || std::size_t(state.TuneIndex) >= state.PlayList.size())
        return now;
    now.tuneNumber = state.TuneIndex + 1;
    now.fileName = state.PlayList[std::size_t(state.TuneIndex)];
    now.title = state.CurrentTitle;
    now.composer = state.CurrentComposer;
    now.genre = state.CurrentGenre;
    if (QFile::exists(state.TuneFilePath)) {
        try {
            now.lengthUs = MidiFile::load(state.TuneFilePath).lengthUs();
        } catch (const MidiFileError &) {
            // a file that cannot be read has no length to show
        }
    }
    return now;
}
