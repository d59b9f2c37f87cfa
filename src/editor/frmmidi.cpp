#include "editor/frmmidi.h"

#include "app/application.h"
#include "app/settings.h"
#include "app/text.h"
#include "catalogue/cataloguehost.h"
#include "controls/lbspeedbutton.h"
#include "controls/xxcombobox.h"
#include "controls/xxlabel.h"
#include "controls/xxstringgrid.h"
#include "dialogs/frmconfirm.h"
#include "dialogs/frminput.h"
#include "editor/editorgrid.h"
#include "editor/headerpanel.h"
#include "player/frmmain.h"
#include "player/playeroptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>
#include <stdexcept>

using text::fromCp932;

TfrmMidi::TfrmMidi(TfrmMain *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
    , Catalogue()
    , Editor(owner->State, Catalogue)
    , Preview(owner->State.SampleFilePath, owner->State.TuneFilePath)
    , m_catalogueCells(Catalogue.grid())
    , m_favoriteCells(Editor.favorites())
    , m_tuneCells(Editor.tunes())
    , m_owner(owner)
    , m_backup(owner->State)
{
    setupControls(this, &m_catalogueCells, &m_favoriteCells, &m_tuneCells);
    lblTune->setText(Catalogue.tuneCountText());
    lblFavNo->setText(Editor.favoriteCountText());
    lblLstNo->setText(Editor.tuneCountText());
    connectControls();
    connectLists();
    connectDownloads();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));
}

TfrmMidi::~TfrmMidi()
{
    qApp->removeEventFilter(this);
}

void TfrmMidi::connectControls()
{
    for (TxxLabel *link : {imgHELP00, lblHELP00})
        link->OnClick = [this](TxxLabel *) { OpenOnlineManual(m_owner->State.SettingsBase); };
    btnOK->OnClick = [this](TLbSpeedButton *) { btnOKClick(); };
    btnCan->OnClick = [this](TLbSpeedButton *) { btnCanClick(); };
    btnPlay->OnClick = [this](TLbSpeedButton *) { btnPlayClick(); };
    btnStop->OnClick = [this](TLbSpeedButton *) { btnStopClick(); };
    btnAddFav->OnClick = [this](TLbSpeedButton *) { addFavorite(); };
    for (TLbSpeedButton *button : {btnUp, btnDown})
        button->OnClick = [this](TLbSpeedButton *sender) { moveTune(sender->Tag); };

    for (int i = 0; i < int(rbOptions.size()); ++i) {
        const int tag = i + 1;
        connect(rbOptions[std::size_t(i)], &QCheckBox::clicked, this,
                [this, tag](bool checked) { rbOptionClick(tag, checked); });
    }
    for (TxxComboBox *combo : {cmbWaite, cmbSkin}) {
        combo->OnChange = [this](TxxComboBox *sender) { cmbWaiteChange(sender); };
        combo->OnCloseUp = [this](TxxComboBox *) { sgdMidi->setFocus(); };
        combo->OnDrawItem = PaintOptionComboItem;
    }
    for (HeaderPanel *panel : pnlHeaders) {
        if (panel->Tag > 0)
            panel->OnClick = [this](HeaderPanel *sender) { SortCatalogue(sender->Tag); };
    }

    connect(do_Play, &QAction::triggered, this, [this] {
        sgdMidiClick();
        btnPlayClick();
    });
    connect(do_Play1, &QAction::triggered, this, [this] {
        sgdListClick();
        btnPlayClick();
    });
    for (QAction *stop : {do_Stop, do_Stop1})
        connect(stop, &QAction::triggered, this, &TfrmMidi::btnStopClick);
    connect(do_Rename, &QAction::triggered, this, &TfrmMidi::renameFavorite);
    connect(do_AddFav, &QAction::triggered, this, &TfrmMidi::addFavorite);
    connect(do_DelFav, &QAction::triggered, this, &TfrmMidi::deleteFavorite);
    connect(do_DelList, &QAction::triggered, this, &TfrmMidi::removeTune);
    connect(do_DelAll, &QAction::triggered, this, &TfrmMidi::removeAllTunes);
}

