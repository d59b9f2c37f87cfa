#include "app/text.h"
#include "editor/celltablemodel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(CellTableModel, ShowsTheTablesCellsAsTextWithoutCopyingThem)
{
    CellTable table(3);
    table.setRowCount(100000);
    table.setCell(54321, 1, text::toCp932(QStringLiteral("名前")).value());
    CellTableModel cells(table);
    EXPECT_EQ(cells.rowCount(), 100000);
    EXPECT_EQ(cells.columnCount(), 3);
    EXPECT_EQ(cells.index(54321, 1).data().toString(), QStringLiteral("名前"));
    EXPECT_EQ(cells.index(54321, 2).data().toString(), QString());
    EXPECT_FALSE(cells.index(0, 3).data().isValid()) << "outside the columns";
    EXPECT_FALSE(cells.index(54321, 1).data(Qt::EditRole).isValid()) << "text only";

    // A cell changed in place reads as it is now.
    table.setCell(54321, 1, "x");
    EXPECT_EQ(cells.index(54321, 1).data().toString(), QStringLiteral("x"));
}

TEST(CellTableModel, ItsViewsLearnOfNewRowsAtOneResetAndNeverReadPastTheTable)
{
    CellTable table(2);
    table.setRowCount(10);
    table.setCell(9, 1, "last");
    CellTableModel cells(table);
    QSignalSpy resets(&cells, &QAbstractItemModel::modelReset);

    table.setRowCount(0);
    EXPECT_EQ(cells.rowCount(), 10) << "the count its views know";
    EXPECT_EQ(cells.index(9, 1).data().toString(), QString());
    cells.rowsReplaced();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(cells.rowCount(), 1) << "a table keeps one row";
    EXPECT_FALSE(cells.index(1, 0).isValid());
}
