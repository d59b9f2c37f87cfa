#pragma once

#include "player/playerstate.h"

#include <QWidget>

// The player window: a borderless mini player of 146 by 217 pixels. It owns the shared
// player state, remembers its screen position and hosts the playback sequencer.
class TfrmMain : public QWidget
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

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void becameVisible();

    void placeInWorkAreaCorner();
    bool isOnSomeScreen() const;
    void keepCopyOfUninitialisedSettings() const;

    bool m_shown = false;
};
