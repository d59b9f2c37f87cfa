#pragma once

// The catalogue file "@Midi.DBF": CP932 text, one tune a line, each line a record of
// comma-separated fields (title, composer, instrument, genre, play time, file name).

#include <array>
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
using CatalogueRow = std::array<std::string, 8>;

// The lines of a text: CR LF, a lone CR or a lone LF ends a line; a line break after the
// last line adds no line, so an empty text has no lines.
std::vector<std::string_view> SplitCatalogueLines(std::string_view text);

// The fields of one line. Blanks and control characters between fields are skipped; a
// field in double quotes may hold commas and blanks, "" standing for one quote, and a
// quote never closed runs to the end of the line; an unquoted field ends at a comma or at
// any character of code 32 or less. Double-byte characters are stepped over whole.
std::vector<std::string> SplitCatalogueFields(std::string_view line);

// The eight cells of a line: an empty cell 0, then the fields, at most seven of them.
CatalogueRow CatalogueRowOf(std::string_view line);

// The title of the last line whose file name field equals fileName byte for byte, or
// empty. Lines with fewer than six fields are skipped.
std::string LookupTitle(std::string_view catalogue, std::string_view fileName);
