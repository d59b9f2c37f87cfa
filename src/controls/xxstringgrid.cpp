#include "controls/xxstringgrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace {

// Paints cells through the grid's OnDrawCell, or as plain text at 2, 2 in the cell.
class StringGridDelegate : public QStyledItemDelegate
{
public:
    explicit StringGridDelegate(TxxStringGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        TGridDrawState state;
        state.setFlag(gdSelected, option.state & QStyle::State_Selected);
        state.setFlag(gdFocused, (option.state & QStyle::State_HasFocus) && m_grid->hasFocus());
        painter->save();
        painter->setClipRect(option.rect);
        if (m_grid->OnDrawCell) {
            m_grid->OnDrawCell(m_grid, index.column(), index.row(), *painter, option.rect, state);
        } else {
            const QPalette &palette = option.palette;
            painter->fillRect(option.rect, state & gdSelected ? palette.highlight() : palette.base());
            painter->setPen(palette.color(state & gdSelected ? QPalette::HighlightedText
                                                             : QPalette::Text));
            painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                              m_grid->Cells(index.column(), index.row()));
        }
        painter->restore();
    }

private:
    TxxStringGrid *m_grid;
};

} // namespace

TxxStringGrid::TxxStringGrid(QWidget *parent)
    : QTableView(parent)
{
    setItemDelegate(new StringGridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(48);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setDefaultRowHeight(18);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalScrollBar()->setTracking(true);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);

    // A wheel over a scroll bar is the grid's wheel too.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
    // Bringing a cell into view (a click on a column cut off at the right edge, a zero-width
    // column) would otherwise scroll a grid sideways that has no bar to scroll it back.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int left) {
        if (left != 0 && horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            horizontalScrollBar()->setValue(0);
    });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (!OnMouseWheel)
            return;
        if (action == QAbstractSlider::SliderSingleStepSub)
            OnMouseWheel(this, -2);
        else if (action == QAbstractSlider::SliderSingleStepAdd)
            OnMouseWheel(this, 2);
    });
}

QString TxxStringGrid::Cells(int ACol, int ARow) const
{
    return model() ? model()->index(ARow, ACol).data().toString() : QString();
}

int TxxStringGrid::RowCount() const
{
    return model() ? model()->rowCount() : 0;
}

int TxxStringGrid::ColWidths(int column) const
{
    return horizontalHeader()->sectionSize(column);
}

void TxxStringGrid::setColWidths(int column, int width)
{
    horizontalHeader()->resizeSection(column, std::max(width, 0));
}

// The row height is the height of a cell; the grid line below it comes on top.
int TxxStringGrid::gridLineWidth() const
{
    return showGrid() ? 1 : 0;
}

int TxxStringGrid::DefaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize() - gridLineWidth();
}

void TxxStringGrid::setDefaultRowHeight(int height)
{
    verticalHeader()->setDefaultSectionSize(std::max(height, 0) + gridLineWidth());
}

int TxxStringGrid::Row() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TxxStringGrid::setRow(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    const QModelIndex at = model()->index(row, std::max(currentIndex().column(), 0));
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect
                                              | QItemSelectionModel::Rows);
    scrollTo(at);
}

QModelIndex TxxStringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // The rows are the grid's items: Home and End move between them, like the arrow keys,
    // and keep the current column.
    if (cursorAction == MoveHome || cursorAction == MoveEnd) {
        if (RowCount() == 0)
            return {};
        const int row = cursorAction == MoveHome ? 0 : RowCount() - 1;
        return model()->index(row, std::max(currentIndex().column(), 0));
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}

int TxxStringGrid::TopRow() const
{
    return verticalScrollBar()->value();
}

void TxxStringGrid::setTopRow(int row)
{
    verticalScrollBar()->setValue(row);
}

int TxxStringGrid::VisibleRowCount() const
{
    const int pitch = verticalHeader()->defaultSectionSize();
    return pitch > 0 ? viewport()->height() / pitch : 0;
}

void TxxStringGrid::wheel(QWheelEvent *event)
{
    event->accept();
    const int step = WheelStep(event);
    if (step != 0 && OnMouseWheel)
        OnMouseWheel(this, step);
}

void TxxStringGrid::wheelEvent(QWheelEvent *event)
{
    wheel(event);
}

bool TxxStringGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel
        && (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        wheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TxxStringGrid::enterEvent(QEnterEvent *event)
{
    QTableView::enterEvent(event);
    FireCrossing(OnMouseEnter, this, event);
}

void TxxStringGrid::leaveEvent(QEvent *event)
{
    QTableView::leaveEvent(event);
    FireCrossing(OnMouseLeave, this, event);
}
