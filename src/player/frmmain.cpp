#include "player/frmmain.h"

#include "app/application.h"
#include "app/cursors.h"
#include "app/settings.h"
#include "catalogue/cataloguehost.h"
#include "controls/artimage.h"
#include "controls/lbspeedbutton.h"
#include "controls/skinpicture.h"
#include "editor/frmmidi.h"
#include "player/playeroptions.h"
#include "player/snaptocorner.h"
#include "player/windowdragger.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>

namespace {

const QColor captionPurple(128, 0, 128);
const QColor screenGreen(0, 128, 0);
// The face of the screen that the skins draw behind the labels and the progress bar.
const QColor screenFace(224, 232, 240);
const QString windowCaption = QStringLiteral("Quavelo");

QFont smallFont(QFont font)
{
    font.setPixelSize(9);
    return font;
}

QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

QImage glyph(const char *resource, const QWidget *window)
{
    return ArtImage(QString::fromLatin1(resource), window->devicePixelRatioF());
}

// The small captions on the skin, set evenly and kept whole.
void setSmallCaption(TLbSpeedButton *button, const QString &caption)
{
    button->setCaption(caption);
    button->setFont(FontFittingCaption(smallFont(button->font()), caption, LbCaptionRoom(button->look())));
}

} // namespace

TColor MenuCaptionColor(bool enabled, int skinIndex)
{
    const bool blackSkin = skinIndex == 0;
    if (enabled)
        return blackSkin ? clWhite : clBlack;
    return blackSkin ? 0xA0A0A0 : 0x828282;
}

TfrmMain::TfrmMain(const QString &executablePath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , Blend1(this)
    , KTop1(this)
    , Sequencer(State, *this, this)
{
    setWindowTitle(windowCaption);
    setWindowIcon(QIcon(QStringLiteral(":/quavelo.png")));
    setFixedSize(ClientWidth, ClientHeight);
    move(DesignPosition);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 255));
    setPalette(pal);
    setAutoFillBackground(true);
    QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
    face.setPixelSize(12);
    setFont(face);

    createControls();
    createPopupMenu();
    Blend1.setAlpha(255);
    Blend1.setBlendMode(bmBoth);
    Blend1.setTransparentColor(clFuchsia);
    KTop1.setKTop(false);

    Sequencer.OnPhaseChanged = [this](PlaybackSequencer::Phase) { emit nowPlayingChanged(); };
    // Play, Stop and Next follow the list loaded or stored, while the player offers its
    // controls at all.
    State.OnPlayListChanged = [this] { SetControlsEnabled(btnMemu->isEnabled()); };
    State.locate(executablePath);
    State.removeLeftoverTemporaryFiles();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

TLbSpeedButton *TfrmMain::createButton(const QRect &place, const char *hint, int cursor)
{
    auto *button = new TLbSpeedButton(this);
    button->setGeometry(place);
    button->setColor(clSpeedButtonFace);
    button->setColorWhenDown(clWhite);
    button->setHotTrackColor(clSpeedButtonHot);
    button->setLightColor(clSpeedButtonFace);
    button->setAlignment(taCenter);
    if (hint)
        button->setToolTip(QString::fromUtf8(hint));
    button->setCursor(AppCursor(cursor));
    return button;
}

QLabel *TfrmMain::createLabel(const QRect &place, const QColor &color)
{
    auto *label = new QLabel(this);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    return label;
}

