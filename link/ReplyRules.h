#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Which request a device's reply answers, for both generations of devices at once: one row per
    reply function, with a column for the devices below model 16 (ReplyMatcher) and one for
    model 16 and above (ReplyMatcher16).

    Only the function ids are compared here; the status reply (0x64) and the lengths that start
    replies announce are each matcher's own. Stateless and safe on any thread.
*/
struct ReplyRules
{
    /** The column: the generation of the device that sent the reply. */
    enum class Generation
    {
        belowModel16,
        model16
    };

    /** True when a reply of function reply answers a request of function request on that
        generation of devices. A reply function without a row answers nothing.
    */
    static bool answers (Generation generation, juce::uint8 reply, juce::uint8 request) noexcept;

    /** The reply function (byte 5) of a message that may answer a request: one of the maker's,
        6 bytes or more, ending in F7, its function from 0x01 to 0x7C, and its checksum right
        unless the generation sends that report without one (0x0D, 0x0E, 0x10 below model 16,
        0x02 from model 16). 0 for any other message.
    */
    static juce::uint8 replyFunctionOf (Generation generation, const juce::MidiMessage& message) noexcept;
};
