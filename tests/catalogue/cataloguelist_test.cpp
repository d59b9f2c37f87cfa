#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguelist.h"
#include "support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> column(const CellTable &grid, int column)
{
    std::vector<std::string> cells;
    for (int row = 0; row < grid.rowCount(); ++row)
        cells.push_back(grid.cell(row, column));
    return cells;
}

CellTable tableOf(const std::vector<std::vector<std::string>> &rows)
{
    CellTable grid(int(rows.front().size()));
    grid.setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        for (int c = 0; c < grid.columnCount(); ++c)
            grid.setCell(row, c, rows[std::size_t(row)][std::size_t(c)]);
    }
    return grid;
}

using Cells = std::vector<std::string>;

std::string cp932(const char16_t *text)
{
    return *text::toCp932(QString::fromUtf16(text));
}

// Title, composer, instrument, genre, time, file: the genres and titles out of order,
// an empty line, and a seventh field.
const char *const sample = "Zeta,Kim,Piano,Pops,0300,z.mid\r\n"
                           "Alpha,Lee,Piano,Pops,0430,a.mid\r\n"
                           "\r\n"
                           "beta,,Guitar,Jazz,1000,b.mid\r\n"
                           "\"Blue Lake\",lee,Piano,Jazz,0959,l.mid,junk\r\n";

} // namespace

TEST(GridHelpers, ClearGridEmptiesEveryCellAndShrinksOnlyWhenAsked)
{
    CellTable grid = tableOf({{"1", "a", "x"}, {"2", "b", "y"}, {"3", "c", "z"}});
    grid.setSelectedRow(2);
    ClearGrid(grid, false);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.selectedRow(), 2);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(column(grid, c), (Cells{"", "", ""}));

    grid.setCell(1, 1, "b");
    ClearGrid(grid, true);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.selectedRow(), 0);
    EXPECT_EQ(grid.cell(0, 1), "");
}

TEST(GridHelpers, RowCountNeverFallsBelowOneAndTheSelectionStaysInside)
{
    CellTable grid(3);
    grid.setRowCount(0);
    EXPECT_EQ(grid.rowCount(), 1);
    grid.setRowCount(5);
    grid.setSelectedRow(4);
    grid.setRowCount(2);
    EXPECT_EQ(grid.selectedRow(), 1);
    grid.setSelectedRow(-3);
    EXPECT_EQ(grid.selectedRow(), 0);
}

TEST(GridHelpers, SortGridByColumnIgnoresCaseAndMovesWholeRows)
{
    CellTable grid = tableOf({{"b", "1"}, {"C", "2"}, {"1000", "3"}, {"a", "4"}, {"0959", "5"}, {"", "6"}});
    SortGridByColumn(grid, 0);
    EXPECT_EQ(column(grid, 0), (Cells{"", "0959", "1000", "a", "b", "C"}));
    EXPECT_EQ(column(grid, 1), (Cells{"6", "5", "3", "4", "1", "2"}));

    // Keys that differ only in case compare equal: both land between "a" and "c".
    CellTable mixed = tableOf({{"c", "1"}, {"B", "2"}, {"a", "3"}, {"b", "4"}});
    SortGridByColumn(mixed, 0);
    EXPECT_EQ(mixed.cell(0, 0), "a");
    EXPECT_EQ(mixed.cell(3, 0), "c");
    EXPECT_EQ(mixed.cell(1, 0) == "b" ? mixed.cell(2, 0) : mixed.cell(1, 0), "B");
}

TEST(CatalogueLoad, RowsInGenreOrderWithTitlesInsideEachGenre)
{
    CatalogueList list;
    list.load(sample);
    EXPECT_EQ(list.tuneCountText(), QStringLiteral("収録曲数 ( 5 曲 )"));
    EXPECT_EQ(list.ActiveColumn, CellGenre);
    EXPECT_EQ(list.grid().selectedRow(), 0);
    // The empty line comes before every row with a genre.
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"", "beta", "Blue Lake", "Alpha", "Zeta"}));
    EXPECT_EQ(column(list.grid(), CellFileName), (Cells{"", "b.mid", "l.mid", "a.mid", "z.mid"}));
    EXPECT_EQ(column(list.grid(), CellNumber), (Cells{"", "", "", "", ""}));
    EXPECT_EQ(list.grid().cell(2, CellMark), "junk");
    EXPECT_EQ(list.rowOfFile("z.mid"), 4);
    EXPECT_EQ(list.rowOfFile("Z.MID"), -1);
}

