#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// The cells of a string grid: rows of text, all rows as wide as the column count. There
// is always at least one row, as in a grid without fixed rows.
class StringGridModel : public QAbstractTableModel
{
public:
    explicit StringGridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Empty text outside the grid; writes outside it are ignored.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    // New rows are empty; fewer than one row counts as one.
    void setRowCount(int count);
    void setColumnCount(int count);

    // A whole row, column 0 first, and all rows at once (one reset, for large lists;
    // each row is cut or padded to the column count).
    QStringList rowCells(int row) const;
    void setRowCells(int row, const QStringList &cells);
    const std::vector<QStringList> &rows() const { return m_rows; }
    void setRows(std::vector<QStringList> rows);

private:
    QStringList emptyRow() const;
    void fit(QStringList &cells) const;

    int m_columns = 5;
    std::vector<QStringList> m_rows;
};
