#include "ReplyMatcher16.h"

#include "ReplyRules.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
/** The grid start reply announces a length n in bytes of 16-bit words that travel 256 words
        to a message: the replies are the data messages rounded up, plus start and end.
    */
juce::int32 gridReplyCount (juce::uint32 lengthField)
{
    const auto n = lengthField & 0xFFFFu;
    const auto words = n >> 1;
    return (juce::int32) (n >> 9) + 2 + (words % 256 != 0 ? 1 : 0);
}

/** A start reply announces the length of its dump: the count of all replies, the start
    message included. Returns false when the start message cannot be decoded.
*/
bool applyStartCount (SysExRequest& request, const juce::MidiMessage& message, juce::uint8 r)
{
    switch (r)
    {
        case 0x51:
        {
            juce::uint32 length = 0;

            if (! decodeSystemDataStart (message, &length))
                return false;

            request.setExpectedReplies ((juce::int32) (length >> 10) + 2);
            return true;
        }

        case 0x61:
        {
            juce::uint32 fields[5] {};

            if (! decodeGridStart (message, fields))
                return false;

            request.setExpectedReplies (gridReplyCount (fields[4]));
            return true;
        }

        case 0x74:
        {
            juce::uint16 fields[3] {};

            if (! decodeEffectStart (message, fields))
                return false;

            request.setExpectedReplies ((juce::int32) (fields[1] >> 8) + 3);
            return true;
        }

        default:
            return true;
    }
}
} // namespace

bool ReplyMatcher16::matchReply (SysExRequest* current, const juce::MidiMessage& message) const
{
    const auto r = ReplyRules::replyFunctionOf (ReplyRules::Generation::model16, message);

    if (r == 0 || current == nullptr)
        return false;

    const auto q = current->getFunctionId();

    if (r == 0x64)
    {
        StatusReply status;
        return decodeStatusReply (message, &status) && status.functionId == q;
    }

    return ReplyRules::answers (ReplyRules::Generation::model16, r, q) && applyStartCount (*current, message, r);
}
