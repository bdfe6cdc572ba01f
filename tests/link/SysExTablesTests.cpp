#include "SysExFieldLayout.h"
#include "SysExTables.h"

#include <gtest/gtest.h>

namespace
{
int rowCount (const SysExNameRow* table)
{
    int count = 0;

    while (table[count].id != sysExTableEnd)
        ++count;

    return count;
}
} // namespace

TEST (SysExTables, HoldTheProtocolsRowsAndEndWithTheEndRow)
{
    EXPECT_EQ (rowCount (SysExFunctionNames), 97);
    EXPECT_EQ (rowCount (DeviceResultCodes), 28);
    EXPECT_EQ (rowCount (ModelNames), 11);
}

TEST (SysExTables, LookupFindsNamesByIdWhereverTheRowSits)
{
    EXPECT_EQ (lookupNameById (SysExFunctionNames, 0x00), "SYSEX_WHO_AM_I");
    EXPECT_EQ (lookupNameById (SysExFunctionNames, 0x64), "SYSEX_STATUS_MSG");
    EXPECT_EQ (lookupNameById (SysExFunctionNames, 0x67), "SYSEX_RAWIR_START");
    EXPECT_EQ (lookupNameById (SysExFunctionNames, 0x63), "SYSEX_SYSTEM_DATA_END");
    EXPECT_EQ (lookupNameById (DeviceResultCodes, 1), "MIDI_ERROR_BAD_CHKSUM");
    EXPECT_EQ (lookupNameById (DeviceResultCodes, 25), "MIDI_ERROR_FIRMWARE_ALREADY_CURRENT");
    EXPECT_EQ (lookupNameById (DeviceResultCodes, 28), "MIDI_ERROR_FLASH_WRITE_FAILED");
    EXPECT_EQ (lookupNameById (ModelNames, 10), "LM6 MK II");
    EXPECT_EQ (lookupNameById (ModelNames, 7), "Orvix II XL+");
    EXPECT_EQ (lookupNameById (ModelNames, 16), "Orvix III");
}

TEST (SysExTables, LookupOfAnIdWithoutARowIsEmpty)
{
    EXPECT_TRUE (lookupNameById (SysExFunctionNames, 0x3D).isEmpty());
    EXPECT_TRUE (lookupNameById (SysExFunctionNames, 0x51).isEmpty());
    EXPECT_TRUE (lookupNameById (SysExFunctionNames, sysExTableEnd).isEmpty());
    EXPECT_TRUE (lookupNameById (DeviceResultCodes, 0).isEmpty());
    EXPECT_TRUE (lookupNameById (DeviceResultCodes, 29).isEmpty());
    EXPECT_TRUE (lookupNameById (ModelNames, 9).isEmpty());
    EXPECT_TRUE (lookupNameById (ModelNames, 255).isEmpty());
    EXPECT_TRUE (lookupNameById (nullptr, 3).isEmpty());
}

TEST (SysExFieldLayout, LookupsGiveMinusOneForNullEmptyOrMissingRows)
{
    const SysExField empty[] = { { -1, -1, -1 } };

    EXPECT_EQ (fieldOffset (nullptr, 0), -1);
    EXPECT_EQ (fieldLength (nullptr, 0), -1);
    EXPECT_EQ (layoutSize (nullptr), 0);
    EXPECT_EQ (fieldOffset (empty, 0), -1);
    EXPECT_EQ (fieldLength (empty, 0), -1);
    EXPECT_EQ (layoutSize (empty), 0);
    EXPECT_EQ (fieldOffset (SysExFieldLayout::statusReply, 2), -1);
    EXPECT_EQ (fieldLength (SysExFieldLayout::statusReply, -1), -1);
}

TEST (SysExFieldLayout, FindsTheFirstRowWithTheId)
{
    const SysExField twice[] = { { 1, 6, 2 }, { 1, 9, 4 }, { -1, -1, -1 } };
    EXPECT_EQ (fieldOffset (twice, 1), 6);
    EXPECT_EQ (fieldLength (twice, 1), 2);
    EXPECT_EQ (layoutSize (twice), 6);

    EXPECT_EQ (fieldOffset (SysExFieldLayout::getConfigReply, 1), 8);
    EXPECT_EQ (fieldLength (SysExFieldLayout::getConfigReply, 1), 3);
    EXPECT_EQ (fieldOffset (SysExFieldLayout::sysInfoReply, 3), 12);
}

TEST (SysExFieldLayout, PayloadSizesOfTheDataMessages)
{
    EXPECT_EQ (layoutSize (SysExFieldLayout::patchData), 194);
    EXPECT_EQ (layoutSize (SysExFieldLayout::patchData16), 3074);
    EXPECT_EQ (layoutSize (SysExFieldLayout::cabIRData), 162);
    EXPECT_EQ (layoutSize (SysExFieldLayout::cabIRData16), 1282);
    EXPECT_EQ (layoutSize (SysExFieldLayout::cabIREnd), 5);
    EXPECT_EQ (layoutSize (SysExFieldLayout::versionReply), 6);
}

TEST (SysExFieldLayout, ModelSelectorsPickTheGenerationsLayouts)
{
    using namespace SysExFieldLayout;

    for (juce::uint8 model : { 6, 7, 8 })
    {
        EXPECT_EQ (forCabDumpRequest (model), cabDumpRequestXL);
        EXPECT_EQ (forCabIRStart (model), cabIRStartXL);
    }

    for (juce::uint8 model : { 2, 3, 4, 5, 10 })
    {
        EXPECT_EQ (forCabDumpRequest (model), cabDumpRequest);
        EXPECT_EQ (forCabIRStart (model), cabIRStart);
        EXPECT_EQ (forPatchData (model), patchData);
        EXPECT_EQ (forEffectStart (model), effectStart);
    }

    EXPECT_EQ (forCabDumpRequest (16), cabDumpRequest16);
    EXPECT_EQ (forCabIRStart (16), cabIRStart16);
    EXPECT_EQ (forPatchDumpRequest (16), patchDumpRequest16);
    EXPECT_EQ (forPatchStart (16), patchStart16);
    EXPECT_EQ (forPatchData (16), patchData16);
    EXPECT_EQ (forCabIRData (16), cabIRData16);
    EXPECT_EQ (forEffectStart (16), effectStart16);
}
