#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>

/** The search for a SysEx message head (F0, the maker's id, the model and function bytes) in a
    byte buffer, as the file check and the rewrites of a send use it.
*/
struct SysExHeaderSearch
{
    /** The failure table of a 6-byte pattern: entry 0 is 0; entry i the length of the longest
        proper prefix of pattern[0..i] that is also its suffix.
    */
    static std::array<int, 6> buildHeaderFailureTable (const std::uint8_t* pattern);

    /** Offset of the first occurrence of the 6-byte pattern in the buffer, or -1 (also for a
        null buffer or a length below 1).
    */
    static int findSysExHeader (const std::uint8_t* buffer, int length, const std::uint8_t* pattern);
};
