#include "FarNumbers.h"

#include <algorithm>

int ReachOf(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    long long reach = 0;
    for (const int number : numbers) {
        if (number > reach + kFarGap)
            break;
        reach = std::max<long long>(reach, number);
    }
    return int(reach);
}
