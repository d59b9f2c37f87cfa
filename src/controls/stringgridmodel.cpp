#include "controls/stringgridmodel.h"

#include <algorithm>

StringGridModel::StringGridModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_rows(1, emptyRow())
{
}

int StringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.column(), index.row());
}

QString StringGridModel::cell(int column, int row) const
{
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= m_columns)
        return {};
    return m_rows[std::size_t(row)][column];
}

void StringGridModel::setCell(int column, int row, const QString &text)
{
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= m_columns)
        return;
    m_rows[std::size_t(row)][column] = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

QStringList StringGridModel::emptyRow() const
{
    return QStringList(m_columns, QString());
}

void StringGridModel::fit(QStringList &cells) const
{
    if (cells.size() > m_columns)
        cells.resize(m_columns);
    while (cells.size() < m_columns)
        cells.append(QString());
}

void StringGridModel::setRowCount(int count)
{
    count = std::max(count, 1);
    const int current = int(m_rows.size());
    if (count > current) {
        beginInsertRows({}, current, count - 1);
        m_rows.resize(std::size_t(count), emptyRow());
        endInsertRows();
    } else if (count < current) {
        beginRemoveRows({}, count, current - 1);
        m_rows.resize(std::size_t(count));
        endRemoveRows();
    }
}

void StringGridModel::setColumnCount(int count)
{
    count = std::max(count, 1);
    if (count == m_columns)
        return;
    beginResetModel();
    m_columns = count;
    for (QStringList &row : m_rows)
        fit(row);
    endResetModel();
}

QStringList StringGridModel::rowCells(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return emptyRow();
    return m_rows[std::size_t(row)];
}

void StringGridModel::setRowCells(int row, const QStringList &cells)
{
    if (row < 0 || row >= int(m_rows.size()))
        return;
    QStringList fitted = cells;
    fit(fitted);
    m_rows[std::size_t(row)] = fitted;
    emit dataChanged(index(row, 0), index(row, m_columns - 1), {Qt::DisplayRole});
}

void StringGridModel::setRows(std::vector<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (QStringList &row : m_rows)
        fit(row);
    if (m_rows.empty())
        m_rows.push_back(emptyRow());
    endResetModel();
}
