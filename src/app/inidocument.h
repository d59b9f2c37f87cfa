#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An INI text held as its lines, CP932 bytes without their line ends.
//
// Section and key names match without regard to the case of ASCII letters. Of two
// sections with the same name the first counts, and so does the first of two keys.
// Changes keep every other line as it stands; saving writes CR LF line ends.
class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view content);

    std::string toString() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // The values of a section in line order; empty values and repeated keys left out.
    std::vector<std::string> listValues(std::string_view section) const;

    // An existing key keeps its line; a new key goes to the end of its section, a new
    // section to the end of the text.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes the header and every line of the section, and of every later section of the
    // same name, so that a list written after it is the one read back; false when there is
    // none.
    bool eraseSection(std::string_view section);

    // Adds a section at the end holding keys 1 to n with the given values.
    void appendListSection(std::string_view section, const std::vector<std::string> &values);

    // Erases the section, then appends it holding the values; false when that changed
    // nothing (no such section and no values).
    bool replaceListSection(std::string_view section, const std::vector<std::string> &values);

    // Replaces the header of the section that reading finds under oldName (blanks around
    // a hand-written header allowed) by "[" + newName + "]", so that the section keeps
    // its lines under the new name; false when there is no such section.
    bool renameSection(std::string_view oldName, std::string_view newName);

private:
    struct Section
    {
        std::size_t header; // index of the header line
        std::size_t end;    // index one past the section's last line
    };
    std::optional<Section> findSection(std::string_view name) const;

    std::vector<std::string> m_lines;
};
