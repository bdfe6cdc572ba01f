#include "ReplyMatcher.h"

#include "ModelValues.h"
#include "ReplyRules.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
int countSetBits (juce::uint8 bits)
{
    int count = 0;

    for (; bits != 0; bits = (juce::uint8) (bits & (bits - 1)))
        ++count;

    return count;
}

/** A start reply announces the length of its dump: the count of all replies, the start
        message included. Returns false when the start message cannot be decoded.
    */
bool applyStartCount (SysExRequest& request, const juce::MidiMessage& message, juce::uint8 r)
{
    switch (r)
    {
        case 0x32:
        {
            juce::uint32 fields[2] {};

            if (! decodeMultiMsgStart (message, fields))
                return false;

            request.setExpectedReplies ((juce::int32) fields[1] + 2);
            return true;
        }

        case 0x61:
        {
            juce::uint32 length = 0;

            if (! decodeSystemDataStart (message, &length))
                return false;

            request.setExpectedReplies ((juce::int32) (length >> 6) + 2);
            return true;
        }

        case 0x74:
        {
            juce::uint16 fields[3] {};

            if (! decodeEffectStart (message, fields))
                return false;

            request.setExpectedReplies ((juce::int32) (fields[1] >> 6) + 3);
            return true;
        }

        case 0x46:
        {
            juce::uint8 fields[2] {};

            if (! decodePatchPlusCabDump (message, fields))
                return false;

            const auto model = currentDeviceModel.load();
            const auto presetMessages = replySizeForModel (model);
            const auto cabMessages = model == 16 ? 10 : 66;
            const auto cabs = countSetBits ((juce::uint8) (fields[0] & 0x0F));
            request.setExpectedReplies (presetMessages + 1 + cabs * cabMessages);
            return true;
        }

        default:
            return true;
    }
}
} // namespace

bool ReplyMatcher::matchReply (SysExRequest* current, const juce::MidiMessage& message) const
{
    const auto r = ReplyRules::replyFunctionOf (ReplyRules::Generation::belowModel16, message);

    if (r == 0 || current == nullptr)
        return false;

    const auto q = current->getFunctionId();

    if (r == 0x64)
    {
        StatusReply status;

        if (! decodeStatusReply (message, &status) || status.functionId != q)
            return false;

        // A refused SYSEX_GET_ALL_PARAMS ends with this one status reply.
        if (q == 0x1F)
            current->setExpectedReplies (1);

        return true;
    }

    return ReplyRules::answers (ReplyRules::Generation::belowModel16, r, q) && applyStartCount (*current, message, r);
}
