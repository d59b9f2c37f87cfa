#include "editor/editorgrid.h"

#include "catalogue/cataloguelist.h"
#include "controls/xxstringgrid.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

EditorGrid::EditorGrid(TxxStringGrid *grid, const CellTable &table, GridBehaviour behaviour)
    : QObject(grid)
    , m_grid(grid)
    , m_table(table)
    , m_behaviour(std::move(behaviour))
{
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    grid->OnMouseWheel = [this](TxxStringGrid *, int steps) { wheel(steps); };
    grid->OnDrawCell = [this](TxxStringGrid *sender, int column, int row, QPainter &canvas, const QRect &rect,
                              TGridDrawState state) {
        const QWidget *window = sender->window();
        m_behaviour.paint({canvas, rect, state.testFlag(gdSelected), window->font(),
                           window->palette().color(QPalette::Base)},
                          row, column);
    };
    // The grid keeps its model, and with it this selection model.
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_quiet && current.isValid())
                    rowMoved(current.row());
            });
    if (QMenu *menu = m_behaviour.menu) {
        connect(grid, &QWidget::customContextMenuRequested, this,
                [grid, menu](const QPoint &at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    }
}

void EditorGrid::showSelection()
{
    m_quiet = true;
    m_grid->setRow(m_table.selectedRow());
    m_quiet = false;
}

void EditorGrid::rowMoved(int row)
{
    m_behaviour.select(row);
    if (m_behaviour.selectionStep)
        m_behaviour.selectionStep();
}

void EditorGrid::wheel(int steps)
{
    if (steps != -1 && steps != 1)
        return;
    m_grid->setTopRow(WheelTopRow(m_grid->TopRow(), m_grid->RowCount(), m_grid->VisibleRowCount(), steps > 0));
}

// Any button selects the row under the pointer; a left click then runs the selection
// step, a right click only selects before the menu opens.
bool EditorGrid::mousePressed(QMouseEvent *event)
{
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    const int row = m_grid->RowAt(event->position().toPoint());
    // The second press of a double click selects as any press does.
    if (row >= 0 && !(doubleClick && row == m_grid->Row())) {
        m_quiet = true;
        m_grid->setRow(row);
        m_quiet = false;
        m_behaviour.select(row);
        if (event->button() == Qt::LeftButton && m_behaviour.selectionStep)
            m_behaviour.selectionStep();
    }
    m_grid->setFocus();
    if (doubleClick && event->button() == Qt::LeftButton && m_behaviour.activate)
        m_behaviour.activate();
    return true;
}

bool EditorGrid::keyPressed(int key)
{
    const auto run = [](const std::function<void()> &step) {
        if (step)
            step();
        return true;
    };
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return run(m_behaviour.activate);
    case Qt::Key_Delete:
        return run(m_behaviour.remove);
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (TxxStringGrid *next = key == Qt::Key_Left ? m_behaviour.left : m_behaviour.right)
            next->setFocus();
        return true;
    default:
        return false;
    }
}

bool EditorGrid::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == m_grid)
            return keyPressed(static_cast<QKeyEvent *>(event)->key());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched == m_grid->viewport())
            return mousePressed(static_cast<QMouseEvent *>(event));
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

int WheelTopRow(int topRow, int rowCount, int visibleRows, bool down)
{
    constexpr int step = 3;
    if (!down)
        return std::max(topRow - step, 0);
    const int lastTop = std::max(rowCount - visibleRows, 0);
    if (topRow >= lastTop)
        return topRow;
    return std::min(topRow + step, lastTop);
}
