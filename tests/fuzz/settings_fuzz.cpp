// Any bytes as the settings file, followed after a zero byte by a play list (its section
// name, then one file name a line): a saved file reads back as it was saved, and the list
// written into it reads back as written while the program's other sections keep theirs.
#include "app/inidocument.h"
#include "app/text.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<std::string> splitLines(std::string_view s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find('\n', start), s.size());
        lines.emplace_back(s.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A name that the name-entry dialog lets through: CP932 text other than "FAV", without
// brackets, "=" or control characters, and without blanks at its ends.
bool isStorableName(const std::string &name)
{
    if (name.empty() || text::sameTextAscii(name, "FAV") || name != text::trimSpaces(name))
        return false;
    if (name.front() == '\t' || name.back() == '\t')
        return false;
    const std::optional<std::string> encoded = text::toCp932(text::fromCp932(name));
    if (!encoded || *encoded != name)
        return false;
    for (std::size_t pos = 0; pos < name.size(); pos = text::nextCharPos(name, pos)) {
        const char c = name[pos];
        if (c == '[' || c == ']' || c == '=' || static_cast<unsigned char>(c) < 32)
            return false;
    }
    return true;
}

// A file name as a read gives it back: no line breaks and no blanks at its ends.
bool isStorableValue(const std::string &value)
{
    if (value.empty() || value.find_first_of("\r\n") != std::string::npos)
        return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !blank(value.front()) && !blank(value.back());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t separator = input.find('\0');
    const IniDocument document(input.substr(0, separator));

    const std::string saved = document.toString();
    check(IniDocument(saved).toString() == saved);
    if (separator == std::string_view::npos)
        return 0;

    std::vector<std::string> list = splitLines(input.substr(separator + 1));
    const std::string name = list.front();
    list.erase(list.begin());
    if (!isStorableName(name))
        return 0;
    std::erase_if(list, [](const std::string &value) { return !isStorableValue(value); });
    const std::string section = "MIDI_" + name;

    // The options, the favourites' index and every favourite's own list.
    IniDocument written(saved);
    std::vector<std::string> others = {"OPT", "MIDI_FAV"};
    for (const std::string &favourite : written.listValues("MIDI_FAV"))
        others.push_back("MIDI_" + favourite);
    std::vector<std::vector<std::string>> before;
    for (const std::string &other : others)
        before.push_back(written.listValues(other));
    const std::optional<std::string> favNo = written.value("OPT", "FavNo");

    written.eraseSection(section);
    written.appendListSection(section, list);
    const IniDocument reread(written.toString());
    check(reread.listValues(section) == list);
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (!text::sameTextAscii(others[i], section))
            check(reread.listValues(others[i]) == before[i]);
    }
    check(reread.value("OPT", "FavNo") == favNo);
    return 0;
}
