#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

class SysExRequest;

/** Decides whether a received SysEx message of a device of model 16 or above (Orvix III)
    answers the request in flight, and corrects the request's expected reply count from the
    start replies of that generation. Stateless; called on the link worker thread only.
*/
class ReplyMatcher16
{
public:
    ReplyMatcher16() = default;

    /** True when the message counts for current (null when no request is in flight: nothing
        counts). Malformed messages never count. May change current's expected reply count.
    */
    bool matchReply (SysExRequest* current, const juce::MidiMessage& message) const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReplyMatcher16)
};