void TfrmMidi::connectLists()
{
    GridBehaviour catalogue;
    catalogue.paint = [this](const CellPaint &paint, int row, int column) {
        PaintCatalogueCell(paint, Catalogue, row, column);
    };
    catalogue.select = [this](int row) { Catalogue.selectRow(row); };
    catalogue.selectionStep = [this] { sgdMidiClick(); };
    catalogue.activate = [this] { toggleCatalogueTune(); };
    catalogue.left = sgdList;
    catalogue.menu = mnuMidi;
    m_catalogueList = new EditorGrid(sgdMidi, Catalogue.grid(), std::move(catalogue));

    GridBehaviour favorites;
    favorites.paint = [this](const CellPaint &paint, int row, int column) {
        PaintFavoriteCell(paint, Editor.favorites(), row, column);
    };
    favorites.select = [this](int row) { Editor.selectFavoriteRow(row); };
    favorites.selectionStep = [this] { sgdFavClick(); };
    favorites.activate = [this] { renameFavorite(); };
    favorites.remove = [this] { deleteFavorite(); };
    favorites.right = sgdMidi;
    favorites.menu = mnuFav;
    m_favoriteList = new EditorGrid(sgdFav, Editor.favorites(), std::move(favorites));

    GridBehaviour tunes;
    tunes.paint = [this](const CellPaint &paint, int row, int column) {
        PaintTuneCell(paint, Editor.tunes(), row, column);
    };
    tunes.select = [this](int row) { Editor.selectTuneRow(row); };
    tunes.selectionStep = [this] { sgdListClick(); };
    tunes.activate = [this] { scrollCatalogueToTune(); };
    tunes.remove = [this] { removeTune(); };
    tunes.right = sgdMidi;
    tunes.menu = mnuList;
    m_tuneList = new EditorGrid(sgdList, Editor.tunes(), std::move(tunes));
}

void TfrmMidi::connectDownloads()
{
    HTTPGet1.OnProgress = [this](THTTPGet *, int total, int readed) { showProgress(total, readed); };
    // A download that a closing window cancelled may still have completed.
    HTTPGet1.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) {
        if (!m_finished)
            timDown2.start();
    };
    HTTPGet1.OnError = [this](THTTPGet *sender, QObject *) { HTTPGet1Error(*sender); };
    timDown1.setInterval(50);
    connect(&timDown1, &QTimer::timeout, this, &TfrmMidi::timDown1Timer);
    timDown2.setInterval(50);
    connect(&timDown2, &QTimer::timeout, this, &TfrmMidi::timDown2Timer);

    Preview.OnTitle = [this](const QString &title) { lblPlay->setText(title); };
    Preview.OnTitleColor = [this](const QColor &color) { SetTextColour(lblPlay, color); };
    Preview.OnProgress = [this](int maximum, int position) { showProgress(maximum, position); };
    Preview.OnError = [this](const QString &message) { showError(message); };
}

// Showing ----------------------------------------------------------------------------

void TfrmMidi::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    m_owner->SetControlsEnabled(false);
    becameVisible();
}

void TfrmMidi::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_owner->SetControlsEnabled(false);
}

void TfrmMidi::FormShow()
{
    // Without the copy, Cancel could not undo what is changed here: the user hears so now.
    if (!m_backup.take())
        ReportError(SettingsError::cannotCreate(QFileInfo(m_backup.path()).absoluteFilePath()));
    cmbWaite->setItemIndex(std::clamp(m_owner->State.WaitMs / 1000, 0, 9));
    Editor.EditorModified = false;
    PGB->setValue(0);
    Editor.SelectedFile.clear();
    Editor.SelectedTitle.clear();
    Tag = 0;
    m_finished = false;
    // The window sees every key before the focused control.
    qApp->installEventFilter(this);
}

void TfrmMidi::becameVisible()
{
    repaint();
    Editor.loadFavorites();
    LoadOptions();
    showLists();
    (m_owner->State.CatalogueReady ? timDown2 : timDown1).start();
    sgdMidi->setFocus();
}

void TfrmMidi::LoadOptions()
{
    m_quiet = true;
    cmbSkin->setItemIndex(std::clamp(m_owner->State.SkinIndex, 0, 1));
    for (int tag = 1; tag <= int(rbOptions.size()); ++tag)
        rbOptions[std::size_t(tag - 1)]->setChecked(ReadPlayerOption(m_owner->State.SettingsBase, PlayerOption(tag)));
    m_quiet = false;
}

std::string TfrmMidi::baseUrl() const
{
    return CatalogueBaseUrl(m_owner->State.SettingsBase);
}

// The catalogue -----------------------------------------------------------------------

void TfrmMidi::timDown1Timer()
{
    timDown1.stop();
    m_busyCursor.setBusy(true);
    HTTPGet1.FileName = QFile::encodeName(m_owner->State.CatalogueFilePath).toStdString();
    HTTPGet1.URL = baseUrl() + "@Midi.DBF";
    HTTPGet1.Download();
}

void TfrmMidi::timDown2Timer()
{
    m_busyCursor.setBusy(false);
    timDown2.stop();
    PGB->setValue(0);
    m_owner->State.CatalogueReady = true;
    LoadCatalogue();
}