TEST(CatalogueLoad, EmptyAndMissingFilesLeaveOneEmptyRow)
{
    CatalogueList list;
    list.load(sample);
    list.load("");
    EXPECT_EQ(list.grid().rowCount(), 1);
    EXPECT_EQ(list.grid().cell(0, CellTitle), "");
    EXPECT_EQ(list.tuneCountText(), QStringLiteral("収録曲数 ( 0 曲 )"));

    QTemporaryDir dir;
    list.load(sample);
    EXPECT_FALSE(list.loadFile(dir.filePath(QStringLiteral("@Midi.DBF"))));
    EXPECT_EQ(list.grid().rowCount(), 1);
    EXPECT_EQ(list.rowOfFile("a.mid"), -1);
    EXPECT_EQ(list.tuneCountText(), QStringLiteral("収録曲数 ( 0 曲 )"));

    testing_support::writeFile(dir.filePath(QStringLiteral("@Midi.DBF")), sample);
    EXPECT_TRUE(list.loadFile(dir.filePath(QStringLiteral("@Midi.DBF"))));
    EXPECT_EQ(list.grid().rowCount(), 5);
}

TEST(CatalogueSort, TheActiveHeaderIgnoresASecondClick)
{
    CatalogueList list;
    list.load(sample);
    list.selectRow(3);
    EXPECT_FALSE(list.SortCatalogue(CellGenre));
    EXPECT_EQ(list.grid().selectedRow(), 3);
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"", "beta", "Blue Lake", "Alpha", "Zeta"}));

    EXPECT_TRUE(list.SortCatalogue(CellTitle));
    EXPECT_EQ(list.ActiveColumn, CellTitle);
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"", "Alpha", "beta", "Blue Lake", "Zeta"}));
    EXPECT_FALSE(list.SortCatalogue(CellTitle));
    EXPECT_TRUE(list.SortCatalogue(CellGenre));
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"", "beta", "Blue Lake", "Alpha", "Zeta"}));
    // Not a sortable header.
    EXPECT_FALSE(list.SortCatalogue(CellNumber));
    EXPECT_FALSE(list.SortCatalogue(CellFileName));
}

TEST(CatalogueSort, TheSelectedTuneStaysSelectedAndItsMarkTravelsWithIt)
{
    CatalogueList list;
    list.load(sample);
    list.clearMarks();
    list.selectRow(list.rowOfFile("z.mid"));
    list.setMark(list.rowOfFile("b.mid"), true);
    for (const int column : {CellTitle, CellComposer, CellInstrument, CellPlayTime, CellGenre}) {
        ASSERT_TRUE(list.SortCatalogue(column));
        EXPECT_EQ(list.grid().cell(list.grid().selectedRow(), CellFileName), "z.mid");
        for (int row = 0; row < list.grid().rowCount(); ++row)
            EXPECT_EQ(list.isMarked(row), list.grid().cell(row, CellFileName) == "b.mid");
    }
}

TEST(CatalogueSort, TimesCompareAsTextAndEmptyComposersComeFirstByTitle)
{
    CatalogueList list;
    list.load("c,,I,G,0100,1.mid\r\n"
              "a,,I,G,0959,2.mid\r\n"
              "b,X,I,G,1000,3.mid\r\n"
              "d,,I,G,0959,4.mid\r\n");
    list.SortCatalogue(CellPlayTime);
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"c", "a", "d", "b"}));
    list.SortCatalogue(CellComposer);
    EXPECT_EQ(column(list.grid(), CellTitle), (Cells{"a", "c", "d", "b"}));
}

TEST(CatalogueSort, EveryRunOfIdenticalKeysIsOrderedByTitle)
{
    // Composers written alike except for case end up side by side, possibly interleaved;
    // each run of byte-identical composers is in title order.
    std::string text;
    const char *const composers[] = {"Anon", "anon", "ANON", "Bach"};
    for (int i = 0; i < 40; ++i) {
        const std::string title(1, char('z' - (i * 7) % 26));
        text += title + std::to_string(i) + "," + composers[i % 4] + ",I,G,0100,f" + std::to_string(i) + ".mid\r\n";
    }
    CatalogueList list;
    list.load(text);
    ASSERT_TRUE(list.SortCatalogue(CellComposer));
    const CellTable &grid = list.grid();
    ASSERT_EQ(grid.rowCount(), 40);
    for (int row = 0; row < 30; ++row)
        EXPECT_NE(grid.cell(row, CellComposer), "Bach") << row;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (grid.cell(row, CellComposer) == grid.cell(row - 1, CellComposer)) {
            // Titles here are ASCII letters and digits of one case, so plain byte order
            // of their first letter agrees with the collation.
            EXPECT_LE(grid.cell(row - 1, CellTitle)[0], grid.cell(row, CellTitle)[0]) << row;
        }
    }
}

