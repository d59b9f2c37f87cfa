#pragma once

#include <QtGlobal>

#include <array>

class QAbstractItemModel;
class QAction;
class QColor;
class QCheckBox;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QWidget;
class HeaderPanel;
class TLbSpeedButton;
class TxxComboBox;
class TxxLabel;
class TxxStringGrid;

// The controls of the editor window, laid out as the window shows them: four panels with
// their labels, buttons, option boxes, combo boxes and grids, the catalogue's header
// panels and the three context menus. Building them sets their places, captions, tags,
// colours, fonts, hints and cursors; what they do is the window's wiring.
class EditorControls
{
public:
    static constexpr int ClientWidth = 896;
    static constexpr int ClientHeight = 591;

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

    std::array<HeaderPanel *, 6> pnlHeaders; // pnl00 to pnl05, tags 0 to 5
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

protected:
    // Builds every control into the window; each grid shows the model given for it.
    void setupControls(QDialog *window, QAbstractItemModel *catalogue, QAbstractItemModel *favorites,
                       QAbstractItemModel *tunes);

private:
    void setupTopPanel(QDialog *window);
    void setupMenuPanel(QDialog *window);
    void setupClassPanel(QDialog *window, QAbstractItemModel *favorites, QAbstractItemModel *tunes);
    void setupMidiPanel(QDialog *window, QAbstractItemModel *catalogue);
    void setupMenus(QDialog *window);
};

// The colour of a label's or a link's text.
void SetTextColour(QWidget *widget, const QColor &colour);
