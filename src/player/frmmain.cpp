#include "player/frmmain.h"

#include "app/application.h"
#include "app/cursors.h"
#include "app/settings.h"
#include "catalogue/cataloguehost.h"
#include "catalogue/frmmidi.h"
#include "controls/lbspeedbutton.h"
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

QImage glyph(const char *resource)
{
    return QImage(QString::fromLatin1(resource));
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
    IMG = new QLabel(this);
    IMG->setGeometry(2, 2, 142, 213);

    lblTTL = createLabel({19, 19, 72, 12}, captionPurple);
    QFont titleFont = boldFont(font());
    titleFont.setItalic(true);
    lblTTL->setFont(titleFont);
    lblTTL->setText(QStringLiteral("Quavelo "));

    btnPlay = createButton({62, 179, 25, 22}, "演奏の開始", HandCursor);
    btnPlay->setGlyph(glyph(":/play.bmp"));
    btnPlay->setStyle(bsShape);
    btnPlay->setTransparent(true);
    btnPlay->OnClick = [this](TLbSpeedButton *sender) { Sequencer.btnPlayClick(sender); };

    btnStop = createButton({95, 144, 25, 22}, "演奏の停止", HandCursor);
    btnStop->setGlyph(glyph(":/stop.bmp"));
    btnStop->setStyle(bsShape);
    btnStop->setShadowColor(clSilver);
    btnStop->OnClick = [this](TLbSpeedButton *sender) { Sequencer.btnStopClick(sender); };

    btnMemu = createButton({57, 117, 34, 14}, "Quavelo の設定", HandCursor);
    btnMemu->setCaption(QStringLiteral("MENU"));
    QFont menuFont = smallFont(font());
    // The substitute face sets "MENU" one pixel wider than the room the button leaves.
    menuFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    btnMemu->setFont(menuFont);
    btnMemu->setFontColor(clWhite);
    btnMemu->setStyle(bsShape);
    btnMemu->setShadowColor(clGray);
    btnMemu->setTransparent(true);
    btnMemu->OnClick = [this](TLbSpeedButton *) { btnMemuClick(); };

    btnClose = createButton({113, 16, 16, 16}, nullptr, HandCursor);
    btnClose->setCaption(QStringLiteral("X"));
    btnClose->setStyle(bsModern);
    btnClose->setShadowColor(clGray);
    btnClose->setTransparent(true);
    btnClose->OnClick = [this](TLbSpeedButton *) { btnCloseClick(); };

    btnMin = createButton({97, 16, 16, 16}, nullptr, HandCursor);
    btnMin->setGlyph(glyph(":/minimize.bmp"));
    btnMin->setNumGlyphs(1);
    btnMin->setStyle(bsModern);
    btnMin->setShadowColor(clGray);
    btnMin->setTransparent(true);
    btnMin->OnClick = [this](TLbSpeedButton *) { btnMinClick(); };

    btnNext = createButton({27, 144, 25, 22}, "次の曲に進む", HandCursor);
    btnNext->setGlyph(glyph(":/next.bmp"));
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
    btnHelp->setCaption(QStringLiteral("HELP"));
    btnHelp->setFont(smallFont(font()));
    btnHelp->setFontColor(clBlue);
    btnHelp->setStyle(bsShape);
    btnHelp->setTransparent(true);
    btnHelp->OnClick = [this](TLbSpeedButton *) { btnHelpClick(); };

    PGB = new QProgressBar(this);
    PGB->setGeometry(44, 90, 85, 10);
    PGB->setRange(0, 100);
    PGB->setValue(0);
    PGB->setTextVisible(false);

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
    KTop1.setKTop(ReadIniBool(base, "OPT", "StayOnTop", false));
    do_Shuffle->setChecked(ReadIniBool(base, "OPT", "Shuffle", false));
    do_AutoRun->setChecked(ReadIniBool(base, "OPT", "AutoRun", false));
    do_Minimize->setChecked(ReadIniBool(base, "OPT", "Minimize", false));
    do_StayOnTop->setChecked(ReadIniBool(base, "OPT", "StayOnTop", false));
    State.SkinIndex = ReadIniInt(base, "OPT", "SkinCol", 0);
    (State.SkinIndex != 0 ? do_Silver : do_Black)->setChecked(true);
    LoadSkin(State.SkinIndex);
}

void TfrmMain::LoadSkin(int index)
{
    IMG->setPixmap(QPixmap(index != 0 ? QStringLiteral(":/white.gif") : QStringLiteral(":/black.gif")));
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
    QCoreApplication::processEvents();
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
}

void TfrmMain::setProgressMaximum(int maximum)
{
    PGB->setMaximum(std::max(0, maximum));
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
    static constexpr const char *keys[] = {nullptr, "Shuffle", "AutoRun", "Minimize", "StayOnTop"};
    const int tag = item->data().toInt();
    if (tag >= 1 && tag <= 4)
        WriteIniBool(State.SettingsBase, "OPT", keys[tag], item->isChecked());
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

void TfrmMain::btnMemuClick()
{
    Sequencer.btnStopClick(nullptr);
    SetControlsEnabled(false);
    int tag = 0;
    {
        TfrmMidi editor(this);
        editor.exec();
        tag = editor.Tag;
    }
    if (tag == 1)
        Sequencer.restartFromFirstTune();
    SetControlsEnabled(true);
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
    Sequencer.cancelTuneDownload();
    close();
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
    Sequencer.btnStopClick(nullptr);
    // A catalogue download that runs on would hold the program after its window is gone.
    Sequencer.HTTPGet2.Cancel();
    QFile::remove(State.TuneFilePath);
    try {
        WriteFormPos(State.SettingsBase, "OPT", "Main", this);
    } catch (const SettingsError &error) {
        ReportError(error);
    }
    QFile::remove(State.ExeFolder + QStringLiteral("/@Midi.MDX"));
}
