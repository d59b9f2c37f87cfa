#include "editor/frmmidi.h"

#include "app/application.h"
#include "app/cursors.h"
#include "app/settings.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguehost.h"
#include "controls/lbspeedbutton.h"
#include "controls/xxcombobox.h"
#include "controls/xxlabel.h"
#include "controls/xxstringgrid.h"
#include "dialogs/frmconfirm.h"
#include "dialogs/frminput.h"
#include "editor/headerpanel.h"
#include "player/frmmain.h"
#include "player/playeroptions.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <stdexcept>

using text::fromCp932;

namespace {

// Cells of the two lists on the left.
enum FavCell { FavNameCell = 1, FavCurrentCell = 2 };
enum TuneCell { TuneTitleCell = 1, TuneFileCell = 2 };

QWidget *createPanel(QWidget *parent, const QRect &place, const QColor &colour)
{
    auto *panel = new QWidget(parent);
    panel->setGeometry(place);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
    return panel;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

QLabel *createLabel(QWidget *parent, const QRect &place, const QString &text, bool bold,
                    const QColor &colour = Qt::black)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    setTextColour(label, colour);
    return label;
}

QFont cellFont(const QFont &base, bool bold)
{
    QFont font = base;
    font.setPointSize(10);
    font.setBold(bold);
    return font;
}

// Text drawn as every list of the window draws it: clipped to its cell, 4 pixels in from
// the left and 2 from the top.
void drawCellText(QPainter &canvas, const QRect &rect, const QString &text)
{
    canvas.setClipRect(rect);
    canvas.drawText(rect.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

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
    setWindowTitle(QStringLiteral("Quavelo の設定"));
    setFixedSize(ClientWidth, ClientHeight);
    QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
    face.setPixelSize(12);
    setFont(face);

    createTopPanel();
    createMenuPanel();
    createClassPanel();
    createMidiPanel();
    createMenus();

    HTTPGet1.HostControl = this;
    HTTPGet1.AcceptTypes = "*/*";
    HTTPGet1.Agent = THTTPGet::DefaultAgent;
    HTTPGet1.BinaryData = true;
    HTTPGet1.UseCache = false;
    HTTPGet1.WaitThread = true;
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
    Preview.OnTitleColor = [this](const QColor &color) { setTextColour(lblPlay, color); };
    Preview.OnProgress = [this](int maximum, int position) { showProgress(maximum, position); };
    Preview.OnError = [this](const QString &message) { showError(message); };

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));
}

TfrmMidi::~TfrmMidi()
{
    qApp->removeEventFilter(this);
}

TLbSpeedButton *TfrmMidi::createButton(QWidget *parent, const QRect &place, const QString &caption)
{
    auto *button = new TLbSpeedButton(parent);
    button->setGeometry(place);
    button->setStyle(bsModern);
    button->setCaption(caption);
    button->setColor(clSpeedButtonFace);
    button->setLightColor(clSpeedButtonFace);
    button->setHotTrackColor(clSpeedButtonHot);
    button->setShadowColor(clSilver);
    button->setAlignment(taCenter);
    button->setCursor(AppCursor(HandCursor));
    return button;
}

void TfrmMidi::createTopPanel()
{
    pnlTop = createPanel(this, {0, 0, ClientWidth, 27}, QColor(221, 227, 240));
    const QString manual = QStringLiteral("オンラインマニュアル");

    imgHELP00 = new TxxLabel(pnlTop);
    imgHELP00->setGeometry(6, 5, 16, 16);
    imgHELP00->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(16, 16));
    lblHELP00 = new TxxLabel(pnlTop);
    lblHELP00->setGeometry(25, 7, 120, 14);
    lblHELP00->setText(manual);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    arial.setUnderline(true);
    lblHELP00->setFont(arial);
    setTextColour(lblHELP00, QColor(0, 0, 255));
    for (TxxLabel *link : {imgHELP00, lblHELP00}) {
        link->setToolTip(manual);
        link->setCursor(AppCursor(HelpCursor));
        link->OnClick = [this](TxxLabel *) { lblHELP00Click(); };
    }

    lblMID00 = createLabel(pnlTop, {160, 7, 62, 14}, QStringLiteral("現在の曲 :"), true);
    lblMID01 = createLabel(pnlTop, {224, 7, 500, 14}, QString(), true, Qt::blue);

    btnOK = createButton(pnlTop, {ClientWidth - 150, 3, 70, 21}, QStringLiteral("決 定"));
    btnOK->Tag = 1;
    btnOK->setToolTip(QStringLiteral("MIDIを決定する"));
    btnOK->setFontColor(clBlue);
    btnOK->OnClick = [this](TLbSpeedButton *) { btnOKClick(); };
    btnCan = createButton(pnlTop, {ClientWidth - 76, 3, 70, 21}, QStringLiteral("ｷｬﾝｾﾙ"));
    btnCan->Tag = 2;
    btnCan->setFontColor(clRed);
    btnCan->OnClick = [this](TLbSpeedButton *) { btnCanClick(); };
    for (TLbSpeedButton *button : {btnOK, btnCan}) {
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
    }
}

