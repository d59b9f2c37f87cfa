#include "catalogue/cataloguefile.h"

#include "app/text.h"

#include <cstring>

namespace {

// Calls onLine(std::string_view) for each line of text. memchr finds the line breaks; the
// next LF is remembered, so a file of lone CRs is not searched to its end once per line.
template<typename OnLine>
void forEachLine(std::string_view text, OnLine onLine)
{
    const char *const begin = text.data();
    const std::size_t size = text.size();
    const auto findLf = [&](std::size_t from) {
        const void *lf = std::memchr(begin + from, '\n', size - from);
        return lf ? std::size_t(static_cast<const char *>(lf) - begin) : size;
    };
    std::size_t start = 0;
    std::size_t nextLf = findLf(0);
    while (start < size) {
        if (nextLf < start)
            nextLf = findLf(start);
        const void *cr = std::memchr(begin + start, '\r', nextLf - start);
        const std::size_t end = cr ? std::size_t(static_cast<const char *>(cr) - begin) : nextLf;
        onLine(text.substr(start, end - start));
        if (end == size)
            break;
        start = end + 1;
        if (begin[end] == '\r' && start < size && begin[start] == '\n')
            ++start;
    }
}

} // namespace

std::vector<std::string_view> SplitCatalogueLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    forEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

namespace {

bool isBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// What a byte means to an unquoted field, looked up once per byte.
enum class ByteKind : unsigned char { Plain, EndsField, LeadByte };

constexpr std::array<ByteKind, 256> byteKinds = [] {
    std::array<ByteKind, 256> kinds{};
    for (int code = 0; code < 256; ++code) {
        if (code <= 32 || code == ',')
            kinds[code] = ByteKind::EndsField;
        else if (text::isLeadByte(static_cast<unsigned char>(code)))
            kinds[code] = ByteKind::LeadByte;
    }
    return kinds;
}();

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
            while (pos < line.size()) {
                const ByteKind kind = byteKinds[static_cast<unsigned char>(line[pos])];
                if (kind == ByteKind::EndsField)
                    break;
                pos += kind == ByteKind::LeadByte && pos + 1 < line.size() ? 2 : 1;
            }
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

CatalogueTable::CatalogueTable(std::string text)
    : m_text(std::move(text))
{
    // One row a line: counting the line feeds first spares the rows' regrowth.
    std::size_t lineFeeds = 0;
    for (const char *p = m_text.data(), *end = p + m_text.size();
         (p = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)))); ++p)
        ++lineFeeds;
    m_rows.reserve(lineFeeds + 1);
    std::string scratch;
    forEachLine(m_text, [&](std::string_view line) {
        std::array<Span, 8> &cells = m_rows.emplace_back();
        std::size_t column = CellTitle;
        forEachField(line, scratch, [&](std::string_view field) {
            Span &span = cells[column++];
            span.length = std::uint32_t(field.size());
            if (field.data() == scratch.data()) {
                span.offset = std::uint32_t(m_unescaped.size()) | UnescapedBit;
                m_unescaped += field;
            } else {
                span.offset = std::uint32_t(field.data() - m_text.data());
            }
            return column < cells.size();
        });
    });
}

std::string_view CatalogueTable::cell(std::size_t row, int column) const
{
    const Span span = m_rows[row][std::size_t(column)];
    if (span.offset & UnescapedBit)
        return std::string_view(m_unescaped).substr(span.offset & ~UnescapedBit, span.length);
    return std::string_view(m_text).substr(span.offset, span.length);
}

std::optional<CatalogueRow> LookupTune(std::string_view catalogue, std::string_view fileName)
{
    std::vector<std::string> found;
    for (const std::string_view line : SplitCatalogueLines(catalogue)) {
        std::vector<std::string> fields = SplitCatalogueFields(line);
        if (fields.size() >= 6 && fields[5] == fileName)
            found = std::move(fields);
    }
    if (found.empty())
        return std::nullopt;
    return CatalogueRow{found[0], found[1], found[2], found[3], found[4], found[5]};
}

std::string LookupTitle(std::string_view catalogue, std::string_view fileName)
{
    const std::optional<CatalogueRow> row = LookupTune(catalogue, fileName);
    return row ? row->Title : std::string();
}
