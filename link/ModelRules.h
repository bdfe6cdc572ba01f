#pragma once

#include "SysExDecoders.h"

#include <juce_core/juce_core.h>

class SysExRequest;

/*  How the device models differ: which files a device accepts, the firmware version text, the
    user cab count, the preset number of a one-preset file and the foot controller request of an
    Orvix III backup. Model codes are ModelId values (message byte 4).
*/

/** Whether a device of deviceModel accepts a preset file of fileModel. needsConversion is set
    when the file must be converted first, and cleared otherwise.
*/
bool presetModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept;

/** Whether a device of deviceModel accepts a cab file of fileModel (see presetModelsCompatible). */
bool cabModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept;

/** Whether a device of deviceModel accepts a system file of fileModel (see presetModelsCompatible). */
bool systemModelsCompatible (juce::uint8 deviceModel, juce::uint8 fileModel, juce::uint8& needsConversion) noexcept;

/** The firmware version text shown to the user, and the model's display name.
    Orvix II family from major 21 on: "Tessaril 1.05" style; Orvix III: "1.03", with " - beta" when
    bit 0x40 of major is set; otherwise the record's version with two decimals.
    Returns false, leaving both texts as they were, when the record's model has no name.
*/
bool formatFirmwareVersion (const FirmwareVersionRecord& version, juce::String& modelName, juce::String& text);

/** The number of user cab slots of the device that reported version (and systemInfo, which may
    be null when the device has not answered the system information query).
*/
juce::uint16 userCabCount (const FirmwareVersionRecord& version, const SystemInfoRecord* systemInfo) noexcept;

/** Rewrites the preset number in the PATCH_START message at the start of a one-preset file:
    byte 6 = number / 128, byte 7 = number % 128, then a fresh checksum over the first 10 bytes
    (11 from model 16) and F7.
    Returns false and leaves the block as it was when it does not start with a PATCH_START header
    of the maker's, is shorter than that message, or the number lies outside 0 to 16383.
*/
bool setPresetNumber (juce::MemoryBlock& message, juce::int32 number);

/** Makes the request's message F0 00 01 74 model 20 00 00 checksum F7 (SYSEX_GET_GRID) expecting
    3 replies, which the reply matching replaces from the first reply. False for a null request.
*/
bool buildGetGridRequest (SysExRequest* request, juce::uint8 model);
