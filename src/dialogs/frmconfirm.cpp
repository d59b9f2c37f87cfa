#include "dialogs/frmconfirm.h"

#include "app/cursors.h"
#include "dialogs/dialogart.h"
#include "dialogs/dialogime.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWindow>

#include <algorithm>

namespace {

QPointer<TfrmConfirm> theDialog;

QFont dialogFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

// Message lines end at each carriage return.
QString displayLines(QString message)
{
    message.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return message;
}

QPushButton *makeButton(QWidget *parent, int tag)
{
    auto *button = new QPushButton(parent);
    button->setGeometry(0, 8, 75, 25);
    button->setProperty("tag", tag);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

ConfirmGeometry ConfirmGeometryFor(const QRect &label, const QMargins &frame, int kind)
{
    constexpr int panelHeight = 42;
    ConfirmGeometry geometry;
    const int outerWidth = std::max(label.x() + label.width() + 30, 330);
    const int panelTop = std::max(label.y() + label.height() + 28, 64);
    geometry.outer = QSize(outerWidth, panelTop + 54);
    geometry.client = geometry.outer.shrunkBy(frame);
    geometry.panel = QRect(0, geometry.client.height() - panelHeight, geometry.client.width(), panelHeight);
    if (kind == TfrmConfirm::KindQuestion) {
        geometry.button3Left = outerWidth - 95;
        geometry.button2Left = geometry.button3Left - 79;
    } else {
        geometry.button2Left = outerWidth - 95;
    }
    return geometry;
}

QPoint CentredOn(const QRect &owner, const QSize &outer)
{
    return {owner.x() + (owner.width() - outer.width()) / 2, owner.y() + (owner.height() - outer.height()) / 2};
}

TfrmConfirm::TfrmConfirm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("確認"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 41, 41);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(InformationIcon()));

    lblMsg = new QLabel(this);
    lblMsg->move(63, 18);
    lblMsg->setTextFormat(Qt::PlainText);
    QPalette black = lblMsg->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblMsg->setPalette(black);

    pnlSw = new QWidget(this);
    Button2 = makeButton(pnlSw, 2);
    Button3 = makeButton(pnlSw, 3);
    connect(Button2, &QPushButton::clicked, this, [this] { ButtonClick(Button2); });
    connect(Button3, &QPushButton::clicked, this, [this] { ButtonClick(Button3); });

    SetDialogIme(this);
    const auto widgets = findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (widget->testAttribute(Qt::WA_SetCursor)
            && widget->cursor().shape() == Qt::PointingHandCursor)
            widget->setCursor(AppCursor(HandCursor));
    }
}

void TfrmConfirm::prepare(QWidget *owner, const QString &caption, int kind,
                          const QString &message)
{
    lblMsg->setText(displayLines(message));
    lblMsg->adjustSize();
    setWindowTitle(caption);
    Tag = kind;
    m_owner = owner;
    layoutFor(kind);
    centreOn(owner);
    m_pressed = 3;
}

QMargins TfrmConfirm::frame() const
{
    // The window manager frames every box alike, but a box shown again learns its frame
    // only once it is mapped: until then the frame of the last box stands in, so that the
    // box is laid out for its outer size from the start.
    static QMargins lastKnown;
    const QMargins current = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (!current.isNull())
        lastKnown = current;
    return lastKnown;
}

void TfrmConfirm::layoutFor(int kind)
{
    m_laidOutFrame = frame();
    const ConfirmGeometry geometry = ConfirmGeometryFor(lblMsg->geometry(), m_laidOutFrame, kind);
    m_outer = geometry.outer;
    setFixedSize(geometry.client);
    pnlSw->setGeometry(geometry.panel);
    Button2->setVisible(true);
    Button3->setVisible(kind != KindNotice);
    Button2->move(geometry.button2Left, 8);
    Button3->move(geometry.button3Left, 8);
    if (kind == KindQuestion) {
        Button2->setText(QStringLiteral("はい"));
        Button3->setText(QStringLiteral("いいえ"));
        Button3->setFocus(Qt::OtherFocusReason);
    } else if (kind == KindNotice) {
        Button2->setText(QStringLiteral("ＯＫ"));
        Button2->setFocus(Qt::OtherFocusReason);
    }
}

void TfrmConfirm::centreOn(const QWidget *owner)
{
    if (!owner)
        return;
    const bool isWindow = owner->window() == owner;
    const QRect outer = isWindow ? owner->frameGeometry()
                                 : QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    // For a window, move() places the outer top-left corner.
    move(CentredOn(outer, m_outer));
}

bool TfrmConfirm::event(QEvent *event)
{
    // The window manager has framed the box: lay it out again for the frame it has.
    if (event->type() == QEvent::Move && isVisible() && frame() != m_laidOutFrame) {
        layoutFor(Tag);
        centreOn(m_owner);
    }
    return QDialog::event(event);
}

int TfrmConfirm::ask(QWidget *owner, const QString &caption, int kind, const QString &message)
{
    prepare(owner, caption, kind, message);
    // Keep the box above the window that asked without making it the box's parent: the
    // box outlives most of the windows that ask.
    winId();
    QWindow *ownerWindow = owner ? owner->window()->windowHandle() : nullptr;
    windowHandle()->setTransientParent(ownerWindow);
    exec();
    windowHandle()->setTransientParent(nullptr);
    return Tag;
}

void TfrmConfirm::ButtonClick(QPushButton *button)
{
    m_pressed = button->property("tag").toInt();
    close();
}

void TfrmConfirm::keyPressEvent(QKeyEvent *event)
{
    // Key codes, so that any modifier or letter case of the keyboard state counts.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_N:
        ButtonClick(Button3);
        return;
    case Qt::Key_Y:
        ButtonClick(Button2);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TfrmConfirm::done(int)
{
    Tag = m_pressed == 2 ? ResultYes : ResultNo;
    QDialog::done(Tag);
}

void CreateConfirmDialog(QWidget *owner)
{
    delete theDialog;
    theDialog = new TfrmConfirm(owner);
}

int AskConfirm(QWidget *owner, const QString &caption, int kind, const QString &message)
{
    if (!theDialog)
        CreateConfirmDialog(owner ? owner->window() : nullptr);
    // A question asked while the box is up (from a timer, say) gets a box of its own.
    if (theDialog->isVisible()) {
        TfrmConfirm nested(owner ? owner->window() : nullptr);
        return nested.ask(owner, caption, kind, message);
    }
    return theDialog->ask(owner, caption, kind, message);
}
