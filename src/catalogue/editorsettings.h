#pragma once

// The editor's hold on the settings file: the backup that Cancel puts back, and the four
// option keys behind its check boxes.

#include <QString>

#include <optional>

class PlayerState;

// The option check boxes' tags, 1 to 4, and their boolean keys of section "OPT".
enum class EditorOption { Shuffle = 1, AutoRun = 2, Minimize = 3, StayOnTop = 4 };

// The key of an option tag, or nothing for a tag that names no option.
std::optional<EditorOption> EditorOptionOfTag(int tag);
const char *EditorOptionKey(EditorOption option);

bool ReadEditorOption(const PlayerState &state, EditorOption option);
// Stored at once; a refused write throws SettingsError.
void WriteEditorOption(const PlayerState &state, EditorOption option, bool checked);

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
