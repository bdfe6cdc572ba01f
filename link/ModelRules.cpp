#include "ModelRules.h"

#include "SysExFieldLayout.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "SysExTables.h"

#include <initializer_list>

namespace
{
enum class Acceptance
{
    refused,
    sameModel,
    converted
};

bool isOneOf (juce::uint8 model, std::initializer_list<int> models) noexcept
{
    for (auto m : models)
        if (model == m)
            return true;

    return false;
}

bool answer (Acceptance acceptance, juce::uint8& needsConversion) noexcept
{
    needsConversion = acceptance == Acceptance::converted ? 1 : 0;
    return acceptance != Acceptance::refused;
}

Acceptance presetAcceptance (juce::uint8 device, juce::uint8 file) noexcept
{
    if (device == file)
        return Acceptance::sameModel;

    switch (device)
    {
        case 6:  return isOneOf (file, { 3, 7 }) ? Acceptance::converted : Acceptance::refused;
        case 7:  return isOneOf (file, { 3, 6 }) ? Acceptance::converted : Acceptance::refused;
        case 5:  return file == 10 ? Acceptance::converted : Acceptance::refused;
        case 10: return file == 5 ? Acceptance::converted : Acceptance::refused;
        default: return Acceptance::refused;
    }
}

Acceptance cabAcceptance (juce::uint8 device, juce::uint8 file) noexcept
{
    if (device == file)
        return Acceptance::sameModel;

    // Cabs travel between the Orvix II family, the KT4 and the Orvix III.
    if (isOneOf (device, { 3, 6, 7, 8, 16 }) && isOneOf (file, { 3, 6, 7, 8, 16 }))
        return Acceptance::converted;

    return Acceptance::refused;
}

Acceptance systemAcceptance (juce::uint8 device, juce::uint8 file) noexcept
{
    if (device == file)
        return Acceptance::sameModel;

    if ((device == 6 && file == 7) || (device == 7 && file == 6))
        return Acceptance::converted;

    return Acceptance::refused;
}

constexpr juce::uint8 patchStartFunction = 0x77;
constexpr juce::uint8 getGridFunction = 0x20;
} // namespace

//==============================================================================
bool presetModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept
{
    return answer (presetAcceptance (deviceModel, fileModel), needsConversion);
}

bool cabModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept
{
    return answer (cabAcceptance (deviceModel, fileModel), needsConversion);
}

bool systemModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept
{
    return answer (systemAcceptance (deviceModel, fileModel), needsConversion);
}

//==============================================================================
bool formatFirmwareVersion (const FirmwareVersionRecord& version, juce::String& modelName, juce::String& text)
{
    const auto name = lookupNameById (ModelNames, version.model);

    if (name.isEmpty())
        return false;

    modelName = name;

    if (isOneOf (version.model, { 3, 6, 7 }) && version.major >= 21)
    {
        // The minor counts hundredths: divide it as a fraction, never as an integer.
        const double release = (double) (version.major - 20) + (double) version.minor / 100.0;
        text = "Tessaril" + juce::String::formatted (" %.2f", release);
    }
    else if (version.model == 16)
    {
        const bool beta = (version.major & 0x40u) != 0;
        text = juce::String::formatted ("%d.%02d", (int) (version.major & ~0x40u), (int) version.minor);

        if (beta)
            text += " - beta";
    }
    else
    {
        text = juce::String::formatted ("%.2f", version.version);
    }

    return true;
}

juce::uint16 userCabCount (const FirmwareVersionRecord& version, const SystemInfoRecord* systemInfo) noexcept
{
    const auto model = version.model;

    if (isOneOf (model, { 3, 6, 7 }) && version.major < 20)
        return model == 3 ? 100 : 512;

    if (isOneOf (model, { 3, 6, 7, 16 }))
        return systemInfo != nullptr ? systemInfo->fields[2] : 0;

    if (model == 8)
        return systemInfo != nullptr ? systemInfo->fields[2] : 512;

    return 0;
}

//==============================================================================
bool setPresetNumber (juce::MemoryBlock& message, juce::int32 number)
{
    const auto* bytes = static_cast<const juce::uint8*> (message.getData());
    const auto size = (int) message.getSize();

    if (! isZandrelSysEx (bytes, size) || bytes[5] != patchStartFunction)
        return false;

    // PATCH_START holds two number bytes and the word count (two bytes, three from model 16),
    // so its checksum sits at byte 10 or 11.
    const int checksumAt = SysExFieldLayout::isNewGeneration (bytes[4]) ? 11 : 10;

    if (size < checksumAt + 2 || number < 0 || number > 0x3FFF)
        return false;

    auto* writable = static_cast<juce::uint8*> (message.getData());
    writable[6] = (juce::uint8) (number / 128);
    writable[7] = (juce::uint8) (number % 128);
    appendSysExChecksum (message, checksumAt);
    return true;
}

bool buildGetGridRequest (SysExRequest* request, juce::uint8 model)
{
    if (request == nullptr)
        return false;

    const juce::uint8 payload[2] = { 0, 0 };
    juce::MidiMessage message;
    buildSysExMessage (message, getGridFunction, payload, 2, model);
    request->setMessage (message);
    request->setExpectedReplies (3);
    return true;
}
