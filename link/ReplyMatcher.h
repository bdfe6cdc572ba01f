#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

class SysExRequest;

/** Decides whether a received SysEx message answers the request in flight, for devices of
    models below 16 and for SysEx of other makers.

    The link worker hands it every such message; when matchReply returns true the worker adds
    the message to the request. A start reply that announces a dump's length corrects the
    request's expected reply count. Stateless; called on the link worker thread only. It reads
    currentDeviceModel.
*/
class ReplyMatcher
{
public:
    ReplyMatcher() = default;

    /** True when the message counts for current (null when no request is in flight: nothing
        counts). Malformed messages (too short, no F7, wrong checksum, another maker's) never
        count. May change current's expected reply count.
    */
    bool matchReply (SysExRequest* current, const juce::MidiMessage& message) const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReplyMatcher)
};
