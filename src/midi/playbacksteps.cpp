#include "midi/playbacksteps.h"

void StartPlayback(TMediaPlayer &player, const QString &file)
{
    try {
        player.FileName = file;
        player.Notify = true;
        player.Open();
        player.Play();
    } catch (const EMCIDeviceError &) {
        player.Close();
        player.FileName.clear();
        throw;
    }
}

void StopPlayback(TMediaPlayer &player)
{
    if (player.FileName.isEmpty())
        return;
    try {
        player.Stop();
    } catch (const EMCIDeviceError &) {
    }
    player.Close();
    player.FileName.clear();
    player.Notify = false;
}

bool TakeEndOfPlayback(TMediaPlayer &player)
{
    if (player.FileName.isEmpty())
        return false;
    const bool ended = player.isOpen() && player.Position() == player.Length();
    if (ended) {
        player.Close();
        player.FileName.clear();
    }
    player.Notify = true;
    return ended;
}
