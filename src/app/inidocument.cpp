#include "app/inidocument.h"

#include "app/text.h"

#include <unordered_set>

namespace {

std::string_view trimBlanks(std::string_view s)
{
    // A CP932 trail byte is never a blank or a tab, so bytes may be cut from both ends.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The name of a section header line, or nothing when the line is no header.
std::optional<std::string_view> headerName(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    // A "]" that is the second byte of a double-byte character (as in "ゾ") ends nothing.
    std::size_t close = 0;
    while (close < line.size() && line[close] != ']')
        close = text::nextCharPos(line, close);
    return trimBlanks(line.substr(0, close));
}

struct KeyLine
{
    std::string_view key;
    std::string_view value;
};

// Key and value of a line, or nothing for a line without "=" or a comment.
std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimBlanks(trimmed.substr(0, eq)), trimBlanks(trimmed.substr(eq + 1))};
}

std::string upperAscii(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t next = text::nextCharPos(s, pos);
        for (std::size_t i = pos; i < next; ++i) {
            const char c = s[i];
            out += (next - pos == 1 && c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        }
        pos = next;
    }
    return out;
}

std::string header(std::string_view name)
{
    std::string line = "[";
    line += name;
    line += ']';
    return line;
}

std::string keyValueLine(std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

} // namespace

IniDocument::IniDocument(std::string_view content)
{
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        start = last ? end : end + 1;
    }
}

std::string IniDocument::toString() const
{
    std::size_t size = 0;
    for (const std::string &line : m_lines)
        size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const std::string &line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::optional<IniDocument::Section> IniDocument::findSection(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto found = headerName(m_lines[i]);
        if (!found || !text::sameTextAscii(*found, name))
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !headerName(m_lines[end]))
            ++end;
        return Section{i, end};
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    const auto found = findSection(section);
    if (!found)
        return std::nullopt;
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        const auto kv = keyLine(m_lines[i]);
        if (kv && text::sameTextAscii(kv->key, key))
            return std::string(kv->value);
    }
    return std::nullopt;
}

std::vector<std::string> IniDocument::listValues(std::string_view section) const
{
    std::vector<std::string> values;
    const auto found = findSection(section);
    if (!found)
        return values;
    std::unordered_set<std::string> seenKeys;
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        const auto kv = keyLine(m_lines[i]);
        if (!kv || !seenKeys.insert(upperAscii(kv->key)).second)
            continue;
        if (!kv->value.empty())
            values.emplace_back(kv->value);
    }
    return values;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    const auto found = findSection(section);
    if (!found) {
        m_lines.push_back(header(section));
        m_lines.push_back(keyValueLine(key, value));
        return;
    }
    std::size_t lastContent = found->header;
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        const auto kv = keyLine(m_lines[i]);
        if (kv && text::sameTextAscii(kv->key, key)) {
            m_lines[i] = keyValueLine(kv->key, value);
            return;
        }
        if (!trimBlanks(m_lines[i]).empty())
            lastContent = i;
    }
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(lastContent + 1), keyValueLine(key, value));
}

bool IniDocument::eraseSection(std::string_view section)
{
    bool erased = false;
    while (const auto found = findSection(section)) {
        m_lines.erase(m_lines.begin() + std::ptrdiff_t(found->header),
                      m_lines.begin() + std::ptrdiff_t(found->end));
        erased = true;
    }
    return erased;
}

void IniDocument::appendListSection(std::string_view section, const std::vector<std::string> &values)
{
    if (values.empty())
        return;
    m_lines.reserve(m_lines.size() + values.size() + 1);
    m_lines.push_back(header(section));
    for (std::size_t i = 0; i < values.size(); ++i)
        m_lines.push_back(keyValueLine(std::to_string(i + 1), values[i]));
}

bool IniDocument::replaceListSection(std::string_view section, const std::vector<std::string> &values)
{
    const bool erased = eraseSection(section);
    appendListSection(section, values);
    return erased || !values.empty();
}

bool IniDocument::renameSection(std::string_view oldName, std::string_view newName)
{
    const auto found = findSection(oldName);
    if (!found)
        return false;
    m_lines[found->header] = header(newName);
    return true;
}
