#include "editor/editorcontrols.h"

#include "app/cursors.h"
#include "catalogue/cataloguefile.h"
#include "controls/lbspeedbutton.h"
#include "controls/xxcombobox.h"
#include "controls/xxlabel.h"
#include "controls/xxstringgrid.h"
#include "editor/headerpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStyle>

namespace {

const QColor menuFace(230, 231, 236);

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

QLabel *createLabel(QWidget *parent, const QRect &place, const QString &text, bool bold,
                    const QColor &colour = Qt::black)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    SetTextColour(label, colour);
    return label;
}

TLbSpeedButton *createButton(QWidget *parent, const QRect &place, const QString &caption)
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

TxxComboBox *createCombo(QWidget *parent, const QRect &place, int tag, const QStringList &items)
{
    auto *combo = new TxxComboBox(parent);
    combo->setGeometry(place);
    combo->Tag = tag;
    combo->addItems(items);
    combo->setItemHeight(14);
    combo->setMaxVisibleItems(16);
    combo->setWheelActive(true);
    combo->setAttribute(Qt::WA_InputMethodEnabled, false);
    combo->setCursor(AppCursor(HandCursor));
    return combo;
}

// A grid over the model; the columns take their widths from it.
TxxStringGrid *createGrid(QWidget *parent, const QRect &place, QAbstractItemModel *cells)
{
    auto *grid = new TxxStringGrid(parent);
    grid->setModel(cells);
    grid->setGeometry(place);
    grid->setCursor(AppCursor(HandCursor));
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    return grid;
}

// The running number, the text and the hidden third cell of the two lists on the left.
void setListColumns(TxxStringGrid *grid)
{
    grid->setColWidths(0, 26);
    grid->setColWidths(1, grid->width() - 28);
    grid->setColWidths(2, 0);
}

} // namespace

void SetTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

void EditorControls::setupControls(QDialog *window, QAbstractItemModel *catalogue, QAbstractItemModel *favorites,
                                   QAbstractItemModel *tunes)
{
    window->setWindowTitle(QStringLiteral("Quavelo の設定"));
    window->setFixedSize(ClientWidth, ClientHeight);
    QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
    face.setPixelSize(12);
    window->setFont(face);

    setupTopPanel(window);
    setupMenuPanel(window);
    setupClassPanel(window, favorites, tunes);
    setupMidiPanel(window, catalogue);
    setupMenus(window);
}

void EditorControls::setupTopPanel(QDialog *window)
{
    pnlTop = createPanel(window, {0, 0, ClientWidth, 27}, QColor(221, 227, 240));
    const QString manual = QStringLiteral("オンラインマニュアル");

    imgHELP00 = new TxxLabel(pnlTop);
    imgHELP00->setGeometry(6, 5, 16, 16);
    imgHELP00->setPixmap(window->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(16, 16));
    lblHELP00 = new TxxLabel(pnlTop);
    lblHELP00->setGeometry(25, 7, 120, 14);
    lblHELP00->setText(manual);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    arial.setUnderline(true);
    lblHELP00->setFont(arial);
    SetTextColour(lblHELP00, QColor(0, 0, 255));
    for (TxxLabel *link : {imgHELP00, lblHELP00}) {
        link->setToolTip(manual);
        link->setCursor(AppCursor(HelpCursor));
    }

    lblMID00 = createLabel(pnlTop, {160, 7, 62, 14}, QStringLiteral("現在の曲 :"), true);
    lblMID01 = createLabel(pnlTop, {224, 7, 500, 14}, QString(), true, Qt::blue);

    btnOK = createButton(pnlTop, {ClientWidth - 150, 3, 70, 21}, QStringLiteral("決 定"));
    btnOK->Tag = 1;
    btnOK->setToolTip(QStringLiteral("MIDIを決定する"));
    btnOK->setFontColor(clBlue);
    btnCan = createButton(pnlTop, {ClientWidth - 76, 3, 70, 21}, QStringLiteral("ｷｬﾝｾﾙ"));
    btnCan->Tag = 2;
    btnCan->setFontColor(clRed);
    for (TLbSpeedButton *button : {btnOK, btnCan}) {
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
    }
}

