#pragma once

// The editor's catalogue list as a plain table of string cells: loading the catalogue
// copy, the header sorts and the grid helpers that every list of the editor uses. A
// table model can expose these tables to a view; nothing here needs a window.

#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Rows of text cells (CP932 bytes) with one selected row. The editor's grids have no
// fixed rows, so every row is a data row. There is always at least one row.
class CellTable
{
public:
    using Row = std::vector<std::string>;

    explicit CellTable(int columns);

    int columnCount() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }
    // Rows added are empty; a count below one keeps one row. The selection stays on
    // its row number, moved onto the last row when the rows end before it.
    void setRowCount(int count);

    const std::string &cell(int row, int column) const { return m_rows[std::size_t(row)][std::size_t(column)]; }
    void setCell(int row, int column, std::string_view text);
    Row &row(int row) { return m_rows[std::size_t(row)]; }
    const Row &row(int row) const { return m_rows[std::size_t(row)]; }
    std::vector<Row> &rows() { return m_rows; }

    int selectedRow() const { return m_selected; }
    // Limited to the rows there are.
    void setSelectedRow(int row);

private:
    int m_columns;
    std::vector<Row> m_rows;
    int m_selected = 0;
};

// Empties every cell; with shrink the table keeps one row, which becomes the selected one.
void ClearGrid(CellTable &grid, bool shrink);

// Orders the rows ascending by the text of one column, moving whole rows; the comparison
// ignores letter case and follows the user's locale. Rows with equal keys come out in no
// defined order. The selection stays on its row number.
void SortGridByColumn(CellTable &grid, int column);

// The catalogue grid: eight cells a row (see CatalogueCell), one row a catalogue line.
class CatalogueList
{
public:
    CatalogueList();

    const CellTable &grid() const { return m_grid; }
    void selectRow(int row) { m_grid.setSelectedRow(row); }

    // The sortable header shown active (CellTitle to CellPlayTime), 0 when none is.
    int ActiveColumn = 0;

    // Fills the grid from the catalogue's text: every cell emptied, one row a line, then
    // sorted by genre with the genre header active. The first row is selected.
    void load(std::string catalogueText);
    // The catalogue copy at that path; false when it cannot be read, the grid then
    // left with one empty row.
    bool loadFile(const QString &path);

    // "収録曲数 ( n 曲 )" for the lines last loaded.
    QString tuneCountText() const;

    // A click on the header of that column: rows ordered by it, ascending, and for every
    // column but the title each run of identical keys ordered by title; the row of the
    // tune selected before stays selected. A click on the active header does nothing.
    // Returns whether it sorted.
    bool SortCatalogue(int column);
    void ResetHeaders() { ActiveColumn = 0; }

    // The first row whose file name equals fileName byte for byte, or -1.
    int rowOfFile(std::string_view fileName) const;

    // Sets the play-list mark of one row, or clears every row's mark.
    void setMark(int row, bool marked);
    void clearMarks();
    bool isMarked(int row) const;

private:
    CellTable m_grid;
    int m_lineCount = 0;
    // Built on the first look-up after the rows were refilled or reordered.
    mutable std::unordered_map<std::string_view, int> m_rowOfFile;
    mutable bool m_rowOfFileValid = false;
};
