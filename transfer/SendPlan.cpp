#include "SendPlan.h"

#include "CabIR.h"
#include "SysExBlocks.h"
#include "SysExMessage.h"
#include "SysExRewrites.h"

namespace
{
using namespace PayloadKinds;

bool isOneOf (int value, std::initializer_list<int> values)
{
    for (auto v : values)
        if (v == value)
            return true;

    return false;
}

SendPlan::Result sendAsIs (const juce::MemoryBlock& data)
{
    SendPlan::Result result;
    result.send = true;
    result.data = data;
    return result;
}

SendPlan::Result refused (const juce::String& text)
{
    SendPlan::Result result;
    result.errorText = text;
    return result;
}

SendPlan::Result nothingSent()
{
    return {};
}

/** A one-preset file, pointed at the edit buffer. */
SendPlan::Result toEditBuffer (juce::MemoryBlock data)
{
    if (! SysExRewrites::setSingleDestination (data, 127))
        return refused (SendPlan::truncatedFileText);

    return sendAsIs (data);
}

bool hasBank (const SendPlan::Choices& choices)
{
    return choices.destinationChosen && choices.destinationBank >= 0 && choices.destinationBank < 128;
}

juce::MemoryBlock retargeted (const juce::MemoryBlock& data, juce::uint8 model)
{
    juce::MemoryBlock out;
    retargetSysExModel (data, model, out);
    return out;
}
} // namespace

//==============================================================================
SendPlan::Gate SendPlan::gateFor (int deviceModel, PayloadKind kind, juce::uint32 firmwareMajor) noexcept
{
    auto gate = [kind] (std::initializer_list<int> direct, std::initializer_list<int> options)
    {
        if (isOneOf (kind, direct))
            return Gate::direct;

        return isOneOf (kind, options) ? Gate::optionsFirst : Gate::notSent;
    };

    switch (deviceModel)
    {
        case 3: case 6: case 7:
            if (kind == orvixIIFirmware)
                return firmwareMajor < 9 ? Gate::optionsFirst : Gate::direct;

            return gate ({ preset, fpgaImage }, { orvixIIBank, orvixIIAllBanks, cabIR, cabBank, orvixIISystem, orvixIIXLSystem });

        case 16:
            return gate ({ preset, orvixIIIFirmware, orvixIIIUsbFirmware, orvixIIISystem },
                         { cabIR, cabBank, orvixIIIBank, orvixIIIAllBanks, orvixIIISystemMemory, orvixIIIGlobalSettings });

        case 8:
            return gate ({ preset, kt4Firmware }, { kt4Bank, kt4AllBanks, kt4FactorySet, cabIR, cabBank, kt4AllCabBanks, kt4System });

        case 5: case 10:
            return gate ({ preset, lm6Firmware }, { lm6Bank, lm6AllBanks, lm6System });

        case 2: case 4:
            return gate ({}, { qmr303Firmware, qmr303Backup });

        case 255:
            return Gate::direct;

        default:
            return Gate::notSent;
    }
}

juce::uint8 SendPlan::fileModelOf (const juce::MemoryBlock& data, juce::uint8 fallback) noexcept
{
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());
    return isZandrelSysEx (bytes, (int) juce::jmin ((size_t) 64, data.getSize())) ? bytes[4] : fallback;
}

SendPlan::Result SendPlan::prepare (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices)
{
    if (gateFor (device.model, kind, device.version.major) == Gate::notSent)
        return nothingSent();

    switch (device.model)
    {
        case 3: case 6: case 7: return prepareOrvixII (loaded, kind, device, choices);
        case 16:                return prepareOrvixIII (loaded, kind, device, choices);
        case 8:                 return prepareKT4 (loaded, kind, device, choices);
        case 5: case 10:        return prepareLM6 (loaded, kind, device, choices);
        default:                break;
    }

    auto result = sendAsIs (loaded);

    if (device.model == 2 || device.model == 4)
    {
        result.noReplyMode = true;

        if (kind == qmr303Firmware)
            result.status = "Updating... watch the QMR-303 display for 'Update Complete' then reboot.";
    }
    else
    {
        result.noReplyMode = true;   // the Utility sends the file as it is, expecting no replies
    }

    return result;
}

//==============================================================================
SendPlan::Result SendPlan::prepareOrvixII (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices)
{
    const auto d = (juce::uint8) device.model;
    const auto f = fileModelOf (loaded, 0);

    switch (kind)
    {
        case orvixIIFirmware:
        {
            auto result = sendAsIs (loaded);
            result.preMessage = true;

            if (device.version.major < 9)
            {
                result.acceptedResultCodes.push_back (5);
                result.preMessage = false;
            }

            return result;
        }

        case fpgaImage:
        {
            if (device.version.major < 14 || (device.version.major == 14 && device.version.minor < 3))
                return refused (fpgaTooOldText);

            auto result = sendAsIs (loaded);
            result.preMessage = true;
            return result;
        }

        case preset:
        {
            juce::MemoryBlock data (loaded);

            if (f == 3 && (d == 6 || d == 7))
            {
                if (! SysExRewrites::convertPresetToXL (loaded, d == 7, data))
                    return refused (conversionErrorText);
            }
            else if ((f == 6 && d == 7) || (f == 7 && d == 6))
            {
                data = retargeted (loaded, d);
            }

            return toEditBuffer (data);
        }

        case orvixIIBank:
        case orvixIIAllBanks:
        {
            if (kind == orvixIIBank && ! hasBank (choices))
                return nothingSent();

            juce::MemoryBlock data (loaded);
            const bool known = isOneOf (f, { 3, 6, 7 });

            if (f == 3 && (d == 6 || d == 7))
            {
                if (! SysExRewrites::convertBankToXL (loaded, d == 7, data))
                    return refused (conversionErrorText);
            }
            else if ((f == 7 && d == 6) || (f == 6 && d == 7))
            {
                data = retargeted (loaded, d);
            }

            const bool rewrite = kind == orvixIIBank && (d == 3 ? f == 3 : known);

            if (rewrite && ! SysExRewrites::retargetBankFile (data, (juce::uint8) choices.destinationBank, d))
                return refused (truncatedFileText);

            return sendAsIs (data);
        }

        case cabIR:
            return prepareCab (loaded, (juce::uint32) (juce::uint16) (choices.destinationSlot - 1), device, choices);

        case cabBank:
            return prepareCabBank (loaded, device, choices);

        case orvixIISystem:
            return sendAsIs (loaded);

        case orvixIIXLSystem:
            return sendAsIs (f != d ? retargeted (loaded, d) : loaded);

        default:
            return nothingSent();
    }
}

