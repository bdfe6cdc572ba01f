#pragma once

#include "PayloadKind.h"

#include <juce_core/juce_core.h>

/** Decides whether a .syx file may be sent to the chosen device and what it holds.

    The check (checkSysExFile, and the Utility's own check) tells whether the device accepts the
    file's model and function; the classifier sorts an accepted file into a PayloadKind, counting
    the preset and cab messages that the send options and the bank rewrites need; the report
    text explains a refusal. Every read is bounded by the file's size: a file that is too short or
    not the maker's SysEx is refused before any field of it is read.

    Needs no window: the console and the firmware offer call it on the message thread, the
    tests directly.
*/
class SysExFileCheck
{
public:
    /** Files above this size are refused before they are read. */
    static constexpr juce::int64 maxFileBytes = 32 * 1024 * 1024;

    /** The text for a file above maxFileBytes. */
    static juce::String tooLargeText();

    /** The text for a file that is not whole messages (see isWholeMessagesOfOneModel). */
    static juce::String cutShortText();

    /** The text for a cab file of which a cab does not read (see allCabsReadable). */
    static juce::String damagedCabText (int deviceModel);

    /** Counts the classifier found: headers of the first message's model and function. */
    struct Counts
    {
        juce::uint32 presetMessageCount = 0;
        juce::uint32 cabMessageCount = 0;
    };

    //==============================================================================
    /** The file's PayloadKind for the device (21 for the Utility, 255, whatever the file). */
    static PayloadKind classify (const juce::MemoryBlock& data, int deviceModel, Counts& counts);

    /** A file whose first message is a PATCH_START of model m. */
    static PayloadKind classifyPresetDump (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts);

    /** Counts the PATCH_START headers of model m and gives the bank kind for that count. */
    static PayloadKind classifyPresetBank (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts);

    /** A file whose first message is a CABIR_START of model m. */
    static PayloadKind classifyCabDump (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts);

    /** True when the cab IR decodes and byte 31 of its words is 0xA0. */
    static bool cabIRHasMarkerA0 (const juce::MemoryBlock& data);

    /** True when every cab of a cab file of this model reads whole (parseCabIR): its words
        arrive, and add up to the count and checksum that the cab announces. Every cab sent to a
        device is rebuilt from what it reads, so a cab that does not read cannot be sent.
    */
    static bool allCabsReadable (const juce::MemoryBlock& data, juce::uint8 model);

    /** The number of headers of this model and function anywhere in the data. */
    static juce::uint32 countHeaders (const juce::MemoryBlock& data, juce::uint8 model, juce::uint8 functionId);

    //==============================================================================
    /** True when the data is whole messages and nothing else: each one F0, then only data bytes,
        then F7 (wholeSysExMessageLength), one right after another. A file cut short, a message
        broken by a status byte or running into the next, and any byte before, between or after
        the messages (a stray F7, a line end) are false: the sender would leave such bytes out or
        send part of the file. The Utility's rule.
    */
    static bool isWholeMessages (const juce::MemoryBlock& data);

    /** A device's rule: whole messages and nothing else, each of them the maker's, of the first
        message's model and with its checksum right. The sender cuts a device's file by that
        model's header, so a message of another maker or model, or two messages run into one
        across a hole, would go out glued to another or not at all.
    */
    static bool isWholeMessagesOfOneModel (const juce::MemoryBlock& data);

    /** True when the device may receive the file. Files shorter than one whole message, without
        the maker's header, or that fail isWholeMessagesOfOneModel are refused; a USB firmware file
        only goes to a device of its own model.
    */
    static bool checkSysExFile (const juce::MemoryBlock& data, int deviceModel, juce::uint32 firmwareMajor);

    /** The Utility's check: any file of the maker's for a model of 2 or more that is whole
        messages (isWholeMessages), but a preset-plus-cab dump.
    */
    static bool checkUtilityFile (const juce::MemoryBlock& data);

    /** The check of either kind for the device. */
    static bool accepts (const juce::MemoryBlock& data, int deviceModel, juce::uint32 firmwareMajor);

    /** Why a refused file is refused, for the warning box. */
    static juce::String refusalText (const juce::MemoryBlock& data, int deviceModel);

    /** The name of a model in the refusal texts: the model table's, "Utility" or "Other". */
    static juce::String modelNameForReport (int model, bool& known);
};