void TfrmMain::createControls()
{
    IMG = new SkinPicture(this);
    IMG->setGeometry(2, 2, 142, 213);

    lblTTL = createLabel({19, 19, 72, 12}, captionPurple);
    QFont titleFont = boldFont(font());
    titleFont.setItalic(true);
    lblTTL->setFont(titleFont);
    lblTTL->setText(QStringLiteral("Quavelo "));

    btnPlay = createButton({62, 179, 25, 22}, "演奏の開始", HandCursor);
    btnPlay->setGlyph(glyph(":/play.bmp", this));
    btnPlay->setStyle(bsShape);
    btnPlay->setTransparent(true);
    btnPlay->OnClick = [this](TLbSpeedButton *sender) { Sequencer.btnPlayClick(sender); };

    btnStop = createButton({95, 144, 25, 22}, "演奏の停止", HandCursor);
    btnStop->setGlyph(glyph(":/stop.bmp", this));
    btnStop->setStyle(bsShape);
    btnStop->setShadowColor(clSilver);
    btnStop->OnClick = [this](TLbSpeedButton *sender) { Sequencer.btnStopClick(sender); };

    btnMemu = createButton({57, 117, 34, 14}, "Quavelo の設定", HandCursor);
    setSmallCaption(btnMemu, QStringLiteral("MENU"));
    btnMemu->setFontColor(clWhite);
    btnMemu->setStyle(bsShape);
    btnMemu->setShadowColor(clGray);
    btnMemu->setTransparent(true);
    btnMemu->OnClick = [this](TLbSpeedButton *) { Sequencer.btnMemuClick(); };

    btnClose = createButton({113, 16, 16, 16}, nullptr, HandCursor);
    btnClose->setCaption(QStringLiteral("X"));
    btnClose->setStyle(bsModern);
    btnClose->setShadowColor(clGray);
    btnClose->setTransparent(true);
    btnClose->OnClick = [this](TLbSpeedButton *) { btnCloseClick(); };

    btnMin = createButton({97, 16, 16, 16}, nullptr, HandCursor);
    btnMin->setGlyph(glyph(":/minimize.bmp", this));
    btnMin->setNumGlyphs(1);
    btnMin->setStyle(bsModern);
    btnMin->setShadowColor(clGray);
    btnMin->setTransparent(true);
    btnMin->OnClick = [this](TLbSpeedButton *) { btnMinClick(); };

    btnNext = createButton({27, 144, 25, 22}, "次の曲に進む", HandCursor);
    btnNext->setGlyph(glyph(":/next.bmp", this));
    btnNext->setStyle(bsShape);
    btnNext->setShadowColor(clSilver);
    btnNext->OnClick = [this](TLbSpeedButton *sender) { Sequencer.btnNextClick(sender); };

    for (TLbSpeedButton *button : {btnPlay, btnStop, btnNext}) {
        button->setFont(boldFont(font()));
        button->setFontColor(clBlue);
    }
    for (TLbSpeedButton *button : {btnClose, btnMin})
        button->setFont(boldFont(font()));

    lblNo = createLabel({18, 77, 108, 12}, screenGreen);
    lblNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLst = createLabel({20, 37, 108, 12}, screenGreen);
    lblLst->setText(QStringLiteral("Waiting..."));

    btnHelp = createButton({14, 88, 30, 14}, "オンラインマニュアル", HelpCursor);
    setSmallCaption(btnHelp, QStringLiteral("HELP"));
    btnHelp->setFontColor(clBlue);
    btnHelp->setStyle(bsShape);
    btnHelp->setTransparent(true);
    btnHelp->OnClick = [this](TLbSpeedButton *) { btnHelpClick(); };

    PGB = new QProgressBar(this);
    PGB->setGeometry(44, 90, 85, 10);
    PGB->setRange(0, 100);
    PGB->setValue(0);
    PGB->setTextVisible(false);
    // Its frame is drawn from the window colour, which is the see-through key here.
    QPalette progressPalette = PGB->palette();
    progressPalette.setColor(QPalette::Window, screenFace);
    PGB->setPalette(progressPalette);

    mmMidi = new QPlainTextEdit(this);
    mmMidi->setGeometry(23, 51, 105, 26);
    mmMidi->setReadOnly(true);
    mmMidi->setFrameShape(QFrame::NoFrame);
    mmMidi->setFocusPolicy(Qt::NoFocus);
    mmMidi->setAttribute(Qt::WA_InputMethodEnabled, false);
    mmMidi->setContextMenuPolicy(Qt::NoContextMenu);
    mmMidi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmMidi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmMidi->setTextInteractionFlags(Qt::NoTextInteraction);
    mmMidi->viewport()->setCursor(Qt::ArrowCursor);
    mmMidi->document()->setDefaultTextOption(QTextOption(Qt::AlignRight));
    mmMidi->document()->setDocumentMargin(0);
    QPalette memoPalette = mmMidi->palette();
    memoPalette.setColor(QPalette::Base, Qt::transparent);
    mmMidi->setPalette(memoPalette);
    mmMidi->installEventFilter(this);

    pnl00 = new QWidget(this);
    pnl00->setGeometry(10, 292, 51, 33);
    pnl00->setFocusPolicy(Qt::StrongFocus);

    auto *dragger = new WindowDragger(this);
    for (QWidget *face : {static_cast<QWidget *>(IMG), static_cast<QWidget *>(lblTTL), static_cast<QWidget *>(lblNo),
                          static_cast<QWidget *>(lblLst), static_cast<QWidget *>(PGB), mmMidi->viewport()})
        dragger->watch(face);
    dragger->OnDropped = [this] { SnapToCorner(); };
    setStatusColor(QColor(0, 0, 255));
}

