#pragma once

#include <juce_core/juce_core.h>

/*  The plain records that the backup selection dialogs fill and the console reads after OK.

    Every flag is 0 or 1 and every number a signed 32-bit value; before a dialog fills a record,
    every flag is 0 and every number -1 (none). Records are copied by value.
*/

/** What a KT4 backup is to contain (KT4BackupDialog). */
struct KT4BackupSelection
{
    juce::uint8 allPresetBanks = 0;
    juce::uint8 allUserCabBanks = 0;
    juce::uint8 system = 0;
    juce::uint8 bankSets[4] = { 0, 0, 0, 0 };
    juce::uint8 onePresetBank = 0;
    juce::int32 presetBank = -1;     ///< 0-63
    juce::uint8 onePreset = 0;
    juce::int32 preset = -1;         ///< 0-511, bank x 8 + preset
    juce::uint8 oneUserCabBank = 0;
    juce::int32 userCabBank = -1;    ///< zero-based
    juce::uint8 oneUserCab = 0;
    juce::int32 userCab = -1;        ///< zero-based
    juce::uint8 currentPreset = 0;
    juce::uint8 currentUserCab = 0;
};

/** What an LM6 backup is to contain (LM6BackupDialog). */
struct LM6BackupSelection
{
    juce::uint8 allPresetBanks = 0;
    juce::uint8 system = 0;
    juce::uint8 onePresetBank = 0;
    juce::int32 presetBank = -1;     ///< 0-15 (A-P)
    juce::uint8 onePreset = 0;
    juce::int32 preset = -1;         ///< 0-127 (A1-P8)
    juce::uint8 currentPreset = 0;
};

/** What an Orvix II, II XL or II XL+ backup is to contain (OrvixIIBackupDialog and
    OrvixIIXLBackupDialog).
*/
struct OrvixIIBackupSelection
{
    juce::uint8 editBuffer = 0;
    juce::uint8 stripGlobals = 0;
    juce::uint8 banks[6] = { 0, 0, 0, 0, 0, 0 };
    juce::uint8 system = 0;
    juce::uint8 allUserCabs = 0;
    juce::uint8 cabBanks[8] = { 0, 0, 0, 0, 0, 0, 0, 0 };
    juce::uint8 onePreset = 0;
    juce::int32 preset = -1;         ///< as displayed, with the display offset
    juce::uint8 oneUserCab = 0;
    juce::int32 userCab = -1;        ///< 1-based
};

/** What an Orvix III backup is to contain (OrvixIIIBackupDialog). */
struct OrvixIIIBackupSelection
{
    juce::uint8 banks[4] = { 0, 0, 0, 0 };
    juce::uint8 currentPreset = 0;
    juce::uint8 system = 0;
    juce::uint8 global = 0;
    juce::uint8 footswitch = 0;
    juce::uint8 cabBanks[2] = { 0, 0 };
    juce::uint8 onePreset = 0;
    juce::int32 preset = -1;
    juce::uint8 oneUserCab = 0;
    juce::int32 userCab = -1;        ///< (user cab bank item id << 10) + slot
};