TEST(GridHelpers, SortKeysOrderAsTheTextComparisonDoes)
{
    // "表" (0x95 0x5C) and "ソ" (0x83 0x5C) carry a trail byte that looks like a backslash.
    const std::vector<std::string> texts = {"", "a", "A", "b", "Blue", "blue lake", "0959", "1000",
                                            "\x95\x5C", "\x83\x5C", "Z", cp932(u"さくら"), cp932(u"サクラ"),
                                            cp932(u"ｻｸﾗ"), cp932(u"ＳＡＫＵＲＡ"), cp932(u"sakura")};
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const std::string &a : texts) {
        for (const std::string &b : texts) {
            EXPECT_EQ(sign(text::sortKeyOf(a).compare(text::sortKeyOf(b))), sign(text::compareText(a, b)))
                << a << " / " << b;
        }
    }
}

TEST(CatalogueSort, GenresWrittenInOtherKanaOrWidthsDoNotInterleave)
{
    const char16_t *const genres[] = {u"ジャズ", u"ｼﾞｬｽﾞ", u"じゃず", u"ジャズ", u"ｼﾞｬｽﾞ", u"じゃず"};
    std::string text;
    for (int i = 0; i < 24; ++i)
        text += "t" + std::to_string(23 - i) + ",c,i," + cp932(genres[i % 6]) + ",0100,f" + std::to_string(i) + ".mid\r\n";
    CatalogueList list;
    list.load(text);
    const std::vector<std::string> genreColumn = column(list.grid(), CellGenre);
    // Each genre is one run of eight rows, ordered by title inside.
    for (int run = 0; run < 3; ++run) {
        for (int row = run * 8; row < run * 8 + 8; ++row) {
            EXPECT_EQ(genreColumn[std::size_t(row)], genreColumn[std::size_t(run * 8)]) << row;
            if (row > run * 8) {
                EXPECT_LT(text::compareText(list.grid().cell(row - 1, CellTitle), list.grid().cell(row, CellTitle)), 0);
            }
        }
    }
}

TEST(CatalogueSort, EveryColumnOrdersAGeneratedCatalogueWithoutLosingRows)
{
    // Mixed case, Japanese text and repeated keys in every column.
    const std::vector<std::string> words = {"Alpha", "alpha", "beta", "\x90\xE1",     "\x83\x5C\x83\x69\x83\x5E",
                                            "",      "Gamma", "0959", "1000",         "\x95\x5C"};
    std::string text;
    unsigned seed = 7;
    const auto pick = [&] {
        seed = seed * 1103515245u + 12345u;
        return words[(seed >> 16) % words.size()];
    };
    for (int i = 0; i < 600; ++i)
        text += "\"" + pick() + std::to_string(i % 5) + "\",\"" + pick() + "\",\"" + pick() + "\",\"" + pick()
                + "\",\"" + pick() + "\",f" + std::to_string(i) + ".mid\r\n";
    CatalogueList list;
    list.load(text);
    list.selectRow(123);
    const std::string selected = list.grid().cell(123, CellFileName);
    for (const int column : {CellTitle, CellComposer, CellInstrument, CellPlayTime, CellGenre, CellTitle}) {
        ASSERT_TRUE(list.SortCatalogue(column));
        const CellTable &grid = list.grid();
        ASSERT_EQ(grid.rowCount(), 600);
        std::vector<bool> seen(600, false);
        for (int row = 0; row < grid.rowCount(); ++row) {
            const int file = std::stoi(grid.cell(row, CellFileName).substr(1));
            EXPECT_FALSE(seen[std::size_t(file)]) << file;
            seen[std::size_t(file)] = true;
            if (row == 0)
                continue;
            const std::string &key = grid.cell(row, column);
            const std::string &previousKey = grid.cell(row - 1, column);
            EXPECT_LE(text::compareText(previousKey, key), 0) << column << " row " << row;
            if (column != CellTitle && key == previousKey) {
                EXPECT_LE(text::compareText(grid.cell(row - 1, CellTitle), grid.cell(row, CellTitle)), 0)
                    << column << " row " << row;
            }
        }
        EXPECT_EQ(grid.cell(grid.selectedRow(), CellFileName), selected);
    }
}