TxxComboBox *TfrmMidi::createCombo(const QRect &place, int tag, const QStringList &items)
{
    auto *combo = new TxxComboBox(pnlMenu);
    combo->setGeometry(place);
    combo->Tag = tag;
    combo->addItems(items);
    combo->setItemHeight(14);
    combo->setMaxVisibleItems(16);
    combo->setWheelActive(true);
    combo->setAttribute(Qt::WA_InputMethodEnabled, false);
    combo->setCursor(AppCursor(HandCursor));
    combo->OnChange = [this](TxxComboBox *sender) { cmbWaiteChange(sender); };
    combo->OnCloseUp = [this](TxxComboBox *) { sgdMidi->setFocus(); };
    combo->OnDrawItem = [this](TxxComboBox *sender, int index, QPainter &canvas, const QRect &rect,
                               TOwnerDrawState state) { cmbWaiteDrawItem(sender, index, canvas, rect, state.toInt()); };
    return combo;
}

void TfrmMidi::createMenuPanel()
{
    pnlMenu = createPanel(this, {0, 27, ClientWidth, 54}, QColor(230, 231, 236));

    const char *captions[] = {"オートシャッフル", "起動時自動再生", "起動時最小化", "常に前面に表示"};
    for (int i = 0; i < 4; ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(captions[i]), pnlMenu);
        box->setGeometry(8 + (i / 2) * 124, 6 + (i % 2) * 24, 120, 18);
        box->setCursor(AppCursor(HandCursor));
        const int tag = i + 1;
        connect(box, &QCheckBox::clicked, this, [this, tag](bool checked) { rbOptionClick(tag, checked); });
        rbOptions[std::size_t(i)] = box;
    }

    lblWaite = createLabel(pnlMenu, {258, 9, 100, 14}, QStringLiteral("曲間ギャップ :"), false);
    lblWaite->setToolTip(QStringLiteral("曲間の無音時間の設定"));
    QStringList digits;
    for (int i = 0; i < 10; ++i)
        digits << QString(QChar(0xFF10 + i));
    cmbWaite = createCombo({360, 5, 86, 20}, 0, digits);
    cmbWaite->setToolTip(lblWaite->toolTip());
    lblSkin = createLabel(pnlMenu, {258, 33, 100, 14}, QStringLiteral("プレーヤースキン :"), false);
    cmbSkin = createCombo({360, 29, 86, 20}, 1, {QStringLiteral("ブラック"), QStringLiteral("シルバー")});

    btnPlay = createButton(pnlMenu, {456, 5, 50, 21}, QStringLiteral("再生"));
    btnPlay->setToolTip(QStringLiteral("演奏の開始 (スペースキー)"));
    btnPlay->OnClick = [this](TLbSpeedButton *) { btnPlayClick(); };
    btnStop = createButton(pnlMenu, {510, 5, 50, 21}, QStringLiteral("停止"));
    btnStop->setToolTip(QStringLiteral("演奏の停止"));
    btnStop->OnClick = [this](TLbSpeedButton *) { btnStopClick(); };
    PGB = new QProgressBar(pnlMenu);
    PGB->setGeometry(456, 32, 104, 14);
    PGB->setRange(0, 100);
    PGB->setValue(0);
    PGB->setTextVisible(false);

    lblPlay00 = createLabel(pnlMenu, {572, 9, 76, 14}, QStringLiteral("演奏中の曲 :"), false);
    lblPlay = createLabel(pnlMenu, {650, 9, 240, 14}, QString(), true, Qt::blue);
    lblTune = createLabel(pnlMenu, {650, 33, 238, 14}, Catalogue.tuneCountText(), false);
    lblTune->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TxxStringGrid *TfrmMidi::createGrid(QWidget *parent, const QRect &place, CellTableModel &cells)
{
    auto *grid = new TxxStringGrid(parent);
    grid->setModel(&cells);
    grid->setGeometry(place);
    grid->setCursor(AppCursor(HandCursor));
    grid->OnMouseWheel = [this](TxxStringGrid *sender, int wheel) { gridMouseWheel(sender, wheel); };
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, grid](const QModelIndex &current) {
                if (!m_quiet && current.isValid())
                    gridRowMoved(grid, current.row());
            });
    return grid;
}