void TfrmMain::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    const auto optionItem = [this](const QString &caption, int tag) {
        QAction *item = PopupMenu1->addAction(caption);
        item->setCheckable(true);
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, item] { do_StayOnTopClick(item); });
        return item;
    };
    do_Shuffle = optionItem(QStringLiteral("オートシャッフル"), 1);
    do_AutoRun = optionItem(QStringLiteral("起動時自動再生"), 2);

    QMenu *do_SkinColor = PopupMenu1->addMenu(QStringLiteral("プレーヤーのスキン"));
    auto *skins = new QActionGroup(do_SkinColor);
    const auto skinItem = [this, do_SkinColor, skins](const QString &caption, int tag) {
        QAction *item = do_SkinColor->addAction(caption);
        item->setCheckable(true);
        item->setData(tag);
        skins->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { do_BlackClick(item); });
        return item;
    };
    do_Black = skinItem(QStringLiteral("ブラック"), 0);
    do_Silver = skinItem(QStringLiteral("シルバー"), 1);

    PopupMenu1->addSeparator();
    do_Minimize = optionItem(QStringLiteral("起動時最小化"), 3);
    do_StayOnTop = optionItem(QStringLiteral("常に前面に表示"), 4);
}

void TfrmMain::FormCreate()
{
    Blend1.setActive(true);
    try {
        State.AdoptExecutableFolderSettings();
        if (ReadIniBool(State.SettingsBase, "OPT", "Used", false)) {
            ReadFormPos(State.SettingsBase, "OPT", "Main", this);
            // The display may have changed since the position was saved.
            if (isOnSomeScreen())
                return;
        } else {
            State.InitialiseSettings();
        }
    } catch (const SettingsError &error) {
        ReportError(error);
    }
    placeInWorkAreaCorner();
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

void TfrmMain::SnapToCorner()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen)
        move(::SnapToCorner(geometry(), screen->availableGeometry()));
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
    lblNo->clear();
    mmMidi->clear();
    Sequencer.resetForStart();
}

void TfrmMain::becameVisible()
{
    repaint();
    ApplyOptions();
    State.LoadFavNames();
    State.LoadCurrentPlayList();
    State.LoadWait();
    SetControlsEnabled(false);
    Sequencer.begin();
}

void TfrmMain::ApplyOptions()
{
    const QString &base = State.SettingsBase;
    KTop1.setKTop(ReadPlayerOption(base, PlayerOption::StayOnTop));
    for (QAction *item : {do_Shuffle, do_AutoRun, do_Minimize, do_StayOnTop})
        item->setChecked(ReadPlayerOption(base, *PlayerOptionOfTag(item->data().toInt())));
    State.SkinIndex = ReadIniInt(base, "OPT", "SkinCol", 0);
    (State.SkinIndex != 0 ? do_Silver : do_Black)->setChecked(true);
    LoadSkin(State.SkinIndex);
}

