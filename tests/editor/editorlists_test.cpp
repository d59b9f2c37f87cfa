#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguelist.h"
#include "editor/editorgrid.h"
#include "editor/editorpainting.h"

#include <gtest/gtest.h>

#include <string>

TEST(CatalogueDrawing, RunningNumbersAndTimesAsTheCellsShowThem)
{
    CatalogueList list;
    std::string text;
    for (int i = 0; i < 1001; ++i)
        text += "t" + std::to_string(i) + ",c,i,g,0345,f" + std::to_string(i) + ".mid\r\n";
    list.load(text + ",,,,,\r\n");
    const CellTable &grid = list.grid();
    EXPECT_EQ(CatalogueDisplayText(grid, 41, CellNumber), "042");
    EXPECT_EQ(CatalogueDisplayText(grid, 998, CellNumber), "999");
    EXPECT_EQ(CatalogueDisplayText(grid, 999, CellNumber), "000");
    EXPECT_EQ(CatalogueDisplayText(grid, 1000, CellNumber), "001");
    EXPECT_EQ(CatalogueDisplayText(grid, 5, CellPlayTime), "03:45");
    EXPECT_EQ(CatalogueDisplayText(grid, 5, CellGenre), "g");

    // The row without a title (sorted first, as its genre is empty) shows no number, and
    // its empty time shows ":"; the numbers count rows of the current order.
    ASSERT_EQ(grid.cell(0, CellTitle), "");
    EXPECT_EQ(CatalogueDisplayText(grid, 0, CellNumber), "");
    EXPECT_EQ(CatalogueDisplayText(grid, 0, CellPlayTime), ":");
    EXPECT_EQ(CatalogueDisplayText(grid, 1, CellNumber), "002");
}

TEST(CatalogueScrolling, WheelStepsOfThreeRowsStopAtBothEnds)
{
    int top = 0;
    for (int step = 0; step < 3; ++step)
        top = WheelTopRow(top, 100, 26, true);
    EXPECT_EQ(top, 9);
    for (int step = 0; step < 40; ++step)
        top = WheelTopRow(top, 100, 26, true);
    EXPECT_EQ(top, 74);
    EXPECT_EQ(WheelTopRow(2, 100, 26, false), 0);
    EXPECT_EQ(WheelTopRow(0, 100, 26, false), 0);
    // Fewer rows than fit: the top row stays put.
    EXPECT_EQ(WheelTopRow(0, 10, 26, true), 0);
}