void EditorControls::setupMenuPanel(QDialog *window)
{
    pnlMenu = createPanel(window, {0, 27, ClientWidth, 54}, menuFace);

    const char *captions[] = {"オートシャッフル", "起動時自動再生", "起動時最小化", "常に前面に表示"};
    for (int i = 0; i < 4; ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(captions[i]), pnlMenu);
        box->setGeometry(8 + (i / 2) * 124, 6 + (i % 2) * 24, 120, 18);
        box->setCursor(AppCursor(HandCursor));
        rbOptions[std::size_t(i)] = box;
    }

    lblWaite = createLabel(pnlMenu, {258, 9, 100, 14}, QStringLiteral("曲間ギャップ :"), false);
    lblWaite->setToolTip(QStringLiteral("曲間の無音時間の設定"));
    QStringList digits;
    for (int i = 0; i < 10; ++i)
        digits << QString(QChar(0xFF10 + i));
    cmbWaite = createCombo(pnlMenu, {360, 5, 86, 20}, 0, digits);
    cmbWaite->setToolTip(lblWaite->toolTip());
    lblSkin = createLabel(pnlMenu, {258, 33, 100, 14}, QStringLiteral("プレーヤースキン :"), false);
    cmbSkin = createCombo(pnlMenu, {360, 29, 86, 20}, 1, {QStringLiteral("ブラック"), QStringLiteral("シルバー")});

    btnPlay = createButton(pnlMenu, {456, 5, 50, 21}, QStringLiteral("再生"));
    btnPlay->setToolTip(QStringLiteral("演奏の開始 (スペースキー)"));
    btnStop = createButton(pnlMenu, {510, 5, 50, 21}, QStringLiteral("停止"));
    btnStop->setToolTip(QStringLiteral("演奏の停止"));
    PGB = new QProgressBar(pnlMenu);
    PGB->setGeometry(456, 32, 104, 14);
    PGB->setRange(0, 100);
    PGB->setValue(0);
    PGB->setTextVisible(false);

    lblPlay00 = createLabel(pnlMenu, {572, 9, 76, 14}, QStringLiteral("演奏中の曲 :"), false);
    lblPlay = createLabel(pnlMenu, {650, 9, 240, 14}, QString(), true, Qt::blue);
    lblTune = createLabel(pnlMenu, {650, 33, 238, 14}, QString(), false);
    lblTune->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void EditorControls::setupClassPanel(QDialog *window, QAbstractItemModel *favorites, QAbstractItemModel *tunes)
{
    pnlClass = createPanel(window, {0, 81, 241, ClientHeight - 81}, menuFace);

    lblMSG = createLabel(pnlClass, {8, 9, 60, 14}, QStringLiteral("お気に入り"), true);
    lblFavNo = createLabel(pnlClass, {70, 9, 80, 14}, QString(), false);
    btnAddFav = createButton(pnlClass, {183, 4, 50, 21}, QStringLiteral("追加"));
    btnAddFav->setToolTip(QStringLiteral("お気に入りの追加"));
    sgdFav = createGrid(pnlClass, {6, 28, 227, 96}, favorites);
    setListColumns(sgdFav);

    lblFav = createLabel(pnlClass, {8, 141, 70, 14}, QStringLiteral("プレイリスト"), true);
    lblLstNo = createLabel(pnlClass, {80, 141, 110, 14}, QString(), false);
    btnUp = createButton(pnlClass, {193, 136, 20, 21}, QStringLiteral("▲"));
    btnUp->Tag = 1;
    btnUp->setToolTip(QStringLiteral("上に移動"));
    btnDown = createButton(pnlClass, {213, 136, 20, 21}, QStringLiteral("▼"));
    btnDown->Tag = 2;
    btnDown->setToolTip(QStringLiteral("下に移動"));
    sgdList = createGrid(pnlClass, {6, 160, 227, 343}, tunes);
    setListColumns(sgdList);
}

void EditorControls::setupMidiPanel(QDialog *window, QAbstractItemModel *catalogue)
{
    pnlMidi = createPanel(window, {241, 81, ClientWidth - 241, ClientHeight - 81}, menuFace);

    struct Header { int left; int width; const char *caption; };
    const Header headers[] = {{7, 30, "No"},       {34, 216, "曲名"},    {249, 150, "作曲"},
                              {398, 100, "楽器"},  {497, 90, "ジャンル"}, {586, 62, "時間"}};
    sgdMidi = createGrid(pnlMidi, {7, 28, 641, 476}, catalogue);
    for (int tag = 0; tag < 6; ++tag) {
        auto *panel = new HeaderPanel(pnlMidi, tag);
        panel->setGeometry(headers[tag].left, 7, headers[tag].width, 22);
        panel->setText(QString::fromUtf8(headers[tag].caption));
        panel->setCursor(AppCursor(HandCursor));
        if (tag > 0)
            panel->setToolTip(QStringLiteral("クリックで並べ替えします"));
        sgdMidi->setColWidths(tag, headers[tag].width - 2);
        pnlHeaders[std::size_t(tag)] = panel;
    }
    sgdMidi->setColWidths(CellFileName, 0);
    sgdMidi->setColWidths(CellMark, 0);
}

void EditorControls::setupMenus(QDialog *window)
{
    mnuMidi = new QMenu(window);
    do_Play = mnuMidi->addAction(QStringLiteral("再生する"));
    do_Stop = mnuMidi->addAction(QStringLiteral("停止する"));

    mnuFav = new QMenu(window);
    do_Rename = mnuFav->addAction(QStringLiteral("名前の変更"));
    do_AddFav = mnuFav->addAction(QStringLiteral("お気に入りの追加"));
    mnuFav->addSeparator();
    do_DelFav = mnuFav->addAction(QStringLiteral("お気に入りの削除"));

    mnuList = new QMenu(window);
    do_Play1 = mnuList->addAction(QStringLiteral("再生する"));
    do_Stop1 = mnuList->addAction(QStringLiteral("停止する"));
    mnuList->addSeparator();
    do_DelList = mnuList->addAction(QStringLiteral("プレイリストから削除"));
    do_DelAll = mnuList->addAction(QStringLiteral("プレイリストの全削除"));
}
