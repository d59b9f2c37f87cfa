#include "editor/editorpainting.h"

#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguelist.h"
#include "editor/playlisteditor.h"

#include <QPainter>

namespace {

void fillCell(const CellPaint &paint, const QColor &selectedFill)
{
    paint.canvas.fillRect(paint.rect, paint.selected ? selectedFill : paint.background);
}

// Text as every list of the window draws it: 10 points, clipped to its cell, 4 pixels in
// from the left and 2 from the top.
void drawCellText(const CellPaint &paint, const std::string &text, bool bold, const QColor &colour)
{
    QFont font = paint.font;
    font.setPointSize(10);
    font.setBold(bold);
    paint.canvas.setFont(font);
    paint.canvas.setPen(colour);
    paint.canvas.setClipRect(paint.rect);
    paint.canvas.drawText(paint.rect.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          text::fromCp932(text));
}

// The two lists on the left: the running number, then the cells' own text.
std::string listText(const CellTable &table, int row, int column)
{
    return column == 0 ? RunningNumberOf(table, row) : table.cell(row, column);
}

} // namespace

void PaintCatalogueCell(const CellPaint &paint, const CatalogueList &catalogue, int row, int column)
{
    fillCell(paint, QColor(235, 177, 234));
    const CellTable &table = catalogue.grid();
    if (row >= table.rowCount())
        return;
    const bool blue = catalogue.isMarked(row) && column != CellNumber;
    drawCellText(paint, CatalogueDisplayText(table, row, column), false, blue ? Qt::blue : Qt::black);
}

void PaintFavoriteCell(const CellPaint &paint, const CellTable &favorites, int row, int column)
{
    fillCell(paint, QColor(205, 237, 203));
    if (row >= favorites.rowCount())
        return;
    const bool current = favorites.cell(row, FavoriteCurrent) == "1" && column != 0;
    drawCellText(paint, listText(favorites, row, column), current, current ? Qt::blue : Qt::black);
}

void PaintTuneCell(const CellPaint &paint, const CellTable &tunes, int row, int column)
{
    fillCell(paint, QColor(198, 194, 254));
    if (row < tunes.rowCount())
        drawCellText(paint, listText(tunes, row, column), false, Qt::black);
}

void PaintOptionComboItem(TxxComboBox *combo, int index, QPainter &canvas, const QRect &rect,
                          TOwnerDrawState state)
{
    const bool closedBox = state & odComboBoxEdit;
    canvas.fillRect(rect, (state & odSelected) && !closedBox ? QColor(198, 194, 254) : QColor(Qt::white));
    if (index < 0 || index >= combo->count())
        return;
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(9);
    canvas.setFont(font);
    canvas.setPen(combo->isEnabled() ? QColor(Qt::black) : QColor(192, 192, 192));
    const QFontMetrics metrics(font);
    const QString text = combo->itemText(index);
    const bool gap = combo->Tag == 0;
    const QString seconds = QStringLiteral("秒間");
    // Items of the open list sit 4 pixels into their row; the closed box right-aligns
    // its text, measured from the combo box's own left edge.
    int x = rect.left() + 4;
    if (closedBox) {
        x = combo->width() - metrics.horizontalAdvance(text) - 28;
        if (gap)
            x = combo->width() - metrics.horizontalAdvance(text) - metrics.horizontalAdvance(seconds) - 30;
    }
    const int baseline = rect.top() + 2 + metrics.ascent();
    canvas.drawText(QPoint(x, baseline), text);
    if (gap)
        canvas.drawText(QPoint(x + metrics.horizontalAdvance(text) + 4, baseline), seconds);
}

std::string RunningNumberOf(const CellTable &grid, int row)
{
    if (grid.cell(row, 1).empty())
        return {};
    return text::rightStr("000" + std::to_string(row + 1), 3);
}

std::string CatalogueDisplayText(const CellTable &grid, int row, int column)
{
    const std::string &cell = grid.cell(row, column);
    switch (column) {
    case CellNumber:
        return RunningNumberOf(grid, row);
    case CellPlayTime:
        return text::leftStr(cell, 2) + ":" + text::rightStr(cell, 2);
    default:
        return cell;
    }
}