void TfrmMidi::HTTPGet1Error(const THTTPGet &sender)
{
    PGB->setValue(0);
    m_busyCursor.setBusy(false);
    if (m_finished)
        return;
    // A failed fetch never touches the copy on disk, so the last good catalogue is
    // still there to work with.
    if (QFile::exists(m_owner->State.CatalogueFilePath))
        LoadCatalogue();
    showError(DownloadErrorText(sender));
}

void TfrmMidi::LoadCatalogue()
{
    const QString &path = m_owner->State.CatalogueFilePath;
    const bool loaded = Editor.LoadCatalogue(path);
    showCatalogueRows();
    lblTune->setText(Catalogue.tuneCountText());
    showLists();
    showSelectedTitle();
    if (!loaded)
        ReportError(std::runtime_error(QStringLiteral("%1 を開けません").arg(path).toStdString()));
}

void TfrmMidi::SortCatalogue(int column)
{
    if (Catalogue.SortCatalogue(column))
        showCatalogueRows();
}

void TfrmMidi::showCatalogueRows()
{
    m_catalogueCells.rowsReplaced();
    m_catalogueList->showSelection();
    for (HeaderPanel *panel : pnlHeaders)
        panel->setActiveLook(panel->Tag > 0 && panel->Tag == Catalogue.ActiveColumn);
}

void TfrmMidi::showLists()
{
    m_favoriteCells.rowsReplaced();
    m_tuneCells.rowsReplaced();
    m_favoriteList->showSelection();
    m_tuneList->showSelection();
    lblFavNo->setText(Editor.favoriteCountText());
    lblLstNo->setText(Editor.tuneCountText());
    // The marks of the catalogue may have changed with the play list.
    sgdMidi->viewport()->update();
}

void TfrmMidi::showSelectedTitle()
{
    QFont bold = lblMID01->font();
    bold.setBold(true);
    lblMID01->setFont(bold);
    SetTextColour(lblMID01, Qt::blue);
    lblMID01->setText(fromCp932(Editor.SelectedTitle));
}

void TfrmMidi::showError(const QString &message)
{
    SetTextColour(lblMID01, Qt::red);
    lblMID01->setText(message);
}

void TfrmMidi::showProgress(int maximum, int position)
{
    PGB->setMaximum(std::max(maximum, 1));
    PGB->setValue(std::clamp(position, 0, PGB->maximum()));
}

// The lists ---------------------------------------------------------------------------

void TfrmMidi::sgdMidiClick()
{
    Editor.selectCatalogueTune(Catalogue.grid().selectedRow());
    showSelectedTitle();
}

void TfrmMidi::sgdListClick()
{
    Editor.selectPlayListTune(Editor.tunes().selectedRow());
    showSelectedTitle();
}

void TfrmMidi::sgdFavClick()
{
    if (Editor.switchFavorite(Editor.favorites().selectedRow()))
        showLists();
    else
        m_favoriteList->showSelection();
}

void TfrmMidi::toggleCatalogueTune()
{
    Editor.toggleCatalogueTune();
    showLists();
    showSelectedTitle();
}

void TfrmMidi::scrollCatalogueToTune()
{
    if (Editor.scrollCatalogueToTune())
        m_catalogueList->showSelection();
}

void TfrmMidi::renameFavorite()
{
    const int row = Editor.favorites().selectedRow();
    TfrmInput dialog(this, m_owner->State.FavNames);
    dialog.lblTitle->setText(QStringLiteral("名前の変更"));
    dialog.edtInp->setText(fromCp932(Editor.favorites().cell(row, FavoriteName)));
    dialog.exec();
    if (dialog.Tag != 1)
        return;
    Editor.renameFavorite(dialog.NameCp932());
    showLists();
}

void TfrmMidi::addFavorite()
{
    TfrmInput dialog(this, m_owner->State.FavNames);
    dialog.lblTitle->setText(QStringLiteral("お気に入りの追加"));
    dialog.edtInp->setText(QStringLiteral("新規"));
    dialog.exec();
    if (dialog.Tag != 1)
        return;
    Editor.addFavorite(dialog.NameCp932());
    showLists();
}

void TfrmMidi::deleteFavorite()
{
    if (m_owner->State.FavNames.size() < 2) {
        AskConfirm(this, QStringLiteral("お気に入りの削除"), TfrmConfirm::KindNotice,
                   QStringLiteral("お気に入りは最低１つ必要です！！\r\rこのお気に入りは削除できません。"));
        return;
    }
    if (AskConfirm(this, QStringLiteral("お気に入りの削除"), TfrmConfirm::KindQuestion,
                   QStringLiteral("お気に入りを削除します！！\r\rよろしいですか？"))
        != TfrmConfirm::ResultYes)
        return;
    Editor.deleteFavorite();
    showLists();
}

