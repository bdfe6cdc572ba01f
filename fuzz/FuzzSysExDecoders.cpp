// The SysEx reply decoders and the 7-bit unpacking, fed one message as it could come from a device.

#include "FuzzInput.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;

    FuzzInput input (data, size);
    currentDeviceModel = input.byte();
    const auto offset = (int) input.byte() - 8;
    const auto count = (int) input.byte() % 8;
    const auto bytes = input.rest();

    if (bytes.isEmpty())
        return 0;

    const juce::MidiMessage message (bytes.getData(), (int) bytes.getSize());

    // Some decoders fill several values: room for more than any of them writes.
    StatusReply status;
    FirmwareVersionRecord version;
    SystemInfoRecord info;
    DecodedPatchData patch;
    DecodedCabIRData cab;
    juce::uint16 u16[8] = {};
    juce::uint32 u32[8] = {};
    juce::uint8 u8[8] = {};

    decodeStatusReply (message, &status);
    decodeVersionReply (message, &version);
    decodePatchNumberReply (message, u16);
    decodeConfigReply (message, u16);
    decodeSysInfoReply (message, &info, &status);
    decodeSysInfoReply (message, &info, nullptr);
    decodeMultiMsgStart (message, u32);
    decodeEffectStart (message, u16);
    decodeSystemDataStart (message, u32);
    decodePatchPlusCabDump (message, u8);
    decodeGridStart (message, u32);
    decodePatchStartMessage (message, u16);
    decodePatchDataMessage (message, &patch);
    decodePatchEndMessage (message, u32);
    decodeCabIRStartMessage (message, u32);
    decodeCabIRDataMessage (message, &cab);
    decodeCabIREndMessage (message, u32);

    unpack7BitValue (message, offset, count);
    unpack7BitValue (static_cast<const juce::uint8*> (bytes.getData()), (int) bytes.getSize(), offset, count);
    return 0;
}
