#include "catalogue/cataloguefile.h"

#include <gtest/gtest.h>

using Fields = std::vector<std::string>;

TEST(CatalogueFields, UnquotedFieldsEndAtCommasAndBlanks)
{
    EXPECT_EQ(SplitCatalogueFields("Blue Lake,Anon,Piano,Pops,0245,lake.mid"),
              (Fields{"Blue", "Lake", "Anon", "Piano", "Pops", "0245", "lake.mid"}));
    EXPECT_EQ(SplitCatalogueFields("Title,,Piano,Jazz,0312,t.mid"),
              (Fields{"Title", "", "Piano", "Jazz", "0312", "t.mid"}));
    EXPECT_EQ(SplitCatalogueFields("a,,b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(SplitCatalogueFields("  a , b,"), (Fields{"a", "b"}));
    EXPECT_TRUE(SplitCatalogueFields("").empty());
    EXPECT_TRUE(SplitCatalogueFields(" \t ").empty());
    // The full-width space is an ordinary character.
    EXPECT_EQ(SplitCatalogueFields("\x90\xB9\x81\x40\x96\xE9,x"), (Fields{"\x90\xB9\x81\x40\x96\xE9", "x"}));
}

TEST(CatalogueFields, QuotedFieldsHoldCommasBlanksAndDoubledQuotes)
{
    EXPECT_EQ(SplitCatalogueFields(R"("A, ""B""",x)"), (Fields{R"(A, "B")", "x"}));
    EXPECT_EQ(SplitCatalogueFields(R"("Blue Lake",Anon)"), (Fields{"Blue Lake", "Anon"}));
    // Text after the closing quote starts a further field.
    EXPECT_EQ(SplitCatalogueFields(R"("ab"cd,e)"), (Fields{"ab", "cd", "e"}));
    // A quote never closed runs its field to the end of the line.
    EXPECT_EQ(SplitCatalogueFields(R"(x,"open, field)"), (Fields{"x", "open, field"}));
    EXPECT_EQ(SplitCatalogueFields(R"("")"), (Fields{""}));
}

TEST(CatalogueFields, TrailBytesAreNeverSeparatorsOrQuotes)
{
    // "表" is 0x95 0x5C, "ポ" 0x83 0x7C and "”" 0x81 0x68.
    EXPECT_EQ(SplitCatalogueFields("\x95\x5C,\x83\x7C"), (Fields{"\x95\x5C", "\x83\x7C"}));
    EXPECT_EQ(SplitCatalogueFields("\"\x95\x5C\x81\x68\",b"), (Fields{"\x95\x5C\x81\x68", "b"}));
    // A lead byte followed by 0x22 or 0x2C would be invalid CP932; the pair is still one
    // character, so neither byte splits the field.
    EXPECT_EQ(SplitCatalogueFields("a\x95\x22" "b,c"), (Fields{"a\x95\x22" "b", "c"}));
    EXPECT_EQ(SplitCatalogueFields("a\x95,b"), (Fields{"a\x95,b"}));
}

TEST(CatalogueLines, LineBreaksOfEveryKindAndNoExtraLastLine)
{
    EXPECT_EQ(SplitCatalogueLines("a\r\nb\nc\rd").size(), 4u);
    EXPECT_EQ(SplitCatalogueLines("a\r\nb\r\n").size(), 2u);
    const auto lines = SplitCatalogueLines("a\r\n\r\nb\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(SplitCatalogueLines("").empty());
    // Lone CRs, an LF far behind them, and a text without any line break.
    EXPECT_EQ(SplitCatalogueLines("a\rb\rc\r\rd\ne"),
              (std::vector<std::string_view>{"a", "b", "c", "", "d", "e"}));
    EXPECT_EQ(SplitCatalogueLines("one line"), (std::vector<std::string_view>{"one line"}));
    EXPECT_EQ(SplitCatalogueLines("\n\r\n"), (std::vector<std::string_view>{"", ""}));
}

TEST(CatalogueRows, EightCellsWithTheNumberCellEmptyAndExtraFieldsDropped)
{
    const CatalogueTable table("T,C,I,G,0312,t.mid,mark,extra\r\n"
                               "only,two\r\n"
                               "\r\n"
                               "\"A, \"\"B\"\"\",x,\"\"\"\"\"\"\r\n"
                               "last\x95\x5C,\x83\x7C");
    ASSERT_EQ(table.rowCount(), 5u);
    EXPECT_EQ(table.cell(0, CellNumber), "");
    EXPECT_EQ(table.cell(0, CellTitle), "T");
    EXPECT_EQ(table.cell(0, CellFileName), "t.mid");
    EXPECT_EQ(table.cell(0, CellMark), "mark");
    EXPECT_EQ(table.cell(1, CellComposer), "two");
    EXPECT_EQ(table.cell(1, CellGenre), "");
    EXPECT_EQ(table.cell(2, CellTitle), "");
    // Unescaped fields live beside the text; every other cell still reads right after them.
    EXPECT_EQ(table.cell(3, CellTitle), "A, \"B\"");
    EXPECT_EQ(table.cell(3, CellComposer), "x");
    EXPECT_EQ(table.cell(3, CellInstrument), "\"\"");
    EXPECT_EQ(table.cell(4, CellTitle), "last\x95\x5C");
    EXPECT_EQ(table.cell(4, CellComposer), "\x83\x7C");
    EXPECT_EQ(CatalogueTable().rowCount(), 0u);
}

TEST(CatalogueTitles, LastExactMatchWinsAndShortLinesAreSkipped)
{
    const std::string catalogue =
        "First,C,I,G,0100,a.mid\r\n"
        "\r\n"
        "short,line\r\n"
        "Upper,C,I,G,0100,A.MID\r\n"
        "\"Second one\",C,I,G,0100,a.mid\r\n";
    EXPECT_EQ(LookupTitle(catalogue, "a.mid"), "Second one");
    EXPECT_EQ(LookupTitle(catalogue, "A.MID"), "Upper");
    EXPECT_EQ(LookupTitle(catalogue, "line"), "");
    EXPECT_EQ(LookupTitle("", "a.mid"), "");
}