void TfrmMain::LoadSkin(int index)
{
    IMG->setSkin(index != 0 ? QStringLiteral(":/white.gif") : QStringLiteral(":/black.gif"));
    State.SkinIndex = index;
    Blend1.refresh();
}

void TfrmMain::SetControlsEnabled(bool enabled)
{
    const bool playable = enabled && !State.PlayList.empty();
    for (TLbSpeedButton *button : {btnNext, btnPlay, btnStop})
        button->setEnabled(playable);
    btnMemu->setEnabled(enabled);
    btnMemu->setFontColor(MenuCaptionColor(enabled, State.SkinIndex));
    // Shown at once, without running other steps of the sequence in the middle of this one.
    for (TLbSpeedButton *button : {btnNext, btnPlay, btnStop, btnMemu})
        button->repaint();
    emit nowPlayingChanged();
}

void TfrmMain::ShowStatus(const QString &text, const QColor &color, StatusStyle style)
{
    QFont memoFont = font();
    memoFont.setItalic(style == StatusStyle::Italic);
    memoFont.setBold(style == StatusStyle::Bold);
    mmMidi->setFont(memoFont);
    setStatusColor(color);
    mmMidi->setPlainText(text);
    setWindowTitle(text.isEmpty() ? windowCaption : text);
}

void TfrmMain::setStatusColor(const QColor &color)
{
    m_statusColor = color;
    QPalette pal = mmMidi->palette();
    pal.setColor(QPalette::Text, color);
    mmMidi->setPalette(pal);
}

void TfrmMain::setListCaption(const QString &text)
{
    lblLst->setText(text);
}

void TfrmMain::setTuneCaption(const QString &text)
{
    lblNo->setText(text);
    emit nowPlayingChanged();
}

void TfrmMain::setProgressMaximum(int maximum)
{
    // A range of 0 to 0 would show an endlessly busy bar.
    PGB->setMaximum(std::max(1, maximum));
}

void TfrmMain::setProgressPosition(int position)
{
    PGB->setValue(std::clamp(position, 0, PGB->maximum()));
}

void TfrmMain::focusHiddenPanel()
{
    pnl00->setFocus();
}

void TfrmMain::reportCannotPlay(const std::exception &reason)
{
    ReportError(reason);
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mmMidi && event->type() == QEvent::FocusIn)
        pnl00->setFocus();
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->exec(event->globalPos());
}

void TfrmMain::do_StayOnTopClick(QAction *item)
{
    if (const std::optional<PlayerOption> option = PlayerOptionOfTag(item->data().toInt()))
        WritePlayerOption(State.SettingsBase, *option, item->isChecked());
    ApplyOptions();
}

void TfrmMain::do_BlackClick(QAction *item)
{
    item->setChecked(true);
    State.SkinIndex = item->data().toInt();
    LoadSkin(State.SkinIndex);
    WriteIniInt(State.SettingsBase, "OPT", "SkinCol", State.SkinIndex);
    SetControlsEnabled(btnMemu->isEnabled());
}

bool TfrmMain::runEditor()
{
    TfrmMidi editor(this);
    m_editor = &editor;
    editor.exec();
    return editor.Tag == 1;
}

void TfrmMain::closeEditor()
{
    if (m_editor)
        m_editor->abandon();
}

void TfrmMain::btnHelpClick()
{
    OpenOnlineManual(State.SettingsBase);
}

void TfrmMain::btnMinClick()
{
    ShowStatus(mmMidi->toPlainText(), QColor(0, 0, 255), StatusStyle::Normal);
    showMinimized();
}

void TfrmMain::btnCloseClick()
{
    close();
}

// The sequence ends first: while a download still runs the window stays, and closes once
// it has ended.
void TfrmMain::closeEvent(QCloseEvent *event)
{
    Sequencer.btnCloseClick();
    if (Sequencer.phase() != PlaybackSequencer::Phase::Closed) {
        event->ignore();
        return;
    }
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
