#pragma once

// How the editor paints its lists' cells and its two option combo boxes, and the texts
// that the catalogue's cells show.

#include "controls/xxcombobox.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <string>

class CatalogueList;
class CellTable;
class QPainter;

// One cell to paint: where, whether its row is the selected one, and the window's font
// and background colour, which every list starts from.
struct CellPaint
{
    QPainter &canvas;
    QRect rect;
    bool selected;
    QFont font;
    QColor background;
};

// The catalogue: the tunes of the current play list in blue, the running number black.
void PaintCatalogueCell(const CellPaint &paint, const CatalogueList &catalogue, int row, int column);
// The favourites: the current one's name bold and blue.
void PaintFavoriteCell(const CellPaint &paint, const CellTable &favorites, int row, int column);
// The tunes of the current play list.
void PaintTuneCell(const CellPaint &paint, const CellTable &tunes, int row, int column);

// An item of the gap combo box (tag 0), which reads as its digit followed by "秒間", or
// of the skin combo box; the closed box shows its item right-aligned.
void PaintOptionComboItem(TxxComboBox *combo, int index, QPainter &canvas, const QRect &rect,
                          TOwnerDrawState state);

// "001" for the first row: the row number plus one after "000", cut to its last three
// characters (the thousandth row shows "000"). Empty when the row's cell 1 (the title or
// the name, in every list of the editor) is empty.
std::string RunningNumberOf(const CellTable &grid, int row);

// The text that a catalogue cell shows: the running number in column 0, the play time
// as minutes ":" seconds in its column, the cell's own text elsewhere.
std::string CatalogueDisplayText(const CellTable &grid, int row, int column);
