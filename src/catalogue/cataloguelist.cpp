#include "catalogue/cataloguelist.h"

#include "app/atomicfile.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"

#include <algorithm>
#include <numeric>

CellTable::CellTable(int columns)
    : m_columns(columns)
    , m_rows(1, Row(std::size_t(columns)))
{
}

void CellTable::setRowCount(int count)
{
    m_rows.resize(std::size_t(std::max(count, 1)), Row(std::size_t(m_columns)));
    setSelectedRow(m_selected);
}

void CellTable::setCell(int row, int column, std::string_view text)
{
    m_rows[std::size_t(row)][std::size_t(column)].assign(text);
}

void CellTable::setSelectedRow(int row)
{
    m_selected = std::clamp(row, 0, rowCount() - 1);
}

void ClearGrid(CellTable &grid, bool shrink)
{
    for (CellTable::Row &row : grid.rows()) {
        for (std::string &cell : row)
            cell.clear();
    }
    if (shrink) {
        grid.setRowCount(1);
        grid.setSelectedRow(0);
    }
}

namespace {

// The collation keys of one column, one a row, computed once per sort so that the sort's
// comparisons are byte comparisons of keys. Catalogue columns such as the genre repeat a
// few texts many times, so each distinct text is converted once.
std::vector<text::SortKey> columnKeys(const CellTable &grid, int column)
{
    std::vector<text::SortKey> keys;
    keys.reserve(std::size_t(grid.rowCount()));
    std::unordered_map<std::string_view, std::size_t> seen;
    for (int row = 0; row < grid.rowCount(); ++row) {
        const std::string &text = grid.cell(row, column);
        const auto [it, added] = seen.try_emplace(text, keys.size());
        keys.push_back(added ? text::sortKeyOf(text) : keys[it->second]);
    }
    return keys;
}

// Orders rows [begin, end) by keys (one a row, indexed by row number), moving whole rows.
void sortRows(CellTable &grid, int begin, int end, const std::vector<text::SortKey> &keys)
{
    if (end - begin < 2)
        return;
    std::vector<int> order(std::size_t(end - begin));
    std::iota(order.begin(), order.end(), begin);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return keys[std::size_t(a)].compare(keys[std::size_t(b)]) < 0; });
    std::vector<CellTable::Row> sorted;
    sorted.reserve(order.size());
    for (const int row : order)
        sorted.push_back(std::move(grid.row(row)));
    std::move(sorted.begin(), sorted.end(), grid.rows().begin() + begin);
}

} // namespace

void SortGridByColumn(CellTable &grid, int column)
{
    sortRows(grid, 0, grid.rowCount(), columnKeys(grid, column));
}

CatalogueList::CatalogueList()
    : m_grid(8)
{
}

void CatalogueList::load(std::string catalogueText)
{
    ResetHeaders();
    ClearGrid(m_grid, true);
    const CatalogueTable table(std::move(catalogueText));
    m_lineCount = int(table.rowCount());
    m_grid.setRowCount(m_lineCount);
    for (int row = 0; row < m_lineCount; ++row) {
        for (int column = 0; column < 8; ++column)
            m_grid.setCell(row, column, table.cell(std::size_t(row), column));
    }
    m_rowOfFileValid = false;
    SortCatalogue(CellGenre);
    m_grid.setSelectedRow(0);
}

bool CatalogueList::loadFile(const QString &path)
{
    std::optional<std::string> content = atomicfile::readAll(path);
    if (!content) {
        ResetHeaders();
        ClearGrid(m_grid, true);
        m_lineCount = 0;
        m_rowOfFileValid = false;
        return false;
    }
    load(std::move(*content));
    return true;
}

QString CatalogueList::tuneCountText() const
{
    return QStringLiteral("収録曲数 ( %1 曲 )").arg(m_lineCount);
}

bool CatalogueList::SortCatalogue(int column)
{
    if (column < CellTitle || column > CellPlayTime || column == ActiveColumn)
        return false;
    const std::string selectedFile = m_grid.cell(m_grid.selectedRow(), CellFileName);

    SortGridByColumn(m_grid, column);
    if (column > CellTitle) {
        const std::vector<text::SortKey> titleKeys = columnKeys(m_grid, CellTitle);
        int begin = 0;
        while (begin < m_grid.rowCount()) {
            int end = begin + 1;
            while (end < m_grid.rowCount() && m_grid.cell(end, column) == m_grid.cell(begin, column))
                ++end;
            sortRows(m_grid, begin, end, titleKeys);
            begin = end;
        }
    }
    m_rowOfFileValid = false;

    const int row = rowOfFile(selectedFile);
    if (row >= 0)
        m_grid.setSelectedRow(row);
    ActiveColumn = column;
    return true;
}

int CatalogueList::rowOfFile(std::string_view fileName) const
{
    if (!m_rowOfFileValid) {
        m_rowOfFile.clear();
        m_rowOfFile.reserve(std::size_t(m_grid.rowCount()));
        for (int row = 0; row < m_grid.rowCount(); ++row)
            m_rowOfFile.try_emplace(m_grid.cell(row, CellFileName), row);
        m_rowOfFileValid = true;
    }
    const auto it = m_rowOfFile.find(fileName);
    return it == m_rowOfFile.end() ? -1 : it->second;
}

void CatalogueList::setMark(int row, bool marked)
{
    m_grid.setCell(row, CellMark, marked ? "1" : "");
}

void CatalogueList::clearMarks()
{
    for (CellTable::Row &row : m_grid.rows())
        row[CellMark].clear();
}

bool CatalogueList::isMarked(int row) const
{
    return m_grid.cell(row, CellMark) == "1";
}
