#include "catalogue/cataloguefile.h"

#include "app/text.h"

std::vector<std::string_view> SplitCatalogueLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(text.substr(start, pos - start));
        if (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
            ++pos;
        start = pos + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

namespace {

bool isBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

} // namespace

namespace {

// Calls onField(std::string_view) for each field of the line; a field with doubled
// quotes is unescaped into scratch first. onField returns false to stop early.
template<typename OnField>
void forEachField(std::string_view line, std::string &scratch, OnField onField)
{
    // Text ends at a zero byte, as it does for the C strings that the format came from.
    line = line.substr(0, line.find('\0'));
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
    };

    skipBlanks();
    while (pos < line.size()) {
        std::string_view field;
        if (line[pos] == '"') {
            ++pos;
            const std::size_t start = pos;
            bool doubled = false;
            while (pos < line.size()) {
                if (line[pos] == '"') {
                    if (pos + 1 < line.size() && line[pos + 1] == '"') {
                        doubled = true;
                        pos += 2;
                        continue;
                    }
                    break;
                }
                pos = text::nextCharPos(line, pos);
            }
            field = line.substr(start, pos - start);
            if (pos < line.size())
                ++pos; // the closing quote
            if (doubled) {
                scratch.clear();
                for (std::size_t i = 0; i < field.size(); ++i) {
                    scratch += field[i];
                    if (field[i] == '"')
                        ++i;
                    else if (text::isLeadByte(static_cast<unsigned char>(field[i])) && i + 1 < field.size())
                        scratch += field[++i];
                }
                field = scratch;
            }
        } else {
            const std::size_t start = pos;
            while (pos < line.size() && line[pos] != ',' && static_cast<unsigned char>(line[pos]) > 32)
                pos = text::nextCharPos(line, pos);
            field = line.substr(start, pos - start);
        }
        if (!onField(field))
            return;
        skipBlanks();
        if (pos < line.size() && line[pos] == ',') {
            ++pos;
            skipBlanks();
        }
    }
}

} // namespace

std::vector<std::string> SplitCatalogueFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::string scratch;
    forEachField(line, scratch, [&](std::string_view field) {
        fields.emplace_back(field);
        return true;
    });
    return fields;
}

CatalogueRow CatalogueRowOf(std::string_view line)
{
    CatalogueRow row;
    std::string scratch;
    std::size_t cell = CellTitle;
    forEachField(line, scratch, [&](std::string_view field) {
        row[cell++] = field;
        return cell < row.size();
    });
    return row;
}

std::string LookupTitle(std::string_view catalogue, std::string_view fileName)
{
    std::string title;
    for (const std::string_view line : SplitCatalogueLines(catalogue)) {
        const std::vector<std::string> fields = SplitCatalogueFields(line);
        if (fields.size() >= 6 && fields[5] == fileName)
            title = fields[0];
    }
    return title;
}