void TfrmMidi::createClassPanel()
{
    pnlClass = createPanel(this, {0, 81, 241, ClientHeight - 81}, QColor(230, 231, 236));

    lblMSG = createLabel(pnlClass, {8, 9, 60, 14}, QStringLiteral("お気に入り"), true);
    lblFavNo = createLabel(pnlClass, {70, 9, 80, 14}, Editor.favoriteCountText(), false);
    btnAddFav = createButton(pnlClass, {183, 4, 50, 21}, QStringLiteral("追加"));
    btnAddFav->setToolTip(QStringLiteral("お気に入りの追加"));
    btnAddFav->OnClick = [this](TLbSpeedButton *) { addFavorite(); };
    sgdFav = createGrid(pnlClass, {6, 28, 227, 96}, m_favoriteCells);
    sgdFav->setColWidths(0, 26);
    sgdFav->setColWidths(1, sgdFav->width() - 28);
    sgdFav->setColWidths(2, 0);
    sgdFav->OnDrawCell = [this](TxxStringGrid *, int column, int row, QPainter &canvas, const QRect &rect,
                                TGridDrawState state) { sgdFavDrawCell(column, row, canvas, rect, state & gdSelected); };

    lblFav = createLabel(pnlClass, {8, 141, 70, 14}, QStringLiteral("プレイリスト"), true);
    lblLstNo = createLabel(pnlClass, {80, 141, 110, 14}, Editor.tuneCountText(), false);
    btnUp = createButton(pnlClass, {193, 136, 20, 21}, QStringLiteral("▲"));
    btnUp->Tag = 1;
    btnUp->setToolTip(QStringLiteral("上に移動"));
    btnDown = createButton(pnlClass, {213, 136, 20, 21}, QStringLiteral("▼"));
    btnDown->Tag = 2;
    btnDown->setToolTip(QStringLiteral("下に移動"));
    for (TLbSpeedButton *button : {btnUp, btnDown})
        button->OnClick = [this](TLbSpeedButton *sender) { moveTune(sender->Tag); };
    sgdList = createGrid(pnlClass, {6, 160, 227, 343}, m_tuneCells);
    sgdList->setColWidths(0, 26);
    sgdList->setColWidths(1, sgdList->width() - 28);
    sgdList->setColWidths(2, 0);
    sgdList->OnDrawCell = [this](TxxStringGrid *, int column, int row, QPainter &canvas, const QRect &rect,
                                 TGridDrawState state) { sgdListDrawCell(column, row, canvas, rect, state & gdSelected); };
}

void TfrmMidi::createMidiPanel()
{
    pnlMidi = createPanel(this, {241, 81, ClientWidth - 241, ClientHeight - 81}, QColor(230, 231, 236));

    struct Header { int left; int width; const char *caption; };
    const Header headers[] = {{7, 30, "No"},       {34, 216, "曲名"},    {249, 150, "作曲"},
                              {398, 100, "楽器"},  {497, 90, "ジャンル"}, {586, 62, "時間"}};
    sgdMidi = createGrid(pnlMidi, {7, 28, 641, 476}, m_catalogueCells);
    for (int tag = 0; tag < 6; ++tag) {
        auto *panel = new HeaderPanel(pnlMidi, tag);
        panel->setGeometry(headers[tag].left, 7, headers[tag].width, 22);
        panel->setText(QString::fromUtf8(headers[tag].caption));
        panel->setCursor(AppCursor(HandCursor));
        if (tag > 0) {
            panel->setToolTip(QStringLiteral("クリックで並べ替えします"));
            panel->OnClick = [this](HeaderPanel *sender) { SortCatalogue(sender->Tag); };
        }
        sgdMidi->setColWidths(tag, headers[tag].width - 2);
        pnlHeaders[std::size_t(tag)] = panel;
    }
    sgdMidi->setColWidths(CellFileName, 0);
    sgdMidi->setColWidths(CellMark, 0);
    sgdMidi->OnDrawCell = [this](TxxStringGrid *, int column, int row, QPainter &canvas, const QRect &rect,
                                 TGridDrawState state) { sgdMidiDrawCell(column, row, canvas, rect, state & gdSelected); };
}

