#pragma once

// The editor's hold on the settings file: the backup that Cancel puts back.

#include <QString>

class PlayerState;

// SettingsBase + ".def": a copy of the settings file taken when the editor is shown.
class SettingsBackup
{
public:
    explicit SettingsBackup(PlayerState &state);

    QString path() const;

    // Copies the settings file to the backup, overwriting an older one.
    bool take();
    // Puts the backup back over the settings file, then reads the player's favourites,
    // current play list and gap from the file again, whether it was put back or not, so
    // that the player never goes on with the editor's unsaved lists. Only a backup taken
    // by this object is put back: a copy left behind by an earlier run would undo more
    // than the session. Throws SettingsError, after reading, when nothing was put back.
    void restore();
    // Deletes the backup.
    void remove();

private:
    PlayerState &m_state;
    bool m_taken = false;
};
