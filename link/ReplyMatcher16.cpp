#include "ReplyMatcher16.h"

#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
bool isOneOf (juce::uint8 q, std::initializer_list<juce::uint8> functions)
{
    for (auto f : functions)
        if (q == f)
            return true;

    return false;
}

/** The grid start reply announces a length n in bytes of 16-bit words that travel 256 words
        to a message: the replies are the data messages rounded up, plus start and end.
    */
juce::int32 gridReplyCount (juce::uint32 lengthField)
{
    const auto n = lengthField & 0xFFFFu;
    const auto words = n >> 1;
    return (juce::int32) (n >> 9) + 2 + (words % 256 != 0 ? 1 : 0);
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

    switch (r)
    {
        case 0x01:
        case 0x08:
        case 0x14: // the current-patch query
        case 0x47:
            return q == r;

        case 0x52:
        case 0x53:
            return q == 0x43;
        case 0x62:
        case 0x63:
            return q == 0x20;
        case 0x67:
        case 0x68:
        case 0x69:
            return q == 0x40;
        case 0x75:
        case 0x76:
            return q == 0x1F;
        case 0x77:
        case 0x78:
        case 0x79:
            return q == 0x03;
        case 0x7A:
        case 0x7B:
        case 0x7C:
            return isOneOf (q, { 0x19, 0x44, 0x40 });

        case 0x51:
        {
            juce::uint32 length = 0;

            if (q != 0x43 || ! decodeSystemDataStart (message, &length))
                return false;

            current->setExpectedReplies ((juce::int32) (length >> 10) + 2);
            return true;
        }

        case 0x61:
        {
            juce::uint32 fields[5] {};

            if (q != 0x20 || ! decodeGridStart (message, fields))
                return false;

            current->setExpectedReplies (gridReplyCount (fields[4]));
            return true;
        }

        case 0x74:
        {
            juce::uint16 fields[3] {};

            if (q != 0x1F || ! decodeEffectStart (message, fields))
                return false;

            current->setExpectedReplies ((juce::int32) (fields[1] >> 8) + 3);
            return true;
        }

        case 0x64:
        {
            StatusReply status;
            return decodeStatusReply (message, &status) && status.functionId == q;
        }

        default:
            return false;
    }
}
