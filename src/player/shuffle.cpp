#include "player/shuffle.h"

#include <QDateTime>

#include <algorithm>

std::uint32_t ShuffleRandom::next(std::uint32_t n)
{
    m_seed = m_seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((std::uint64_t(m_seed) * n) >> 32);
}

std::uint32_t ShuffleSeedNow()
{
    return static_cast<std::uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

void ShuffleMoveToFront(std::vector<std::string> &list, std::uint32_t seed)
{
    ShuffleRandom random(seed);
    const auto n = static_cast<std::uint32_t>(list.size());
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto r = std::ptrdiff_t(random.next(n));
        std::rotate(list.begin(), list.begin() + r, list.begin() + r + 1);
    }
}
