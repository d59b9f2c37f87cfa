#pragma once

#include "editor/editorpainting.h"

#include <QObject>

#include <functional>

class CellTable;
class QMenu;
class QMouseEvent;
class TxxStringGrid;

// What one of the editor's lists does when the user works in it. Steps that a list lacks
// stay empty.
struct GridBehaviour
{
    // Every cell of the grid.
    std::function<void(const CellPaint &paint, int row, int column)> paint;
    // The row becomes the list's selected row, and nothing more: a right click, a scroll.
    std::function<void(int row)> select;
    // Then, after a left click or a move by keyboard.
    std::function<void()> selectionStep;
    // A double click or Enter.
    std::function<void()> activate;
    // Delete.
    std::function<void()> remove;
    // The lists that Left and Right hand the focus to; either key does nothing else.
    TxxStringGrid *left = nullptr;
    TxxStringGrid *right = nullptr;
    QMenu *menu = nullptr;
};

// One of the editor's lists: its grid, which shows the list's table, and the list's
// behaviour behind the grid's painting, mouse, keys, wheel and context menu. Any mouse button
// selects the row under the pointer; one wheel step moves the top row by three rows.
class EditorGrid : public QObject
{
public:
    // Lives as long as the grid.
    EditorGrid(TxxStringGrid *grid, const CellTable &table, GridBehaviour behaviour);

    // The table's selected row shown, no step run.
    void showSelection();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool mousePressed(QMouseEvent *event);
    bool keyPressed(int key);
    void rowMoved(int row);
    void wheel(int steps);

    TxxStringGrid *m_grid;
    const CellTable &m_table;
    GridBehaviour m_behaviour;
    bool m_quiet = false;
};

// The top visible row after one wheel step of three rows: up stops at the first row,
// down stops once the last rows are in view.
int WheelTopRow(int topRow, int rowCount, int visibleRows, bool down);
