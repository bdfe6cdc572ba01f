#pragma once

#include "PayloadKind.h"

#include <juce_core/juce_core.h>

/** Checks a firmware image that was downloaded into memory before anything of it is sent:
    every byte must belong to a whole SysEx message (F0 ... F7, nothing in between above 0x7F)
    with the maker's header and a valid checksum, and the first message must make it firmware
    for the connected device: f 0x7D of the device's own model (Orvix II family, QMR-303, LM6,
    KT4, Orvix III firmware) or f 0x6D of model 16 or above for an Orvix III (USB firmware).
*/
struct FirmwareImageCheck
{
    static constexpr juce::int64 maxImageBytes = 32 * 1024 * 1024;

    /** The firmware kind for the device, or PayloadKinds::notSendable with the reason in
        problem.
    */
    static PayloadKind classify (const juce::MemoryBlock& image, juce::uint8 deviceModel, juce::String& problem);

    /** True when the data is a run of whole, checksummed messages of the maker's, a whole
        message being what wholeSysExMessageLength says it is; the number of messages is stored
        in messageCount.
    */
    static bool isWellFramed (const juce::MemoryBlock& image, int& messageCount);
};
