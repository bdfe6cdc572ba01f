#include "ReplyMatcher.h"

#include "ModelValues.h"
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
    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();

    if (size <= 5 || ! isZandrelSysEx (data, size) || data[size - 1] != 0xF7)
        return false;

    const auto r = data[5];
    const bool reportWithoutChecksum = (r == 0x0D || r == 0x0E || r == 0x10);

    if (! reportWithoutChecksum && ! hasValidSysExChecksum (data, size))
        return false;

    if (r < 0x01 || r > 0x7C || current == nullptr)
        return false;

    const auto q = current->getFunctionId();

    switch (r)
    {
        case 0x01:
        case 0x08:
        case 0x0F:
        case 0x11:
        case 0x12:
        case 0x13:
        case 0x15:
        case 0x16:
        case 0x17:
        case 0x18:
        case 0x1A:
        case 0x1C:
        case 0x20:
        case 0x28:
        case 0x2A:
        case 0x2F:
        case 0x30:
        case 0x31:
        case 0x35:
        case 0x36:
        case 0x3A:
        case 0x44:
        case 0x45:
        case 0x47:
        case 0x48:
        // Unsolicited reports unless asked for:
        case 0x0E:
        case 0x14:
        case 0x23:
        case 0x38:
        case 0x39:
            return q == r;

        case 0x02:
            return isOneOf (q, { 0x02, 0x2E });
        case 0x07:
            return isOneOf (q, { 0x07, 0x3B });
        case 0x29:
            return isOneOf (q, { 0x29, 0x0E });
        case 0x2C:
            return isOneOf (q, { 0x2C, 0x2B });
        case 0x33:
            return isOneOf (q, { 0x12, 0x2B, 0x01 });
        case 0x62:
        case 0x63:
            return q == 0x43;
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
            return isOneOf (q, { 0x03, 0x46, 0x1C });
        case 0x7A:
        case 0x7B:
        case 0x7C:
            return isOneOf (q, { 0x19, 0x44, 0x46, 0x40 });

        case 0x32:
            return isOneOf (q, { 0x12, 0x2B, 0x01 }) && applyStartCount (*current, message, r);
        case 0x46:
            return q == 0x46 && applyStartCount (*current, message, r);
        case 0x61:
            return q == 0x43 && applyStartCount (*current, message, r);
        case 0x74:
            return q == 0x1F && applyStartCount (*current, message, r);

        case 0x64:
        {
            StatusReply status;

            if (! decodeStatusReply (message, &status) || status.functionId != q)
                return false;

            // A refused SYSEX_GET_ALL_PARAMS ends with this one status reply.
            if (q == 0x1F)
                current->setExpectedReplies (1);

            return true;
        }

        default:
            return false;
    }
}
