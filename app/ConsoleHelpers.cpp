#include "ConsoleHelpers.h"

juce::String ConsoleHelpers::makeTimestamp (juce::Time time)
{
    return time.formatted ("%y%m%d") + "-" + time.formatted ("%H%M%S");
}

std::array<int, 6> ConsoleHelpers::buildHeaderFailureTable (const std::uint8_t* pattern)
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

int ConsoleHelpers::findSysExHeader (const std::uint8_t* buffer, int length, const std::uint8_t* pattern)
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

void ConsoleHelpers::removeFirstJob (juce::Array<int>& jobs)
{
    if (jobs.isEmpty())
        return;

    // Array::remove moves the rest down and, when more than twice the size is allocated,
    // shrinks the storage to the larger of the new size and 16 elements.
    jobs.remove (0);
}

void ConsoleHelpers::freeMessageBlocks (juce::OwnedArray<juce::MemoryBlock>& blocks)
{
    blocks.clear (true);
}
