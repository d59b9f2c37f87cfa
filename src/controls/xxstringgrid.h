#pragma once

#include "controls/xxevents.h"

#include <QTableView>

// How a cell is drawn: selected (its row is the selected row), focused (the current cell
// of a focused grid).
enum TGridDrawFlag { gdSelected = 0x1, gdFocused = 0x2 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// A string grid (a table view over the text of its model's cells) set up as the editor's
// lists are: no fixed rows or columns, cells 18 pixels high above a grid line, columns of
// 48, whole-row selection, the view following the scroll thumb, a vertical scroll bar
// only, a white background. The column widths apply to the model set before them.
// It never scrolls itself on the wheel: every wheel event is one OnMouseWheel step, and
// the handler decides how far to scroll. Home and End go to the first and the last row,
// Tab leaves the grid, and a grid without a horizontal scroll bar never scrolls sideways,
// so that its columns stay under whatever headers are drawn above them.
class TxxStringGrid : public QTableView
{
public:
    using TDrawCellEvent = std::function<void(TxxStringGrid *Sender, int ACol, int ARow,
                                              QPainter &Canvas, const QRect &Rect,
                                              TGridDrawState State)>;

    explicit TxxStringGrid(QWidget *parent = nullptr);

    // The text of a cell of the model; empty outside it.
    QString Cells(int ACol, int ARow) const;
    int RowCount() const;
    int ColWidths(int column) const;
    void setColWidths(int column, int width);
    int DefaultRowHeight() const;
    void setDefaultRowHeight(int height);

    // The selected row, -1 when none; selecting also makes it the current row and
    // brings it into view.
    int Row() const;
    void setRow(int row);
    // The first row in view, and the number of rows wholly in view.
    int TopRow() const;
    void setTopRow(int row);
    int VisibleRowCount() const;

    // The row under a point of the viewport, -1 outside the rows.
    int RowAt(const QPoint &viewportPos) const { return rowAt(viewportPos.y()); }

    int Tag = 0;
    TWheelEvent<TxxStringGrid> OnMouseWheel;
    TCrossingEvent<TxxStringGrid> OnMouseEnter;
    TCrossingEvent<TxxStringGrid> OnMouseLeave;
    // Owner drawing of every cell; without it the cell text is drawn plainly.
    TDrawCellEvent OnDrawCell;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void wheelEvent(QWheelEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wheel(QWheelEvent *event);
    int gridLineWidth() const;
};
