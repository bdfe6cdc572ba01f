#include "FirmwareImageCheck.h"

#include "SysExMessage.h"

bool FirmwareImageCheck::isWellFramed (const juce::MemoryBlock& image, int& messageCount)
{
    messageCount = 0;
    const auto* bytes = static_cast<const juce::uint8*> (image.getData());
    const auto size = (juce::int64) image.getSize();

    if (size == 0 || size > maxImageBytes)
        return false;

    for (juce::int64 start = 0; start < size;)
    {
        const auto length = (int) wholeSysExMessageLength (bytes + start, (size_t) (size - start));

        if (length < sysExFrameOverhead || ! isZandrelSysEx (bytes + start, length)
            || ! hasValidSysExChecksum (bytes + start, length))
            return false;

        ++messageCount;
        start += length;
    }

    return true;
}

PayloadKind FirmwareImageCheck::classify (const juce::MemoryBlock& image, juce::uint8 deviceModel, juce::String& problem)
{
    int messages = 0;

    if (! isWellFramed (image, messages))
    {
        problem = "The downloaded firmware is damaged: it is not a complete SysEx file.";
        return PayloadKinds::notSendable;
    }

    const auto* bytes = static_cast<const juce::uint8*> (image.getData());
    const auto model = bytes[4];
    const auto function = bytes[5];

    if (function == 0x7D && model == deviceModel)
    {
        switch (model)
        {
            case 3: case 6: case 7: return PayloadKinds::orvixIIFirmware;
            case 2: case 4:         return PayloadKinds::qmr303Firmware;
            case 5: case 10:        return PayloadKinds::lm6Firmware;
            case 8:                 return PayloadKinds::kt4Firmware;
            case 16:                return PayloadKinds::orvixIIIFirmware;
            default:                break;
        }
    }

    if (function == 0x6D && deviceModel >= 16 && model >= deviceModel)
        return PayloadKinds::orvixIIIUsbFirmware;

    problem = "The downloaded file is not firmware for the connected device.";
    return PayloadKinds::notSendable;
}
