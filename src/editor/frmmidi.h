#pragma once

#include "app/cursors.h"
#include "catalogue/cataloguelist.h"
#include "editor/celltablemodel.h"
#include "editor/editorcontrols.h"
#include "editor/playlisteditor.h"
#include "editor/previewplayer.h"
#include "editor/settingsbackup.h"
#include "net/httpget.h"

#include <QDialog>
#include <QTimer>

class EditorGrid;
class TfrmMain;
class TxxComboBox;

// The settings window that the player's MENU opens modally: the whole catalogue, the
// favourites and the current play list, the player's options, a preview player for
// single tunes and the online manual. Changes reach the settings file and the player
// as they are made; Cancel puts back the copy of the settings file taken at the show.
// Tag is 1 after OK, 0 otherwise.
class TfrmMidi : public QDialog, public EditorControls
{
public:
    explicit TfrmMidi(TfrmMain *owner);
    ~TfrmMidi() override;

    int Tag = 0;

    THTTPGet HTTPGet1; // the catalogue
    QTimer timDown1;   // 50 ms: starts the catalogue's download
    QTimer timDown2;   // 50 ms: loads the catalogue

    CatalogueList Catalogue;
    PlayListEditor Editor;
    PreviewPlayer Preview;

    void btnCanClick();
    void btnPlayClick();
    // The program is leaving (a stop signal as the session ends): every box open over the
    // window answers as if cancelled, and the window cancels without asking.
    void abandon();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void connectLists();
    void connectDownloads();

    void btnOKClick();
    void btnStopClick();
    void SortCatalogue(int column);

    void FormShow();
    void becameVisible();
    void LoadOptions();
    void timDown1Timer();
    void timDown2Timer();
    void HTTPGet1Error(const THTTPGet &sender);
    void LoadCatalogue();
    void rbOptionClick(int tag, bool checked);
    void cmbWaiteChange(TxxComboBox *sender);

    void sgdMidiClick();
    void sgdListClick();
    void sgdFavClick();
    void toggleCatalogueTune();
    void scrollCatalogueToTune();
    void renameFavorite();
    void addFavorite();
    void deleteFavorite();
    void removeTune();
    void removeAllTunes();
    void moveTune(int tag);

    // The tables shown again: the catalogue's rows after a load or a sort, the two small
    // lists and the counters after every change.
    void showCatalogueRows();
    void showLists();
    void showSelectedTitle();
    void showError(const QString &message);
    void showProgress(int maximum, int position);
    std::string baseUrl() const;
    void endPreviewAndDownloads();
    void finish(int tag);

    CellTableModel m_catalogueCells;
    CellTableModel m_favoriteCells;
    CellTableModel m_tuneCells;
    EditorGrid *m_catalogueList = nullptr;
    EditorGrid *m_favoriteList = nullptr;
    EditorGrid *m_tuneList = nullptr;
    TfrmMain *m_owner;
    SettingsBackup m_backup;
    bool m_quiet = false;
    BusyCursor m_busyCursor;
    bool m_finished = false;
    bool m_abandoned = false;
};
