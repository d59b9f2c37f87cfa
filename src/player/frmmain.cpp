#include "player/frmmain.h"

#include "app/application.h"
#include "app/settings.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

TfrmMain::TfrmMain(const QString &executablePath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Quavelo"));
    setFixedSize(ClientWidth, ClientHeight);
    move(DesignPosition);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 255));
    setPalette(pal);
    setAutoFillBackground(true);
    QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
    face.setPixelSize(12);
    setFont(face);

    State.locate(executablePath);
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate()
{
    try {
        if (ReadIniBool(State.SettingsBase, "OPT", "Used", false)) {
            ReadFormPos(State.SettingsBase, "OPT", "Main", this);
            // The display may have changed since the position was saved.
            if (!isOnSomeScreen())
                placeInWorkAreaCorner();
            return;
        }
        keepCopyOfUninitialisedSettings();
        State.WriteDefaultSettings();
        placeInWorkAreaCorner();
        WriteIniBool(State.SettingsBase, "OPT", "Used", true);
    } catch (const SettingsError &error) {
        ReportError(error);
    }
}

// A file whose Used flag is missing or 0 is replaced by the defaults; keep what it held
// so that its play lists can be got back.
void TfrmMain::keepCopyOfUninitialisedSettings() const
{
    const QString path = State.settingsFile();
    if (QFile(path).size() > 0)
        CopyFileOver(path, path + QStringLiteral(".bak"), true);
}

void TfrmMain::placeInWorkAreaCorner()
{
    int right = x() + width();
    int bottom = y() + height();
    GetWorkAreaExtent(right, bottom);
    move(right - width(), bottom - height());
}

bool TfrmMain::isOnSomeScreen() const
{
    return QGuiApplication::screenAt(geometry().center()) != nullptr;
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
    becameVisible();
}

void TfrmMain::FormShow()
{
    QGuiApplication::setApplicationDisplayName(windowTitle());
    QFile::remove(State.TuneFilePath);
    State.CatalogueReady = false;
    State.TuneIndex = -1;
    State.FavIndex = 0;
}

void TfrmMain::becameVisible()
{
    repaint();
    State.LoadFavNames();
    State.LoadCurrentPlayList();
    State.LoadWait();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
}

// Closing always goes through, also when the position cannot be saved: the error is
// shown and the temporary files are removed all the same.
void TfrmMain::FormCloseQuery()
{
    QFile::remove(State.TuneFilePath);
    try {
        WriteFormPos(State.SettingsBase, "OPT", "Main", this);
    } catch (const SettingsError &error) {
        ReportError(error);
    }
    QFile::remove(State.ExeFolder + QStringLiteral("/@Midi.MDX"));
}
