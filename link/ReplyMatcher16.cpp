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
    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();

    if (size < 6 || ! isZandrelSysEx (data, size) || data[size - 1] != 0xF7)
        return false;

    const auto r = data[5];

    if (r != 0x02 && ! hasValidSysExChecksum (data, size))
        return false;

    if (r < 0x01 || r > 0x7C || current == nullptr)
        return false;

    const auto q = current->getFunctionId();

    if (r == 0x64)
    {
        StatusReply status;
        return decodeStatusReply (message, &status) && status.functionId == q;
    }

    return ReplyRules::answers (ReplyRules::Generation::model16, r, q) && applyStartCount (*current, message, r);
}
