#include "player/playerstate.h"

#include "app/atomicfile.h"
#include "app/inidocument.h"
#include "app/settings.h"
#include "player/playeroptions.h"
#include "player/shuffle.h"

#include <QFileInfo>

#include <utility>

void PlayerState::locate(const QString &executablePath)
{
    const QFileInfo executable(executablePath);
    ExeFolder = ProgramFilesFolder(executable.absolutePath());
    SettingsBase = SettingsBaseOf(ExeFolder + QLatin1Char('/') + executable.fileName());
    m_executableFolderSettings = SettingsFileOf(SettingsBaseOf(executable.absoluteFilePath()));
    TuneFilePath = ExeFolder + QStringLiteral("/zMusic.mid");
    CatalogueFilePath = ExeFolder + QStringLiteral("/@Midi.DBF");
    SampleFilePath = ExeFolder + QStringLiteral("/zSample.mid");
}

QString PlayerState::settingsFile() const
{
    return SettingsFileOf(SettingsBase);
}

QString PlayerState::settingsCopyFile() const
{
    return settingsFile() + QStringLiteral(".bak");
}

QString PlayerState::settingsBackupFile() const
{
    return SettingsBase + QStringLiteral(".def");
}

void PlayerState::AdoptExecutableFolderSettings() const
{
    const QFileInfo settings(settingsFile());
    const QFileInfo executableFolderSettings(m_executableFolderSettings);
    if (!executableFolderSettings.isFile() || !executableFolderSettings.isReadable()
        || settings.absoluteFilePath() == executableFolderSettings.absoluteFilePath())
        return;
    if (settings.exists() && ReadIniBool(SettingsBase, "OPT", "Used", false))
        return;
    // A file never marked as used (one that a start whose copy failed left behind, say)
    // would be replaced by the defaults: the program folder's settings replace it, kept
    // first as the first start keeps it.
    keepSettingsCopy();
    if (!atomicfile::copyFile(executableFolderSettings.filePath(), settings.filePath()))
        throw SettingsError::cannotCreate(settings.absoluteFilePath());
}

void PlayerState::removeLeftoverTemporaryFiles() const
{
    for (const QString &path : {settingsFile(), settingsCopyFile(), settingsBackupFile(), CatalogueFilePath,
                                TuneFilePath, SampleFilePath})
        atomicfile::removeLeftovers(path);
}

const std::string *PlayerState::currentFavName() const
{
    if (FavIndex < 0 || std::size_t(FavIndex) >= FavNames.size())
        return nullptr;
    return &FavNames[std::size_t(FavIndex)];
}

std::string PlayListSection(const std::string &name)
{
    return "MIDI_" + name;
}

bool PlayerState::keepSettingsCopy() const
{
    const QFileInfo settings(settingsFile());
    if (!settings.isFile() || settings.size() == 0)
        return false;
    if (!atomicfile::copyFile(settings.filePath(), settingsCopyFile()))
        throw SettingsError::cannotCreate(QFileInfo(settingsCopyFile()).absoluteFilePath());
    return true;
}

void PlayerState::InitialiseSettings() const
{
    const QString path = settingsFile();
    const QFileInfo settings(path);
    const std::string server = keepSettingsCopy() ? ReadIniString(SettingsBase, "OPT", "Server", "") : std::string();
    const auto defaults = atomicfile::readAll(QStringLiteral(":/setup.ini"));
    if (!defaults)
        throw SettingsError::cannotCreate(settings.absoluteFilePath());
    IniDocument document(*defaults);
    document.setValue("OPT", "Used", "1");
    if (!server.empty())
        document.setValue("OPT", "Server", server);
    if (!atomicfile::writeAll(path, document.toString()))
        throw SettingsError::cannotCreate(settings.absoluteFilePath());
}

void PlayerState::LoadWait()
{
    WaitMs = ReadIniInt(SettingsBase, "OPT", "Waite", 0);
}

void PlayerState::SaveWait() const
{
    WriteIniInt(SettingsBase, "OPT", "Waite", WaitMs);
}

void PlayerState::LoadFavNames()
{
    ReadIniList(SettingsBase, "MIDI_FAV", FavNames);
}

void PlayerState::SaveFavNames() const
{
    WriteIniList(SettingsBase, "MIDI_FAV", FavNames, 0);
}

void PlayerState::RenameFavName(int index, const std::string &newName)
{
    std::vector<std::string> names = FavNames;
    const std::string oldName = std::exchange(names.at(std::size_t(index)), newName);
    EditIniFile(SettingsBase, [&](IniDocument &document) {
        document.replaceListSection("MIDI_FAV", names);
        document.renameSection(PlayListSection(oldName), PlayListSection(newName));
        return true;
    });
    FavNames = std::move(names);
}

void PlayerState::LoadPlayList(int index)
{
    if (index >= 0 && std::size_t(index) < FavNames.size())
        ReadIniList(SettingsBase, PlayListSection(FavNames[std::size_t(index)]), PlayList);
    else
        PlayList.clear();
    playListChanged();
}

void PlayerState::SavePlayList(int index) const
{
    if (index >= 0 && std::size_t(index) < FavNames.size())
        WriteIniList(SettingsBase, PlayListSection(FavNames[std::size_t(index)]), PlayList, 0);
    playListChanged();
}

void PlayerState::LoadCurrentPlayList()
{
    FavIndex = ReadIniInt(SettingsBase, "OPT", "FavNo", 0);
    // A FavNo left over from a deleted play list falls back to the first one.
    if (!currentFavName())
        FavIndex = 0;
    LoadPlayList(FavIndex);
    ShufflePlayList();
}

void PlayerState::SaveFavIndex() const
{
    WriteIniInt(SettingsBase, "OPT", "FavNo", FavIndex);
}

void PlayerState::ShufflePlayList()
{
    if (ReadPlayerOption(SettingsBase, PlayerOption::Shuffle))
        ShuffleMoveToFront(PlayList, ShuffleSeedNow());
}

void PlayerState::playListChanged() const
{
    if (OnPlayListChanged)
        OnPlayListChanged();
}
