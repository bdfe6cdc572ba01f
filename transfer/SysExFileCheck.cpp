#include "SysExFileCheck.h"

#include "CabIR.h"
#include "SysExHeaderSearch.h"
#include "ModelRules.h"
#include "SysExBlocks.h"
#include "SysExMessage.h"
#include "SysExTables.h"

namespace
{
constexpr juce::uint8 patchStartFunction = 0x77;
constexpr juce::uint8 cabIRStartFunction = 0x7A;
constexpr juce::uint8 firmwareFunction = 0x7D;
constexpr juce::uint8 systemFunction = 0x61;
constexpr juce::uint8 systemMemoryFunction = 0x51;
constexpr juce::uint8 fpgaStartFunction = 0x6A;
constexpr juce::uint8 microStartFunction = 0x6D;
constexpr juce::uint8 globalSettingsFunction = 0x74;
constexpr juce::uint8 footBackupFunction = 0x75;
constexpr juce::uint8 patchPlusCabFunction = 0x46;
constexpr int utilityModel = 255;

bool isOneOf (int value, std::initializer_list<int> values)
{
    for (auto v : values)
        if (v == value)
            return true;

    return false;
}

const juce::uint8* bytesOf (const juce::MemoryBlock& data)
{
    return static_cast<const juce::uint8*> (data.getData());
}

int sizeOf (const juce::MemoryBlock& data)
{
    return (int) juce::jmin ((size_t) std::numeric_limits<int>::max(), data.getSize());
}

/** True when the data is whole messages and nothing else, and takes each of them. */
template <typename Take>
bool forEachWholeMessage (const juce::MemoryBlock& data, Take&& take)
{
    const auto* bytes = bytesOf (data);
    const auto size = data.getSize();

    if (size == 0)
        return false;

    for (size_t offset = 0; offset < size;)
    {
        const auto length = wholeSysExMessageLength (bytes + offset, size - offset);

        if (length == 0 || ! take (bytes + offset, length))
            return false;

        offset += length;
    }

    return true;
}

/** True when the data starts with one message's worth of the maker's SysEx. */
bool hasMakersHeader (const juce::MemoryBlock& data)
{
    return sizeOf (data) >= sysExFrameOverhead && isZandrelSysEx (bytesOf (data), sizeOf (data));
}
} // namespace

juce::String SysExFileCheck::tooLargeText()
{
    return "The selected file is too large to be a valid file for this device.\n\nPlease choose a different file.";
}

juce::String SysExFileCheck::cutShortText()
{
    return "The selected file is cut short or damaged: one of its messages is incomplete, so it cannot be sent."
           "\n\nPlease choose a different file.";
}

juce::String SysExFileCheck::damagedCabText (int deviceModel)
{
    bool known = false;
    return "The selected cab file cannot be sent to the " + modelNameForReport (deviceModel, known)
           + ": one of its cabs is damaged (its data does not match the size or checksum that the cab announces)."
             "\n\nPlease choose a different file.";
}

//==============================================================================
juce::uint32 SysExFileCheck::countHeaders (const juce::MemoryBlock& data, juce::uint8 model, juce::uint8 functionId)
{
    const std::uint8_t pattern[6] = { 0xF0, 0x00, 0x01, 0x74, model, functionId };
    const auto* bytes = bytesOf (data);
    const int size = sizeOf (data);
    juce::uint32 count = 0;

    for (int offset = 0; offset < size;)
    {
        const int found = SysExHeaderSearch::findSysExHeader (bytes + offset, size - offset, pattern);

        if (found < 0)
            break;

        ++count;
        offset += found + 6;
    }

    return count;
}

PayloadKind SysExFileCheck::classify (const juce::MemoryBlock& data, int deviceModel, Counts& counts)
{
    using namespace PayloadKinds;

    if (deviceModel == utilityModel)
        return utility;

    if (data.getSize() < 6)
        return notSendable;

    const auto m = bytesOf (data)[4];
    const auto f = bytesOf (data)[5];

    switch (f)
    {
        case systemMemoryFunction:   return m == 16 ? orvixIIISystemMemory : notSendable;
        case fpgaStartFunction:      return fpgaImage;
        case microStartFunction:     return m >= 16 ? orvixIIIUsbFirmware : notSendable;
        case globalSettingsFunction: return m >= 16 ? orvixIIIGlobalSettings : notSendable;
        case footBackupFunction:     return qmr303Backup;
        case patchStartFunction:     return classifyPresetDump (data, m, counts);
        case cabIRStartFunction:     return classifyCabDump (data, m, counts);

        case systemFunction:
            if (m == 6 || m == 7)  return orvixIIXLSystem;
            if (m == 16)           return orvixIIISystem;
            if (m == 5 || m == 10) return lm6System;
            if (m == 8)            return kt4System;
            return notSendable;

        case firmwareFunction:
            if (isOneOf (m, { 3, 6, 7 })) return orvixIIFirmware;
            if (m == 2 || m == 4)         return qmr303Firmware;
            if (m == 5 || m == 10)        return lm6Firmware;
            if (m == 8)                   return kt4Firmware;
            if (m == 16)                  return orvixIIIFirmware;
            return notSendable;

        default:
            return notSendable;
    }
}

