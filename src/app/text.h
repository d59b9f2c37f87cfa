#pragma once

// Text helpers for CP932 (Shift-JIS) byte strings and the locale-aware comparisons.
//
// File content and everything derived from it (names, file names, titles) is kept as
// std::string holding CP932 bytes. These helpers step over double-byte characters whole,
// so that a trail byte (which may look like '\\', '@', '"' or a letter) is never taken for
// a character of its own.

#include <QCollatorSortKey>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// True when the byte starts a double-byte CP932 character.
constexpr bool isLeadByte(unsigned char c) noexcept
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Position of the character after the one at pos. A lead byte at the very end counts as
// one character of its own. Inline: the catalogue splitter calls it for every byte.
constexpr std::size_t nextCharPos(std::string_view s, std::size_t pos) noexcept
{
    if (pos >= s.size())
        return s.size();
    if (isLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size())
        return pos + 2;
    return pos + 1;
}

// Removes leading and trailing half-width spaces and full-width spaces (0x81 0x40).
std::string trimSpaces(std::string_view s);

// The first or last count bytes (all of s when it is shorter).
std::string leftStr(std::string_view s, std::size_t count);
std::string rightStr(std::string_view s, std::size_t count);

// Cuts s to at most maxBytes without splitting a double-byte character.
std::string_view cutToBytes(std::string_view s, std::size_t maxBytes) noexcept;

// Letter case of ASCII letters ignored, double-byte characters compared whole.
bool sameTextAscii(std::string_view a, std::string_view b) noexcept;

// CP932 <-> Unicode through iconv's "CP932" (Microsoft's mapping). Bytes that are not
// valid CP932 become U+FFFD on decoding; toCp932 gives nothing when a character has no
// CP932 form, so that such text is refused rather than stored mangled.
QString fromCp932(std::string_view bytes);
std::optional<std::string> toCp932(const QString &text);

// Comparison by the user's locale that ignores letter case and nothing else, as a string
// list's look-up and the catalogue sort use it: < 0, 0 or > 0. Both texts are case-folded
// and then compared at full strength, so that hiragana and katakana, or half-width and
// full-width forms, stay different texts however the locale's collation weighs them.
int compareText(std::string_view a, std::string_view b);

// The key under which compareText orders a text: comparing two keys gives the same result
// as comparing the texts, at a fraction of the cost when one text is compared many times.
class SortKey
{
public:
    int compare(const SortKey &other) const;

private:
    friend SortKey sortKeyOf(std::string_view s);
    SortKey(QCollatorSortKey collation, QString folded);

    QCollatorSortKey m_collation;
    // Decides between texts that the collation weighs alike.
    QString m_folded;
};

SortKey sortKeyOf(std::string_view s);

// Index of the first item that compareText finds equal to s, or -1.
int indexOfText(const std::vector<std::string> &list, std::string_view s);

} // namespace text
