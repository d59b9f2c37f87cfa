#pragma once

#include "app/cursors.h"

#include "catalogue/cataloguelist.h"
#include "editor/celltablemodel.h"
#include "editor/playlisteditor.h"
#include "editor/previewplayer.h"
#include "editor/settingsbackup.h"
#include "net/httpget.h"

#include <QDialog>
#include <QTimer>

#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class TfrmMain;
class TLbSpeedButton;
class TxxComboBox;
class TxxLabel;
class TxxStringGrid;
class HeaderPanel;

// The settings window that the player's MENU opens modally: the whole catalogue, the
// favourites and the current play list, the player's options, a preview player for
// single tunes and the online manual. Changes reach the settings file and the player
// as they are made; Cancel puts back the copy of the settings file taken at the show.
// Tag is 1 after OK, 0 otherwise.
class TfrmMidi : public QDialog
{
public:
    static constexpr int ClientWidth = 896;
    static constexpr int ClientHeight = 591;

    explicit TfrmMidi(TfrmMain *owner);
    ~TfrmMidi() override;

    int Tag = 0;

    QWidget *pnlTop;
    QWidget *pnlMenu;
    QWidget *pnlClass;
    QWidget *pnlMidi;

    TxxLabel *lblHELP00;
    TxxLabel *imgHELP00;
    QLabel *lblMID00;
    QLabel *lblMID01;
    TLbSpeedButton *btnOK;
    TLbSpeedButton *btnCan;

    std::array<QCheckBox *, 4> rbOptions; // rb01 to rb04, tags 1 to 4
    QLabel *lblWaite;
    TxxComboBox *cmbWaite;
    QLabel *lblSkin;
    TxxComboBox *cmbSkin;
    QProgressBar *PGB;
    TLbSpeedButton *btnPlay;
    TLbSpeedButton *btnStop;
    QLabel *lblPlay00;
    QLabel *lblPlay;
    QLabel *lblTune;

    QLabel *lblMSG;
    QLabel *lblFavNo;
    TLbSpeedButton *btnAddFav;
    TxxStringGrid *sgdFav;
    QLabel *lblFav;
    QLabel *lblLstNo;
    TLbSpeedButton *btnUp;
    TLbSpeedButton *btnDown;
    TxxStringGrid *sgdList;

    std::array<HeaderPanel *, 6> pnlHeaders; // pnl00 to pnl05
    TxxStringGrid *sgdMidi;

    QMenu *mnuMidi;
    QAction *do_Play;
    QAction *do_Stop;
    QMenu *mnuFav;
    QAction *do_Rename;
    QAction *do_AddFav;
    QAction *do_DelFav;
    QMenu *mnuList;
    QAction *do_Play1;
    QAction *do_Stop1;
    QAction *do_DelList;
    QAction *do_DelAll;

    THTTPGet HTTPGet1; // the catalogue
    QTimer timDown1;   // 50 ms: starts the catalogue's download
    QTimer timDown2;   // 50 ms: loads the catalogue

    CatalogueList Catalogue;
    PlayListEditor Editor;
    PreviewPlayer Preview;

    void btnOKClick();
    void btnCanClick();
    void btnPlayClick();
    void btnStopClick();
    void SortCatalogue(int column);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createTopPanel();
    void createMenuPanel();
    void createClassPanel();
    void createMidiPanel();
    void createMenus();
    TxxStringGrid *createGrid(QWidget *parent, const QRect &place, CellTableModel &cells);
    TxxComboBox *createCombo(const QRect &place, int tag, const QStringList &items);
    TLbSpeedButton *createButton(QWidget *parent, const QRect &place, const QString &caption);

    void FormShow();
    void becameVisible();
    void LoadOptions();
    void timDown1Timer();
    void timDown2Timer();
    void showProgress(int maximum, int position);
    void HTTPGet1Error(const THTTPGet &sender);
    void LoadCatalogue();
    void lblHELP00Click();
    void rbOptionClick(int tag, bool checked);
    void cmbWaiteChange(TxxComboBox *sender);
    void cmbWaiteDrawItem(TxxComboBox *sender, int index, QPainter &canvas, const QRect &rect,
                          int state);

    void sgdMidiDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected);
    void sgdFavDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected);
    void sgdListDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected);
    void gridMouseWheel(TxxStringGrid *grid, int wheel);
    bool gridMouse(TxxStringGrid *grid, QEvent *event);
    bool gridKey(TxxStringGrid *grid, int key);
    void gridRowMoved(TxxStringGrid *grid, int row);
    void gridActivated(TxxStringGrid *grid);

    void sgdMidiClick();
    void sgdListClick();
    void sgdFavClick();
    void toggleCatalogueTune();
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
    void selectRowQuietly(TxxStringGrid *grid, int row);
    void showSelectedTitle();
    void showError(const QString &message);
    std::string baseUrl() const;
    void endPreviewAndDownloads();
    void finish(int tag);

    CellTableModel m_catalogueCells;
    CellTableModel m_favoriteCells;
    CellTableModel m_tuneCells;
    TfrmMain *m_owner;
    SettingsBackup m_backup;
    bool m_quiet = false;
    BusyCursor m_busyCursor;
    bool m_finished = false;
};