PayloadKind SysExFileCheck::classifyPresetDump (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts)
{
    const std::uint8_t pattern[6] = { 0xF0, 0x00, 0x01, 0x74, model, patchStartFunction };

    if (data.getSize() <= 6 || SysExHeaderSearch::findSysExHeader (bytesOf (data) + 6, sizeOf (data) - 6, pattern) < 0)
        return PayloadKinds::preset;

    if (model == 8 || model == 16)
        return classifyPresetBank (data, model, counts);

    const int bankByte = sizeOf (data) > 6 ? bytesOf (data)[6] : -1;

    if (isOneOf (bankByte, { 0, 1, 2, 4, 5, 127 }))
        return classifyPresetBank (data, model, counts);

    if (bankByte == 3)
    {
        if (model == 3)
            return PayloadKinds::orvixIISystem;

        if (model == 6 || model == 7)
            return classifyPresetBank (data, model, counts);
    }

    return PayloadKinds::notSendable;
}

PayloadKind SysExFileCheck::classifyPresetBank (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts)
{
    using namespace PayloadKinds;

    counts.presetMessageCount = 0;
    const auto count = countHeaders (data, model, patchStartFunction);
    counts.presetMessageCount = count;

    if (isOneOf (model, { 3, 6, 7 }))
        return count > 128 ? orvixIIAllBanks : orvixIIBank;

    if (model == 5 || model == 10)
        return count == 8 ? lm6Bank : lm6AllBanks;

    if (model == 8)
    {
        if (count == 8)   return kt4Bank;
        if (count == 136) return kt4FactorySet;
        if (count > 128)  return kt4AllBanks;
        return notSendable;
    }

    if (model == 16)
        return count < 129 ? orvixIIIBank : orvixIIIAllBanks;

    return notSendable;
}

PayloadKind SysExFileCheck::classifyCabDump (const juce::MemoryBlock& data, juce::uint8 model, Counts& counts)
{
    using namespace PayloadKinds;

    counts.cabMessageCount = 0;
    const auto count = countHeaders (data, model, cabIRStartFunction);
    counts.cabMessageCount = count;

    if (count == 1)
        return isOneOf (model, { 3, 6, 7, 8, 16 }) ? cabIR : notSendable;

    if (count >= 2 && count <= 128)
        return isOneOf (model, { 6, 7, 8, 16 }) ? cabBank : notSendable;

    if (count > 129)
    {
        counts.presetMessageCount = count;

        if (model == 8)  return kt4AllCabBanks;
        if (model == 16) return cabBank;
    }

    return notSendable;
}

bool SysExFileCheck::allCabsReadable (const juce::MemoryBlock& data, juce::uint8 model)
{
    juce::OwnedArray<juce::MemoryBlock> cabs;
    splitSysExByHeader (data, cabIRStartFunction, model, cabs);

    if (cabs.isEmpty())
        return false;

    for (const auto* cab : cabs)
    {
        CabIRWords words;

        if (! parseCabIR (*cab, words))
            return false;
    }

    return true;
}

bool SysExFileCheck::cabIRHasMarkerA0 (const juce::MemoryBlock& data)
{
    CabIRWords words {};
    return parseCabIR (data, words) && ((words[7] >> 24) & 0xFF) == 0xA0;
}

//==============================================================================
bool SysExFileCheck::isWholeMessages (const juce::MemoryBlock& data)
{
    return forEachWholeMessage (data, [] (const juce::uint8*, size_t) { return true; });
}

bool SysExFileCheck::isWholeMessagesOfOneModel (const juce::MemoryBlock& data)
{
    if (! hasMakersHeader (data))
        return false;

    const auto model = bytesOf (data)[4];

    return forEachWholeMessage (data, [model] (const juce::uint8* message, size_t length)
    {
        // Header, function id, checksum and F7 at least.
        return length >= (size_t) sysExFrameOverhead && isZandrelSysEx (message, (int) length) && message[4] == model
               && hasValidSysExChecksum (message, (int) length);
    });
}

