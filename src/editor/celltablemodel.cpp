#include "editor/celltablemodel.h"

#include "app/text.h"

CellTableModel::CellTableModel(const CellTable &table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_rowCount(table.rowCount())
{
}

int CellTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int CellTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant CellTableModel::data(const QModelIndex &index, int role) const
{
    // A table may have lost rows that its views are told of only later.
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)
        || index.row() >= m_table.rowCount())
        return {};
    return text::fromCp932(m_table.cell(index.row(), index.column()));
}

void CellTableModel::rowsReplaced()
{
    beginResetModel();
    m_rowCount = m_table.rowCount();
    endResetModel();
}
