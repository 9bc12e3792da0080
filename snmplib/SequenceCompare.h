#pragma once

#include <vector>

// The order of octet strings and OIDs over their first n elements: element
// by element, a sequence that ends first is the smaller and two that end
// together are equal. -1, 0 or 1.
template <typename Element>
int CompareSequences(const std::vector<Element>& mine, const std::vector<Element>& other, unsigned long n)
{
    for (unsigned long i = 0; i < n; ++i) {
        const bool mineEnded = i >= mine.size();
        const bool otherEnded = i >= other.size();
        if (mineEnded || otherEnded)
            return mineEnded == otherEnded ? 0 : (mineEnded ? -1 : 1);
        if (mine[i] != other[i])
            return mine[i] < other[i] ? -1 : 1;
    }
    return 0;
}
