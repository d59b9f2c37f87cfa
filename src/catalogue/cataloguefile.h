#pragma once

// The catalogue file "@Midi.DBF": CP932 text, one tune a line, each line a record of
// comma-separated fields (title, composer, instrument, genre, play time, file name).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The grid's eight cells of one catalogue line: 0 the running number (empty), 1 to 6 the
// fields, 7 the play-list mark.
enum CatalogueCell {
    CellNumber = 0,
    CellTitle = 1,
    CellComposer = 2,
    CellInstrument = 3,
    CellGenre = 4,
    CellPlayTime = 5,
    CellFileName = 6,
    CellMark = 7,
};

// The lines of a text: CR LF, a lone CR or a lone LF ends a line; a line break after the
// last line adds no line, so an empty text has no lines.
std::vector<std::string_view> SplitCatalogueLines(std::string_view text);

// The fields of one line. Blanks and control characters between fields are skipped; a
// field in double quotes may hold commas and blanks, "" standing for one quote, and a
// quote never closed runs to the end of the line; an unquoted field ends at a comma or at
// any character of code 32 or less. Double-byte characters are stepped over whole.
std::vector<std::string> SplitCatalogueFields(std::string_view line);

// A whole catalogue split into rows of eight cells, one row a line: an empty cell 0,
// then the line's fields, at most seven of them. The cells point into one buffer that the
// table owns, so a catalogue of 100,000 lines is split without a string per cell.
class CatalogueTable
{
public:
    CatalogueTable() = default;
    explicit CatalogueTable(std::string text);

    std::size_t rowCount() const { return m_rows.size(); }
    std::string_view cell(std::size_t row, int column) const;

private:
    struct Span
    {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    // Offsets with this bit set point into m_unescaped, the fields whose doubled quotes
    // were undone; the others into the text itself, which is never copied.
    static constexpr std::uint32_t UnescapedBit = 0x80000000u;

    std::string m_text;
    std::string m_unescaped;
    std::vector<std::array<Span, 8>> m_rows;
};

// One tune of the catalogue, its fields in CP932.
struct CatalogueRow
{
    std::string Title;
    std::string Composer;
    std::string Instrument;
    std::string Genre;
    std::string PlayTime; // four digits, minutes then seconds
    std::string FileName; // the tune's file on the server, its key everywhere
};

// The last line whose file name field equals fileName byte for byte, or nothing. Lines
// with fewer than six fields are skipped.
std::optional<CatalogueRow> LookupTune(std::string_view catalogue, std::string_view fileName);
// The title field of that line, or empty.
std::string LookupTitle(std::string_view catalogue, std::string_view fileName);