bool SysExFileCheck::checkSysExFile (const juce::MemoryBlock& data, int deviceModel, juce::uint32 firmwareMajor)
{
    // Nothing of a file is read before it is known to hold one whole message of the maker's, and
    // a file that is not whole messages of its model is never sent in part.
    if (! hasMakersHeader (data) || ! isWholeMessagesOfOneModel (data))
        return false;

    const auto m = bytesOf (data)[4];
    const auto f = bytesOf (data)[5];
    const auto bankByte = bytesOf (data)[6];
    juce::uint8 conversion = 0;

    // A USB firmware image only goes to a device of its own model: the device would never
    // answer the messages of another's.
    if (f == microStartFunction)
        return deviceModel >= 16 && m == deviceModel;

    if (f == fpgaStartFunction || f == patchPlusCabFunction)
        return false;

    // Every cab sent to a device is rebuilt from what it reads, its own model's too.
    if (f == cabIRStartFunction && deviceModel != utilityModel && ! allCabsReadable (data, m))
        return false;

    if (m == deviceModel)
        return true;

    if (deviceModel == utilityModel && isOneOf (m, { 3, 6, 7 }))
        return f == firmwareFunction;

    if (f == cabIRStartFunction)
    {
        Counts counts;

        if (classify (data, deviceModel, counts) == PayloadKinds::cabBank && deviceModel == 3)
            return false;

        if (! cabModelsCompatible ((juce::uint8) deviceModel, m, conversion))
            return false;

        return ! (deviceModel == 3 && firmwareMajor < 13 && cabIRHasMarkerA0 (data));
    }

    if (f == systemFunction)
        return systemModelsCompatible ((juce::uint8) deviceModel, m, conversion);

    if (f == patchStartFunction && ((m == 3 && bankByte == 3) || ((m == 6 || m == 7) && bankByte == 6)))
        return false;

    if (f == firmwareFunction)
        return false;

    return presetModelsCompatible ((juce::uint8) deviceModel, m, conversion);
}

bool SysExFileCheck::checkUtilityFile (const juce::MemoryBlock& data)
{
    if (! hasMakersHeader (data) || ! isWholeMessages (data))
        return false;

    return bytesOf (data)[5] != patchPlusCabFunction && bytesOf (data)[4] >= 2;
}

bool SysExFileCheck::accepts (const juce::MemoryBlock& data, int deviceModel, juce::uint32 firmwareMajor)
{
    return deviceModel == utilityModel ? checkUtilityFile (data) : checkSysExFile (data, deviceModel, firmwareMajor);
}

juce::String SysExFileCheck::modelNameForReport (int model, bool& known)
{
    known = false;

    if (model == utilityModel)
        return "Utility";

    if (isOneOf (model, { 2, 3, 4, 5, 6, 7, 8, 10, 16 }))
    {
        const auto name = lookupNameById (ModelNames, (juce::uint32) model);

        if (name.isNotEmpty())
        {
            known = true;
            return name;
        }
    }

    return "Other";
}

juce::String SysExFileCheck::refusalText (const juce::MemoryBlock& data, int deviceModel)
{
    bool deviceKnown = false;
    const auto deviceName = modelNameForReport (deviceModel, deviceKnown);
    const auto generic = "The selection does not appear to be a valid file for the " + deviceName
                         + ".\n\nPlease choose a different file.";

    // A file that is not one whole message of the maker's gets the generic text: its bytes 4 and
    // 5 are not read.
    if (! hasMakersHeader (data))
        return generic;

    if (bytesOf (data)[5] == patchPlusCabFunction)
        return "The selected file is not supported by Morvane. Please use Orvix-Edit to transfer this file.";

    if (deviceModel == utilityModel ? ! isWholeMessages (data) : ! isWholeMessagesOfOneModel (data))
        return cutShortText();

    const auto m = bytesOf (data)[4];
    juce::uint8 conversion = 0;

    if (deviceModel != utilityModel && bytesOf (data)[5] == cabIRStartFunction
        && cabModelsCompatible ((juce::uint8) deviceModel, m, conversion) && ! allCabsReadable (data, m))
        return damagedCabText (deviceModel);

    bool fileKnown = false;
    const auto fileName = modelNameForReport (m, fileKnown);

    if (fileKnown && deviceKnown)
        return "The selected file is for a " + fileName + " and is not valid for the " + deviceName
               + ".\n\nPlease choose a different file.";

    return generic;
}