SendPlan::Result SendPlan::prepareOrvixIII (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices)
{
    switch (kind)
    {
        case preset:
            return toEditBuffer (loaded);

        case cabIR:
        {
            juce::uint32 slot = 0;

            if (choices.destinationMode == 2)
                slot = (juce::uint32) (juce::jmax (0, choices.userBankIndex) * 1024 + (choices.userSlotValue - 1));
            else if (choices.destinationMode == 1)
                slot = (juce::uint32) (choices.destinationSlot - 1);

            return prepareCab (loaded, (juce::uint32) (juce::uint16) slot, device, choices);
        }

        case cabBank:
            return prepareCabBank (loaded, device, choices);

        case orvixIIIUsbFirmware:
        {
            auto result = sendAsIs (loaded);
            result.usbFirmware = true;
            return result;
        }

        case orvixIIIBank:
        {
            if (! hasBank (choices))
                return nothingSent();

            juce::MemoryBlock data (loaded);

            if (! SysExRewrites::retargetBankFile (data, (juce::uint8) choices.destinationBank, 16))
                return refused (truncatedFileText);

            return sendAsIs (data);
        }

        default:
            return sendAsIs (loaded);
    }
}

SendPlan::Result SendPlan::prepareKT4 (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices)
{
    Result result;

    switch (kind)
    {
        case kt4Firmware:
            result = sendAsIs (loaded);
            result.preMessage = true;
            break;

        case kt4Bank:
        {
            if (! hasBank (choices))
                return nothingSent();

            juce::MemoryBlock data (loaded);

            if (! SysExRewrites::retargetBankFile3 (data, (juce::uint8) choices.destinationBank))
                return refused (truncatedFileText);

            result = sendAsIs (data);
            break;
        }

        case cabIR:
            result = prepareCab (loaded, (juce::uint32) (juce::uint16) (choices.destinationSlot - 1), device, choices);
            break;

        case cabBank:
            return prepareCabBank (loaded, device, choices);

        case preset:
            result = toEditBuffer (loaded);
            break;

        default:
            result = sendAsIs (loaded);
            break;
    }

    result.muteFirst = result.send;
    return result;
}

SendPlan::Result SendPlan::prepareLM6 (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices)
{
    const auto d = (juce::uint8) device.model;
    const auto f = fileModelOf (loaded, 0);
    juce::MemoryBlock data (loaded);

    if (isOneOf (kind, { preset, lm6Bank, lm6AllBanks }) && f != d
        && ! SysExRewrites::convertLM6Generation (data, f, d))
        return refused (conversionErrorText);

    switch (kind)
    {
        case lm6Firmware:
        {
            auto result = sendAsIs (loaded);
            result.preMessage = true;
            return result;
        }

        case preset:
            return toEditBuffer (data);

        case lm6Bank:
            if (! hasBank (choices))
                return nothingSent();

            if (! SysExRewrites::retargetBankFile2 (data, choices.destinationBank, d))
                return refused (truncatedFileText);

            return sendAsIs (data);

        default:
            return sendAsIs (data);
    }
}

//==============================================================================
SendPlan::Result SendPlan::prepareCab (const juce::MemoryBlock& loaded, juce::uint32 slot, const Device& device, const Choices& choices)
{
    juce::MemoryBlock out;

    if (! convertCabIR (loaded, (juce::uint32) choices.destinationMode, slot, device.version, &device.systemInfo, out))
        return refused (cabErrorText);

    return sendAsIs (out);
}

SendPlan::Result SendPlan::prepareCabBank (const juce::MemoryBlock& loaded, const Device& device, const Choices& choices)
{
    if (! hasBank (choices))
        return nothingSent();

    const bool orvixIII = device.model == 16;
    const int bankSize = orvixIII ? 1024 : 128;
    const auto firstSlot = (juce::uint32) (choices.destinationBank * bankSize);

    juce::OwnedArray<juce::MemoryBlock> parts;
    splitSysExByHeader (loaded, 0x7A, fileModelOf (loaded, 0xFE), parts);

    if (parts.isEmpty())
        return refused (cabBankErrorText);

    if (parts.size() > bankSize)
        return refused (cabBankTooLargeText);

    juce::MemoryBlock data;

    for (int i = 0; i < parts.size(); ++i)
    {
        juce::MemoryBlock out;

        // A bank in which any cab fails is not sent at all.
        if (! convertCabIR (*parts[i], 2, firstSlot + (juce::uint32) i, device.version, &device.systemInfo, out))
            return refused (cabBankErrorText);

        data.append (out.getData(), out.getSize());
    }

    auto result = sendAsIs (data);
    result.muteFirst = device.model == 8;
    return result;
}
