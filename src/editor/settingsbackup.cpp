#include "editor/settingsbackup.h"

#include "app/settings.h"
#include "player/playerstate.h"

#include <QFile>
#include <QFileInfo>

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
