#include "app/text.h"

#include <QCollator>
#include <QLocale>

#include <cerrno>
#include <iconv.h>

namespace text {

namespace {

constexpr std::string_view fullWidthSpace = "\x81\x40";

// Length of the space character at pos, or 0 when none starts there.
std::size_t spaceAt(std::string_view s, std::size_t pos)
{
    if (s[pos] == ' ')
        return 1;
    if (s.substr(pos, 2) == fullWidthSpace)
        return 2;
    return 0;
}

} // namespace

std::string trimSpaces(std::string_view s)
{
    std::size_t begin = 0;
    while (begin < s.size()) {
        const std::size_t n = spaceAt(s, begin);
        if (n == 0)
            break;
        begin += n;
    }
    // Walk forward so that the end is always on a character boundary.
    std::size_t end = begin;
    for (std::size_t pos = begin; pos < s.size();) {
        const std::size_t n = spaceAt(s, pos);
        pos = n ? pos + n : nextCharPos(s, pos);
        if (n == 0)
            end = pos;
    }
    return std::string(s.substr(begin, end - begin));
}

std::string leftStr(std::string_view s, std::size_t count)
{
    return std::string(s.substr(0, count));
}

std::string rightStr(std::string_view s, std::size_t count)
{
    return std::string(count >= s.size() ? s : s.substr(s.size() - count));
}

std::string_view cutToBytes(std::string_view s, std::size_t maxBytes) noexcept
{
    if (s.size() <= maxBytes)
        return s;
    std::size_t pos = 0;
    while (true) {
        const std::size_t next = nextCharPos(s, pos);
        if (next > maxBytes)
            return s.substr(0, pos);
        pos = next;
    }
}

bool sameTextAscii(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    for (std::size_t pos = 0; pos < a.size();) {
        const std::size_t next = nextCharPos(a, pos);
        if (next - pos == 2) {
            if (a.substr(pos, 2) != b.substr(pos, 2))
                return false;
        } else if (fold(a[pos]) != fold(b[pos])) {
            return false;
        }
        pos = next;
    }
    return true;
}

namespace {

// One iconv conversion of a whole buffer. Invalid input is either replaced (decoding)
// or reported (encoding) by the caller's choice.
class Iconv
{
public:
    Iconv(const char *to, const char *from) : cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    // Converts in, calling onInvalid for each byte that cannot be converted; onInvalid
    // returns false to give up.
    template<typename OnInvalid>
    bool convert(std::string_view in, std::string &out, OnInvalid onInvalid)
    {
        if (cd == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        char *inPtr = const_cast<char *>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char *outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr - buffer);
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG)
                    continue;
                // EILSEQ or EINVAL (an incomplete sequence at the end)
                if (!onInvalid(out))
                    return false;
                const std::size_t skip = (errno == EILSEQ) ? 1 : inLeft;
                inPtr += skip;
                inLeft -= skip;
            }
        }
        return true;
    }

private:
    iconv_t cd;
};

} // namespace

QString fromCp932(std::string_view bytes)
{
    thread_local Iconv decoder("UTF-8", "CP932");
    std::string utf8;
    decoder.convert(bytes, utf8, [](std::string &out) {
        out += "\xEF\xBF\xBD";
        return true;
    });
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::optional<std::string> toCp932(const QString &text)
{
    thread_local Iconv encoder("CP932", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    if (!encoder.convert(std::string_view(utf8.constData(), utf8.size()), out,
                         [](std::string &) { return false; }))
        return std::nullopt;
    return out;
}

namespace {

// Case is folded before the texts reach the collator, which then weighs every other
// difference (its default, tertiary strength).
QCollator &localeCollator()
{
    thread_local QCollator collator{QLocale::system()};
    return collator;
}

QString foldedText(std::string_view s)
{
    return fromCp932(s).toCaseFolded();
}

int compareFolded(const QString &a, const QString &b)
{
    const int byCollation = localeCollator().compare(a, b);
    return byCollation != 0 ? byCollation : a.compare(b);
}

} // namespace

int compareText(std::string_view a, std::string_view b)
{
    return compareFolded(foldedText(a), foldedText(b));
}

SortKey::SortKey(QCollatorSortKey collation, QString folded)
    : m_collation(std::move(collation))
    , m_folded(std::move(folded))
{
}

int SortKey::compare(const SortKey &other) const
{
    const int byCollation = m_collation.compare(other.m_collation);
    return byCollation != 0 ? byCollation : m_folded.compare(other.m_folded);
}

SortKey sortKeyOf(std::string_view s)
{
    QString folded = foldedText(s);
    QCollatorSortKey collation = localeCollator().sortKey(folded);
    return SortKey(std::move(collation), std::move(folded));
}

int indexOfText(const std::vector<std::string> &list, std::string_view s)
{
    // Equal at full strength means the same folded text.
    const QString wanted = foldedText(s);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (foldedText(list[i]) == wanted)
            return int(i);
    }
    return -1;
}

} // namespace text
