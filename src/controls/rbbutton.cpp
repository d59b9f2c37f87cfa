#include "controls/rbbutton.h"

#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TRbButton::TRbButton(QWidget *parent)
    : TRbCustomControl(parent)
{
    resize(75, 25);
    UpdateGradients();
}

TRbButton::~TRbButton() = default;

void TRbButton::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    TextChanged();
}

void TRbButton::setGlyph(const QImage &glyph)
{
    m_glyph = glyph.copy();
    update();
}

void TRbButton::setSpacing(int spacing)
{
    m_spacing = std::max(spacing, 0);
}

void TRbButton::setLayout(TButtonLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    update();
}

void TRbButton::setShowFocusRect(bool show)
{
    if (show == m_showFocusRect)
        return;
    m_showFocusRect = show;
    update();
}

void TRbButton::setHotTrack(bool hotTrack)
{
    if (hotTrack == m_hotTrack)
        return;
    m_hotTrack = hotTrack;
    update();
}

void TRbButton::setDefault(bool isDefault)
{
    if (isDefault == m_default)
        return;
    m_default = isDefault;
    watchWindowKeys();
}

void TRbButton::setCancel(bool isCancel)
{
    m_cancel = isCancel;
    watchWindowKeys();
}

void TRbButton::setGradientType(TGradientType type)
{
    if (type == m_gradientType)
        return;
    m_gradientType = type;
    UpdateGradients();
}

void TRbButton::setColor(TColor color)
{
    m_color = color;
    update();
}

void TRbButton::setFontColor(TColor color)
{
    m_fontColor = color;
    update();
}

bool TRbButton::anotherDownInGroup() const
{
    if (!parentWidget())
        return false;
    const auto siblings = parentWidget()->findChildren<TRbButton *>(Qt::FindDirectChildrenOnly);
    for (const TRbButton *other : siblings) {
        if (other != this && other->m_groupIndex == m_groupIndex && other->m_down)
            return true;
    }
    return false;
}

void TRbButton::setDown(bool down)
{
    if (m_groupIndex <= 0)
        return;
    if (!down && !m_allowAllUp && !anotherDownInGroup())
        return;
    m_down = down;
    if (down) {
        if (parentWidget()) {
            const auto siblings =
                parentWidget()->findChildren<TRbButton *>(Qt::FindDirectChildrenOnly);
            for (TRbButton *other : siblings) {
                if (other != this && other->m_groupIndex == m_groupIndex && other->m_down)
                    other->setDown(false);
            }
        }
        m_over = true;
        m_clicked = true;
        startFade(true);
    } else {
        m_clicked = false;
        startFade(false);
    }
}

void TRbButton::Click()
{
    if (m_modalResult != 0) {
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(m_modalResult);
    }
    setDown(m_groupIndex > 0 && !m_down);
    if (OnClick)
        OnClick(this);
}

RbButtonLook TRbButton::look() const
{
    RbButtonLook look;
    look.width = width();
    look.height = height();
    // Hidden widgets get their resize event only when shown.
    const Gradients gradients = m_gradients.defaultGradient.size() == size() ? m_gradients : makeGradients();
    look.defaultGradient = gradients.defaultGradient;
    look.overGradient = gradients.overGradient;
    look.clickedGradient = gradients.clickedGradient;
    look.overLevel = m_overLevel;
    look.clickedLevel = m_clickedLevel;
    look.gradientBorder = m_gradientBorder;
    look.color = m_color;
    look.borderColor = m_colors.BorderColor();
    look.caption = m_caption;
    look.showCaption = ShowCaption();
    look.font = font();
    look.fontColor = m_fontColor;
    look.hotTrack = m_hotTrack;
    look.mouseOver = m_over;
    look.hotTrackColor = m_colors.HotTrack();
    look.textShadow = TextShadow();
    look.textShadowColor = m_colors.TextShadow();
    look.enabled = isEnabled();
    look.glyph = m_glyph;
    look.spacing = m_spacing;
    look.layout = m_layout;
    look.focused = hasFocus();
    look.showFocusRect = m_showFocusRect;
    return look;
}

TRbButton::Gradients TRbButton::makeGradients() const
{
    const auto gradient = [this](TColor from, TColor to) {
        return RbGradient(width(), height(), ToQColor(from), ToQColor(to), m_gradientType);
    };
    return {gradient(m_colors.DefaultFrom(), m_colors.DefaultTo()), gradient(m_colors.OverFrom(), m_colors.OverTo()),
            gradient(m_colors.ClickedFrom(), m_colors.ClickedTo())};
}

void TRbButton::UpdateGradients()
{
    m_gradients = makeGradients();
    update();
}

void TRbButton::FocusChanged()
{
    update();
}

void TRbButton::LeftMouseDown()
{
    TRbCustomControl::LeftMouseDown();
    m_over = true;
    m_clicked = true;
    startFade(true);
}

void TRbButton::LeftMouseUp()
{
    if (m_clicked && !m_down)
        m_clicked = false;
    if (m_over)
        startFade(true);
    else
        startFade();
}

void TRbButton::MouseEntered()
{
    TRbCustomControl::MouseEntered();
    m_over = true;
    startFade(true);
}

void TRbButton::MouseLeft()
{
    TRbCustomControl::MouseLeft();
    if (m_down)
        return;
    m_over = false;
    startFade(false);
}

void TRbButton::Resized()
{
    TRbCustomControl::Resized();
    UpdateGradients();
}

void TRbButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, RenderRbButton(look()));
}

bool TRbButton::canTakeFocus() const
{
    return isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
}

void TRbButton::keyPressEvent(QKeyEvent *event)
{
    const bool noModifier = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Space:
        // Key repeat sends more presses, so holding Space clicks repeatedly.
        if (noModifier) {
            Click();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (canTakeFocus()) {
            Click();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (m_cancel && noModifier && canTakeFocus()) {
            Click();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    TRbCustomControl::keyPressEvent(event);
}

// Enter for a Default button and Escape for a Cancel button from anywhere in the window:
// keys that no control took reach the window, where this filter sees them.
void TRbButton::watchWindowKeys()
{
    QWidget *keyWindow = (m_default || m_cancel) ? window() : nullptr;
    if (keyWindow == m_keyWindow)
        return;
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
    m_keyWindow = keyWindow;
    if (m_keyWindow && m_keyWindow != this)
        m_keyWindow->installEventFilter(this);
}

bool TRbButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_keyWindow && event->type() == QEvent::KeyPress && canTakeFocus()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool noModifier = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if ((enter && m_default) || (key->key() == Qt::Key_Escape && m_cancel && noModifier)) {
            Click();
            return true;
        }
    }
    return TRbCustomControl::eventFilter(watched, event);
}

void TRbButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressedHere = true;
    TRbCustomControl::mousePressEvent(event);
}

void TRbButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const bool click = m_pressedHere && rect().contains(event->position().toPoint());
        m_pressedHere = false;
        if (click)
            Click();
    }
    TRbCustomControl::mouseReleaseEvent(event);
}
