#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>

/** Small operations of the console that need no window: time stamps for file names, the search
    for a SysEx message head in a byte buffer, and the backup job list.
*/
struct ConsoleHelpers
{
    /** The local time as "%y%m%d-%H%M%S", e.g. "250203-090507". */
    static juce::String makeTimestamp (juce::Time time = juce::Time::getCurrentTime());

    /** The failure table of a 6-byte pattern: entry 0 is 0; entry i the length of the longest
        proper prefix of pattern[0..i] that is also its suffix.
    */
    static std::array<int, 6> buildHeaderFailureTable (const std::uint8_t* pattern);

    /** Offset of the first occurrence of the 6-byte pattern in the buffer, or -1 (also for a
        null buffer or a length below 1).
    */
    static int findSysExHeader (const std::uint8_t* buffer, int length, const std::uint8_t* pattern);

    /** Removes the first job of the list, if any, and trims the list's storage when more than
        twice its size is allocated.
    */
    static void removeFirstJob (juce::Array<int>& jobs);

    /** Frees every message block of the list and the list's storage. */
    static void freeMessageBlocks (juce::OwnedArray<juce::MemoryBlock>& blocks);
};
