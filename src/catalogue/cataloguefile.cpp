#include "catalogue/cataloguefile.h"

#include "app/text.h"

std::vector<std::string_view> SplitCatalogueLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

namespace {

bool isBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

} // namespace

std::vector<std::string> SplitCatalogueFields(std::string_view line)
{
    // Text ends at a zero byte, as it does for the C strings that the format came from.
    line = line.substr(0, line.find('\0'));
    std::vector<std::string> fields;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
    };

    skipBlanks();
    while (pos < line.size()) {
        std::string field;
        if (line[pos] == '"') {
            ++pos;
            while (pos < line.size()) {
                if (line[pos] == '"') {
                    if (pos + 1 < line.size() && line[pos + 1] == '"') {
                        field += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                const std::size_t next = text::nextCharPos(line, pos);
                field.append(line.substr(pos, next - pos));
                pos = next;
            }
        } else {
            const std::size_t start = pos;
            while (pos < line.size() && line[pos] != ',' && static_cast<unsigned char>(line[pos]) > 32)
                pos = text::nextCharPos(line, pos);
            field.assign(line.substr(start, pos - start));
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (pos < line.size() && line[pos] == ',') {
            ++pos;
            skipBlanks();
        }
    }
    return fields;
}

CatalogueRow CatalogueRowOf(std::string_view line)
{
    CatalogueRow row;
    std::vector<std::string> fields = SplitCatalogueFields(line);
    for (std::size_t i = 0; i < fields.size() && i + 1 < row.size(); ++i)
        row[i + 1] = std::move(fields[i]);
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