void TfrmMidi::createMenus()
{
    mnuMidi = new QMenu(this);
    do_Play = mnuMidi->addAction(QStringLiteral("再生する"));
    do_Stop = mnuMidi->addAction(QStringLiteral("停止する"));
    connect(do_Play, &QAction::triggered, this, [this] {
        sgdMidiClick();
        btnPlayClick();
    });
    connect(do_Stop, &QAction::triggered, this, &TfrmMidi::btnStopClick);

    mnuFav = new QMenu(this);
    do_Rename = mnuFav->addAction(QStringLiteral("名前の変更"));
    do_AddFav = mnuFav->addAction(QStringLiteral("お気に入りの追加"));
    mnuFav->addSeparator();
    do_DelFav = mnuFav->addAction(QStringLiteral("お気に入りの削除"));
    connect(do_Rename, &QAction::triggered, this, &TfrmMidi::renameFavorite);
    connect(do_AddFav, &QAction::triggered, this, &TfrmMidi::addFavorite);
    connect(do_DelFav, &QAction::triggered, this, &TfrmMidi::deleteFavorite);

    mnuList = new QMenu(this);
    do_Play1 = mnuList->addAction(QStringLiteral("再生する"));
    do_Stop1 = mnuList->addAction(QStringLiteral("停止する"));
    mnuList->addSeparator();
    do_DelList = mnuList->addAction(QStringLiteral("プレイリストから削除"));
    do_DelAll = mnuList->addAction(QStringLiteral("プレイリストの全削除"));
    connect(do_Play1, &QAction::triggered, this, [this] {
        sgdListClick();
        btnPlayClick();
    });
    connect(do_Stop1, &QAction::triggered, this, &TfrmMidi::btnStopClick);
    connect(do_DelList, &QAction::triggered, this, &TfrmMidi::removeTune);
    connect(do_DelAll, &QAction::triggered, this, &TfrmMidi::removeAllTunes);

    const std::pair<TxxStringGrid *, QMenu *> menus[] = {{sgdMidi, mnuMidi}, {sgdFav, mnuFav}, {sgdList, mnuList}};
    for (const auto &[grid, menu] : menus) {
        connect(grid, &QWidget::customContextMenuRequested, this,
                [grid = grid, menu = menu](const QPoint &at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    }
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
    m_backup.take();
    PlayerState &state = m_owner->State;
    cmbWaite->setItemIndex(std::clamp(state.WaitMs / 1000, 0, 9));
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
    for (int tag = 1; tag <= 4; ++tag)
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

void TfrmMidi::showProgress(int maximum, int position)
{
    PGB->setMaximum(std::max(maximum, 1));
    PGB->setValue(std::clamp(position, 0, PGB->maximum()));
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
    if (!Catalogue.SortCatalogue(column))
        return;
    showCatalogueRows();
}

void TfrmMidi::showCatalogueRows()
{
    m_catalogueCells.rowsReplaced();
    selectRowQuietly(sgdMidi, Catalogue.grid().selectedRow());
    for (HeaderPanel *panel : pnlHeaders)
        panel->setActiveLook(panel->Tag > 0 && panel->Tag == Catalogue.ActiveColumn);
}

void TfrmMidi::showLists()
{
    m_favoriteCells.rowsReplaced();
    m_tuneCells.rowsReplaced();
    selectRowQuietly(sgdFav, Editor.favorites().selectedRow());
    selectRowQuietly(sgdList, Editor.tunes().selectedRow());
    lblFavNo->setText(Editor.favoriteCountText());
    lblLstNo->setText(Editor.tuneCountText());
    // The marks of the catalogue may have changed with the play list.
    sgdMidi->viewport()->update();
}

void TfrmMidi::selectRowQuietly(TxxStringGrid *grid, int row)
{
    m_quiet = true;
    grid->setRow(row);
    m_quiet = false;
}

void TfrmMidi::showSelectedTitle()
{
    QFont bold = lblMID01->font();
    bold.setBold(true);
    lblMID01->setFont(bold);
    setTextColour(lblMID01, Qt::blue);
    lblMID01->setText(fromCp932(Editor.SelectedTitle));
}

void TfrmMidi::showError(const QString &message)
{
    setTextColour(lblMID01, Qt::red);
    lblMID01->setText(message);
}

// The lists ---------------------------------------------------------------------------

void TfrmMidi::sgdMidiDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected)
{
    const CellTable &table = Catalogue.grid();
    canvas.fillRect(rect, selected ? QColor(235, 177, 234) : palette().color(QPalette::Base));
    if (row >= table.rowCount())
        return;
    canvas.setFont(cellFont(font(), false));
    canvas.setPen(Catalogue.isMarked(row) && column != CellNumber ? Qt::blue : Qt::black);
    drawCellText(canvas, rect, fromCp932(CatalogueDisplayText(table, row, column)));
}

void TfrmMidi::sgdFavDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected)
{
    const CellTable &table = Editor.favorites();
    canvas.fillRect(rect, selected ? QColor(205, 237, 203) : palette().color(QPalette::Base));
    if (row >= table.rowCount())
        return;
    const bool current = table.cell(row, FavCurrentCell) == "1" && column != 0;
    canvas.setFont(cellFont(font(), current));
    canvas.setPen(current ? Qt::blue : Qt::black);
    const std::string text = column == 0 ? RunningNumberOf(table, row) : table.cell(row, column);
    drawCellText(canvas, rect, fromCp932(text));
}

void TfrmMidi::sgdListDrawCell(int column, int row, QPainter &canvas, const QRect &rect, bool selected)
{
    const CellTable &table = Editor.tunes();
    canvas.fillRect(rect, selected ? QColor(198, 194, 254) : palette().color(QPalette::Base));
    if (row >= table.rowCount())
        return;
    canvas.setFont(cellFont(font(), false));
    canvas.setPen(Qt::black);
    const std::string text = column == 0 ? RunningNumberOf(table, row) : table.cell(row, column);
    drawCellText(canvas, rect, fromCp932(text));
}

void TfrmMidi::gridMouseWheel(TxxStringGrid *grid, int wheel)
{
    if (wheel != -1 && wheel != 1)
        return;
    grid->setTopRow(WheelTopRow(grid->TopRow(), grid->RowCount(), grid->VisibleRowCount(), wheel > 0));
}

// Any button selects the row under the pointer; a left click then runs the grid's
// selection step, a right click only selects before its menu opens.
bool TfrmMidi::gridMouse(TxxStringGrid *grid, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    const int row = grid->RowAt(mouse->position().toPoint());
    // The second press of a double-click selects as any press does.
    if (row >= 0 && !(doubleClick && row == grid->Row())) {
        selectRowQuietly(grid, row);
        if (grid == sgdMidi)
            Catalogue.selectRow(row);
        else if (grid == sgdFav)
            Editor.selectFavoriteRow(row);
        else
            Editor.selectTuneRow(row);
        if (mouse->button() == Qt::LeftButton)
            gridRowMoved(grid, row);
    }
    grid->setFocus();
    if (doubleClick && mouse->button() == Qt::LeftButton)
        gridActivated(grid);
    return true;
}

void TfrmMidi::gridRowMoved(TxxStringGrid *grid, int row)
{
    if (grid == sgdMidi) {
        Catalogue.selectRow(row);
        sgdMidiClick();
    } else if (grid == sgdList) {
        Editor.selectTuneRow(row);
        sgdListClick();
    } else {
        Editor.selectFavoriteRow(row);
        sgdFavClick();
    }
}

void TfrmMidi::gridActivated(TxxStringGrid *grid)
{
    if (grid == sgdMidi)
        toggleCatalogueTune();
    else if (grid == sgdFav)
        renameFavorite();
    else if (Editor.scrollCatalogueToTune())
        selectRowQuietly(sgdMidi, Catalogue.grid().selectedRow());
}

bool TfrmMidi::gridKey(TxxStringGrid *grid, int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        gridActivated(grid);
        return true;
    case Qt::Key_Delete:
        if (grid == sgdFav)
            deleteFavorite();
        else if (grid == sgdList)
            removeTune();
        return true;
    case Qt::Key_Left:
        if (grid == sgdMidi)
            sgdList->setFocus();
        return true;
    case Qt::Key_Right:
        if (grid != sgdMidi)
            sgdMidi->setFocus();
        return true;
    default:
        return false;
    }
}

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
        selectRowQuietly(sgdFav, Editor.favorites().selectedRow());
}

