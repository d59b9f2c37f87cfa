#pragma once

#include "midi/mediaplayer.h"

// The steps both windows take with their media player. A window's file name in the player
// says whether a tune of its own is open.

// FileName, Notify on, Open, Play. On an error the player is closed and its file name
// cleared, and the error goes on to the caller.
void StartPlayback(TMediaPlayer &player, const QString &file);

// Stop, Close, clear the file name, Notify off; nothing when no file is open. A device
// that will not stop is closed all the same.
void StopPlayback(TMediaPlayer &player);

// For OnNotify: whether the open file has played to its end; it is then closed and the
// file name cleared. Whenever a file was open, Notify is set on again.
bool TakeEndOfPlayback(TMediaPlayer &player);
