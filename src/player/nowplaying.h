#pragma once

#include <QtGlobal>

#include <string>

class PlayerState;

// What the desktop's media controls show of the player: whether the sequence plays, and
// the current tune as the catalogue and its file describe it. Texts are CP932.
struct NowPlaying
{
    bool playing = false;
    int tuneNumber = 0; // 1-based place in the play list, 0 before the first tune
    std::string fileName;
    std::string title;
    std::string composer;
    std::string genre;
    std::string listName;
    qint64 lengthUs = -1; // known once the tune's file is there

    bool operator==(const NowPlaying &other) const = default;
};

// The current tune of the state; its length comes from the tune file when it holds the
// current tune, which it does from its download until the next one starts.
NowPlaying DescribeNowPlaying(const PlayerState &state, bool playing);