void TfrmMidi::toggleCatalogueTune()
{
    Editor.toggleCatalogueTune();
    showLists();
    showSelectedTitle();
}

void TfrmMidi::renameFavorite()
{
    const int row = Editor.favorites().selectedRow();
    TfrmInput dialog(this, m_owner->State.FavNames);
    dialog.lblTitle->setText(QStringLiteral("名前の変更"));
    dialog.edtInp->setText(fromCp932(Editor.favorites().cell(row, FavNameCell)));
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

void TfrmMidi::cmbWaiteDrawItem(TxxComboBox *sender, int index, QPainter &canvas, const QRect &rect, int state)
{
    const bool closedBox = state & odComboBoxEdit;
    canvas.fillRect(rect, (state & odSelected) && !closedBox ? QColor(198, 194, 254) : QColor(Qt::white));
    if (index < 0 || index >= sender->count())
        return;
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(9);
    canvas.setFont(font);
    canvas.setPen(sender->isEnabled() ? QColor(Qt::black) : QColor(192, 192, 192));
    const QFontMetrics metrics(font);
    const QString text = sender->itemText(index);
    const QString seconds = QStringLiteral("秒間");
    // Items of the open list sit 4 pixels into their row; the closed box right-aligns
    // its text, measured from the combo box's own left edge.
    int x = rect.left() + 4;
    if (closedBox) {
        x = sender->width() - metrics.horizontalAdvance(text) - 28;
        if (sender->Tag == 0)
            x = sender->width() - metrics.horizontalAdvance(text) - metrics.horizontalAdvance(seconds) - 30;
    }
    const int top = rect.top() + 2;
    canvas.drawText(QPoint(x, top + metrics.ascent()), text);
    if (sender->Tag == 0)
        canvas.drawText(QPoint(x + metrics.horizontalAdvance(text) + 4, top + metrics.ascent()),
                        seconds);
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

void TfrmMidi::lblHELP00Click()
{
    OpenOnlineManual(m_owner->State.SettingsBase);
}

// OK, Cancel and closing --------------------------------------------------------------

void TfrmMidi::btnOKClick()
{
    PlayerState &state = m_owner->State;
    state.SavePlayList(state.FavIndex);
    state.SaveFavNames();
    state.SaveFavIndex();
    endPreviewAndDownloads();
    finish(1);
}

void TfrmMidi::btnCanClick()
{
    if (m_finished)
        return;
    if (Editor.EditorModified
        && AskConfirm(this, QStringLiteral("終了確認"), TfrmConfirm::KindQuestion,
                      QStringLiteral("内容が変更されています！！\r\r終了してもよろしいですか？"))
               != TfrmConfirm::ResultYes)
        return;
    endPreviewAndDownloads();
    try {
        m_backup.restore();
    } catch (const SettingsError &error) {
        ReportError(error);
    }
    QCoreApplication::processEvents();
    m_owner->ApplyOptions();
    finish(0);
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
    m_backup.remove();
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

bool TfrmMidi::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    const bool inWindow = widget && widget->window() == this;
    if (event->type() == QEvent::KeyPress && inWindow) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            btnCanClick();
            return true;
        }
        if (key == Qt::Key_Space) {
            btnPlayClick();
            return true;
        }
        for (TxxStringGrid *grid : {sgdMidi, sgdFav, sgdList}) {
            if (watched == grid)
                return gridKey(grid, key);
        }
        return false;
    }
    for (TxxStringGrid *grid : {sgdMidi, sgdFav, sgdList}) {
        if (watched != grid->viewport())
            continue;
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            return gridMouse(grid, event);
    }
    return QDialog::eventFilter(watched, event);
}
