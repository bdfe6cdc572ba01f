#include "SysExHeaderSearch.h"

std::array<int, 6> SysExHeaderSearch::buildHeaderFailureTable (const std::uint8_t* pattern)
{
    std::array<int, 6> table {};
    int length = 0;

    for (int i = 1; i < 6;)
    {
        if (pattern[i] == pattern[length])
        {
            table[(size_t) i++] = ++length;
        }
        else if (length > 0)
        {
            length = table[(size_t) length - 1];
        }
        else
        {
            table[(size_t) i++] = 0;
        }
    }

    return table;
}

int SysExHeaderSearch::findSysExHeader (const std::uint8_t* buffer, int length, const std::uint8_t* pattern)
{
    if (buffer == nullptr || pattern == nullptr || length < 1)
        return -1;

    const auto table = buildHeaderFailureTable (pattern);
    int b = 0, p = 0;

    while (b < length)
    {
        if (buffer[b] == pattern[p])
        {
            if (p == 5)
                return b - 5;

            ++b;
            ++p;
        }
        else if (p > 0)
        {
            p = table[(size_t) p - 1];
        }
        else
        {
            ++b;
        }
    }

    return -1;
}
