#pragma once

#include "catalogue/cataloguelist.h"

#include <QAbstractTableModel>

// A table model over a CellTable, for a grid to show: the table keeps the rows, and only
// the cells that a view asks for are converted from CP932. Whoever changes the table's
// rows (refills, reorders or counts them anew) calls rowsReplaced() afterwards; until
// then the model keeps the row count that its views know.
class CellTableModel : public QAbstractTableModel
{
public:
    explicit CellTableModel(const CellTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // The cell's text for the display role; nothing outside the table.
    QVariant data(const QModelIndex &index, int role) const override;

    void rowsReplaced();

private:
    const CellTable &m_table;
    int m_rowCount;
};