void TfrmMidi::removeTune()
{
    Editor.removeTune();
    showLists();
}

void TfrmMidi::removeAllTunes()
{
    if (AskConfirm(this, QStringLiteral("リストの全削除"), TfrmConfirm::KindQuestion,
                   QStringLiteral("プレイリストを全削除します！！\r\rよろしいですか？"))
            != TfrmConfirm::ResultYes
        || AskConfirm(this, QStringLiteral("プレイリストの全削除"), TfrmConfirm::KindQuestion,
                      QStringLiteral("本当に、よろしいですか？"))
            != TfrmConfirm::ResultYes)
        return;
    Editor.removeAllTunes();
    showLists();
}

void TfrmMidi::moveTune(int tag)
{
    if (Editor.moveTune(tag == 1 ? PlayListEditor::Direction::Up : PlayListEditor::Direction::Down))
        showLists();
}

// Options, gap and skin ---------------------------------------------------------------

void TfrmMidi::rbOptionClick(int tag, bool checked)
{
    const std::optional<PlayerOption> option = PlayerOptionOfTag(tag);
    if (!option || m_quiet)
        return;
    WritePlayerOption(m_owner->State.SettingsBase, *option, checked);
    m_owner->ApplyOptions();
}

void TfrmMidi::cmbWaiteChange(TxxComboBox *sender)
{
    if (m_quiet)
        return;
    if (sender->Tag == 0) {
        Editor.changeGap(sender->ItemIndex());
        lblLstNo->setText(Editor.tuneCountText());
    } else {
        // The player's skin command loads the skin, stores it and recolours its buttons.
        (sender->ItemIndex() == 0 ? m_owner->do_Black : m_owner->do_Silver)->trigger();
        Editor.EditorModified = true;
    }
}

// Preview -----------------------------------------------------------------------------

void TfrmMidi::btnPlayClick()
{
    // Without a selected tune there is nothing to fetch: the request would go to the
    // catalogue folder itself.
    if (!Editor.SelectedFile.empty())
        Preview.play(baseUrl() + Editor.SelectedFile, fromCp932(Editor.SelectedTitle));
}

void TfrmMidi::btnStopClick()
{
    Preview.stop();
}

// OK, Cancel and closing --------------------------------------------------------------

void TfrmMidi::btnOKClick()
{
    PlayerState &state = m_owner->State;
    state.SavePlayList(state.FavIndex);
    state.SaveFavNames();
    state.SaveFavIndex();
    m_backup.remove();
    endPreviewAndDownloads();
    finish(1);
}

void TfrmMidi::btnCanClick()
{
    if (m_finished)
        return;
    if (Editor.EditorModified && !m_abandoned
        && AskConfirm(this, QStringLiteral("終了確認"), TfrmConfirm::KindQuestion,
                      QStringLiteral("内容が変更されています！！\r\r終了してもよろしいですか？"))
               != TfrmConfirm::ResultYes)
        return;
    endPreviewAndDownloads();
    try {
        m_backup.restore();
        m_backup.remove();
    } catch (const SettingsError &error) {
        // The copy stays: it is the only record of the settings as they were.
        ReportError(error);
    }
    QCoreApplication::processEvents();
    m_owner->ApplyOptions();
    finish(0);
}

void TfrmMidi::abandon()
{
    m_abandoned = true;
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    // A box's own step sees a cancel when its nested loop returns, and so stores nothing.
    for (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()); box && box != this;
         box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        box->done(QDialog::Rejected);
    btnCanClick();
}

// The window's downloads end before it does: exec() returns only once they have.
void TfrmMidi::endPreviewAndDownloads()
{
    HTTPGet1.Cancel();
    Preview.finish();
}

void TfrmMidi::finish(int tag)
{
    m_finished = true;
    for (QTimer *timer : {&timDown1, &timDown2})
        timer->stop();
    Tag = tag;
    qApp->removeEventFilter(this);
    QDialog::done(tag);
}

// Closing the window by other means (the window manager's close, say) cancels, so the
// settings file never stays half edited behind the player's back.
void TfrmMidi::closeEvent(QCloseEvent *event)
{
    event->ignore();
    btnCanClick();
}

void TfrmMidi::reject()
{
    btnCanClick();
}

// Escape and Space act for the whole window, whatever control has the focus; the lists'
// own keys go on to their grids.
bool TfrmMidi::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            btnCanClick();
            return true;
        }
        if (key == Qt::Key_Space) {
            btnPlayClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
