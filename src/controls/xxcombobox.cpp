#include "controls/xxcombobox.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QWheelEvent>

namespace {

// Items of the open list: OnDrawItem when assigned, else the standard look; all of the
// box's item height.
class ComboItemDelegate : public QStyledItemDelegate
{
public:
    explicit ComboItemDelegate(TxxComboBox *combo)
        : QStyledItemDelegate(combo)
        , m_combo(combo)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (!m_combo->OnDrawItem) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        TOwnerDrawState state;
        state.setFlag(odSelected, option.state & QStyle::State_Selected);
        state.setFlag(odDisabled, !m_combo->isEnabled());
        painter->save();
        painter->setClipRect(option.rect);
        m_combo->OnDrawItem(m_combo, index.row(), *painter, option.rect, state);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_combo->ItemHeight());
        return size;
    }

private:
    TxxComboBox *m_combo;
};

} // namespace

TxxComboBox::TxxComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setItemDelegate(new ComboItemDelegate(this));
    setMaxVisibleItems(16);
    view()->viewport()->installEventFilter(this);
    m_popup = view()->window();
    m_popup->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

void TxxComboBox::setItemHeight(int height)
{
    m_itemHeight = height;
    update();
}

bool TxxComboBox::DroppedDown() const
{
    return m_listOpen;
}

void TxxComboBox::fireWheel(const QWheelEvent *event)
{
    const int step = WheelStep(event);
    if (step != 0 && OnMouseWheel)
        OnMouseWheel(this, step);
}

void TxxComboBox::wheelEvent(QWheelEvent *event)
{
    if (m_listOpen || m_wheelActive)
        QComboBox::wheelEvent(event);
    event->accept();
    fireWheel(event);
}

bool TxxComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_popup) {
        if (event->type() == QEvent::Show) {
            m_listOpen = true;
        } else if (event->type() == QEvent::Hide && m_listOpen) {
            m_listOpen = false;
            if (OnCloseUp)
                OnCloseUp(this);
        }
    } else if (watched == view()->viewport() && event->type() == QEvent::Wheel
               && !m_forwardingWheel) {
        // The open list scrolls as usual, and the step is reported after it.
        m_forwardingWheel = true;
        QCoreApplication::sendEvent(watched, event);
        m_forwardingWheel = false;
        fireWheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

void TxxComboBox::paintEvent(QPaintEvent *event)
{
    if (!OnDrawItem) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxEditField, this);
    TOwnerDrawState state = odComboBoxEdit;
    state.setFlag(odDisabled, !isEnabled());
    painter.setClipRect(field);
    OnDrawItem(this, currentIndex(), painter, field, state);
}

void TxxComboBox::enterEvent(QEnterEvent *event)
{
    FireCrossing(OnMouseEnter, this, event);
}

void TxxComboBox::leaveEvent(QEvent *event)
{
    FireCrossing(OnMouseLeave, this, event);
}

void TxxComboBox::mousePressEvent(QMouseEvent *event)
{
    QComboBox::mousePressEvent(event);
    if (OnMouseDown)
        OnMouseDown(this, event->button(), ShiftStateOf(event->modifiers(), event->buttons()),
                    event->position().toPoint().x(), event->position().toPoint().y());
}

void TxxComboBox::mouseReleaseEvent(QMouseEvent *event)
{
    QComboBox::mouseReleaseEvent(event);
    if (OnMouseUp)
        OnMouseUp(this, event->button(), ShiftStateOf(event->modifiers(), event->buttons()),
                  event->position().toPoint().x(), event->position().toPoint().y());
}

void TxxComboBox::mouseMoveEvent(QMouseEvent *event)
{
    QComboBox::mouseMoveEvent(event);
    if (OnMouseMove)
        OnMouseMove(this, ShiftStateOf(event->modifiers(), event->buttons()),
                    event->position().toPoint().x(), event->position().toPoint().y());
}
