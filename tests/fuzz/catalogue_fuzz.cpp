// Any bytes as a catalogue: the table holds, row for row and cell for cell, what the
// line and field splitters give, and the title look-up finds the last full line of a
// file name that the table shows.
#include "catalogue/cataloguefile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string_view> lines = SplitCatalogueLines(text);
    const CatalogueTable table(text);
    check(table.rowCount() == lines.size());

    std::string lastFileName;
    std::string lastTitle;
    for (std::size_t row = 0; row < lines.size(); ++row) {
        check(lines[row].find_first_of("\r\n") == std::string_view::npos);
        const std::vector<std::string> fields = SplitCatalogueFields(lines[row]);
        check(table.cell(row, CellNumber).empty());
        for (int column = CellTitle; column <= CellMark; ++column) {
            const std::size_t index = std::size_t(column - CellTitle);
            const std::string_view expected = index < fields.size() ? std::string_view(fields[index]) : "";
            check(table.cell(row, column) == expected);
            check(expected.size() <= lines[row].size());
        }
        if (fields.size() >= 6) {
            lastFileName = fields[5];
            lastTitle = fields[0];
        }
    }
    if (!lastFileName.empty() || !lastTitle.empty())
        check(LookupTitle(text, lastFileName) == lastTitle);
    return 0;
}
