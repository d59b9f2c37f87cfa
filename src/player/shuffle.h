#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The 32-bit linear congruential generator of the shuffle: each draw sets
// seed := seed * 134775813 + 1 and gives the upper 32 bits of seed * n.
class ShuffleRandom
{
public:
    explicit ShuffleRandom(std::uint32_t seed) : m_seed(seed) {}
    std::uint32_t next(std::uint32_t n);

private:
    std::uint32_t m_seed;
};

// Milliseconds since midnight, UTC: the seed of a shuffle.
std::uint32_t ShuffleSeedNow();

// n times: draw an index below n and move that entry to the front.
void ShuffleMoveToFront(std::vector<std::string> &list, std::uint32_t seed);
