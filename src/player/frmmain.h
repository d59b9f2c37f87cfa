#pragma once

#include "controls/blend.h"
#include "controls/ktop.h"
#include "controls/tcolor.h"
#include "player/playbacksequencer.h"
#include "player/playerstate.h"
#include "player/sequencerview.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class SkinPicture;
class TLbSpeedButton;
class TfrmMidi;

// The colour of the MENU caption for the skin and the button's state.
TColor MenuCaptionColor(bool enabled, int skinIndex);

// The player window: a borderless mini player of 146 by 217 pixels, cut to the outline of
// its skin. It owns the shared player state, remembers its screen position, is moved by
// dragging its face and snaps to a corner of the work area after each move, and hosts the
// playback sequencer.
class TfrmMain : public QWidget, public SequencerView
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 146;
    static constexpr int ClientHeight = 217;
    static constexpr QPoint DesignPosition{263, 114};

    // executablePath decides where the settings file and the temporary files live.
    explicit TfrmMain(const QString &executablePath, QWidget *parent = nullptr);
    ~TfrmMain() override;

    PlayerState State;

    void ApplyOptions();
    void LoadSkin(int index);
    void SnapToCorner();

    // SequencerView
    void ShowStatus(const QString &text, const QColor &color, StatusStyle style) override;
    QColor statusColor() const override { return m_statusColor; }
    void setStatusColor(const QColor &color) override;
    void setListCaption(const QString &text) override;
    void setTuneCaption(const QString &text) override;
    void setProgressMaximum(int maximum) override;
    void setProgressPosition(int position) override;
    void SetControlsEnabled(bool enabled) override;
    void minimise() override { btnMinClick(); }
    void focusHiddenPanel() override;
    void reportCannotPlay(const std::exception &reason) override;
    bool runEditor() override;
    void closeEditor() override;
    void closeWindow() override { close(); }

    SkinPicture *IMG;
    QLabel *lblTTL;
    TLbSpeedButton *btnPlay;
    TLbSpeedButton *btnStop;
    TLbSpeedButton *btnMemu;
    TLbSpeedButton *btnClose;
    TLbSpeedButton *btnMin;
    TLbSpeedButton *btnNext;
    QLabel *lblNo;
    QLabel *lblLst;
    TLbSpeedButton *btnHelp;
    QProgressBar *PGB;
    QPlainTextEdit *mmMidi;
    QWidget *pnl00;
    QMenu *PopupMenu1;
    QAction *do_Shuffle;
    QAction *do_AutoRun;
    QAction *do_Black;
    QAction *do_Silver;
    QAction *do_Minimize;
    QAction *do_StayOnTop;
    TBlend Blend1;
    TKTop KTop1;
    PlaybackSequencer Sequencer;

Q_SIGNALS:
    // What the player plays, or which of its buttons it offers, may have changed.
    void nowPlayingChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createPopupMenu();
    TLbSpeedButton *createButton(const QRect &place, const char *hint, int cursor);
    QLabel *createLabel(const QRect &place, const QColor &color);

    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void becameVisible();

    void btnHelpClick();
    void btnMinClick();
    void btnCloseClick();
    void do_StayOnTopClick(QAction *item);
    void do_BlackClick(QAction *item);

    void placeInWorkAreaCorner();
    bool isOnSomeScreen() const;

    QColor m_statusColor;
    bool m_shown = false;
    QPointer<TfrmMidi> m_editor;
};
