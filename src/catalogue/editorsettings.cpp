#include "catalogue/editorsettings.h"

#include "app/settings.h"
#include "player/playerstate.h"

#include <QFile>
#include <QFileInfo>

std::optional<EditorOption> EditorOptionOfTag(int tag)
{
    if (tag < int(EditorOption::Shuffle) || tag > int(EditorOption::StayOnTop))
        return std::nullopt;
    return EditorOption(tag);
}

const char *EditorOptionKey(EditorOption option)
{
    switch (option) {
    case EditorOption::Shuffle:
        return "Shuffle";
    case EditorOption::AutoRun:
        return "AutoRun";
    case EditorOption::Minimize:
        return "Minimize";
    case EditorOption::StayOnTop:
        return "StayOnTop";
    }
    return "";
}

bool ReadEditorOption(const PlayerState &state, EditorOption option)
{
    return ReadIniBool(state.SettingsBase, "OPT", EditorOptionKey(option), false);
}

void WriteEditorOption(const PlayerState &state, EditorOption option, bool checked)
{
    WriteIniBool(state.SettingsBase, "OPT", EditorOptionKey(option), checked);
}

SettingsBackup::SettingsBackup(PlayerState &state)
    : m_state(state)
{
}

QString SettingsBackup::path() const
{
    return m_state.settingsBackupFile();
}

bool SettingsBackup::take()
{
    m_taken = CopyFileOver(m_state.settingsFile(), path(), true);
    return m_taken;
}

void SettingsBackup::restore()
{
    const bool restored = m_taken && CopyFileOver(path(), m_state.settingsFile(), true);
    m_state.LoadFavNames();
    m_state.LoadCurrentPlayList();
    m_state.LoadWait();
    if (!m_taken)
        throw SettingsError::cannotCreate(QFileInfo(path()).absoluteFilePath());
    if (!restored)
        throw SettingsError::cannotWrite(QFileInfo(m_state.settingsFile()).absoluteFilePath());
}

void SettingsBackup::remove()
{
    QFile::remove(path());
    m_taken = false;
}
