#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

// The state that the player window and the editor share, and the operations that load
// and store it in the settings file. Names and file names are CP932 bytes.
class PlayerState
{
public:
    QString ExeFolder;    // folder of the program's files: the executable's, or the data folder
    QString SettingsBase; // executable path without extension; + ".ini", + ".def"
    QString TuneFilePath; // the player's one tune file, ExeFolder + "/zMusic.mid"
    QString CatalogueFilePath; // the catalogue copy, ExeFolder + "/@Midi.DBF"
    QString SampleFilePath;    // the editor's preview tune, ExeFolder + "/zSample.mid"
    std::vector<std::string> FavNames; // play-list names in [MIDI_FAV] order
    int FavIndex = 0;                  // current play list, index into FavNames
    std::vector<std::string> PlayList; // tune file names of the current play list
    int TuneIndex = -1;                // current tune in PlayList, -1 before the first
    int WaitMs = 0;                    // gap between tunes
    int SkinIndex = 0;                 // 0 black, anything else white
    std::string CurrentTitle;          // catalogue title of the current tune
    std::string CurrentComposer;       // and its composer and genre, for the desktop
    std::string CurrentGenre;
    bool CatalogueReady = false;       // the catalogue was downloaded in this run

    // Called after a play list was loaded or stored, so that the player can enable
    // its buttons for it.
    std::function<void()> OnPlayListChanged;

    // Sets the folder, the settings base and the file paths for the executable at that path.
    void locate(const QString &executablePath);

    QString settingsFile() const;

    // Files kept in the data folder, because the executable's folder cannot be written
    // to, start from a copy of the settings file beside the executable when the data
    // folder has none yet, so that its play lists stay in use. Throws SettingsError when
    // that copy cannot be made; the data folder is then left without a settings file.
    void AdoptExecutableFolderSettings() const;
    // The copy of a settings file that the defaults replaced, and the editor's backup.
    QString settingsCopyFile() const;
    QString settingsBackupFile() const;

    // Removes what a run that was killed while writing left of the program's files: the
    // settings file and its copies, the catalogue copy and the two tune files. Only the
    // one running instance may call it.
    void removeLeftoverTemporaryFiles() const;

    // The name of the current play list, or nothing when FavIndex is outside FavNames.
    const std::string *currentFavName() const;

    // The first start's step for a file whose Used flag is missing or 0: the defaults
    // replace it, marked as used, in one write, so that a start cut short leaves the old
    // file or the new one. A catalogue server that the old file names stays. A file with
    // content is first copied to settingsCopyFile(); when that copy cannot be made, the
    // file stays as it is and SettingsError names the copy.
    void InitialiseSettings() const;
    void LoadWait();
    void SaveWait() const;
    void LoadFavNames();
    void SaveFavNames() const;
    // The play list at index takes the new name in [MIDI_FAV] and in its own section's
    // header, in one write, so that it never stands under a name without its tunes.
    // FavNames changes only once the file has.
    void RenameFavName(int index, const std::string &newName);
    void LoadPlayList(int index);
    void SavePlayList(int index) const;
    void LoadCurrentPlayList();
    void SaveFavIndex() const;
    void ShufflePlayList();

private:
    void playListChanged() const;
    // Copies a settings file with content to settingsCopyFile() before it is replaced;
    // false when there is nothing to keep, SettingsError naming the copy when it fails.
    bool keepSettingsCopy() const;

    QString m_executableFolderSettings; // the settings file beside the executable
};

// The section that holds the play list of that name.
std::string PlayListSection(const std::string &name);
