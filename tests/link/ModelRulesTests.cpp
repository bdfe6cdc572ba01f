#include "DumpBuilders.h"
#include "ModelRules.h"
#include "ModelValues.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

#include <vector>

using namespace morvane::test;

namespace
{
FirmwareVersionRecord firmware (juce::uint8 model, juce::uint32 major, juce::uint32 minor = 0)
{
    FirmwareVersionRecord record;
    record.model = model;
    record.major = major;
    record.minor = minor;
    record.version = major + minor / 100.0;
    return record;
}

// The answer of a rule as text: "-" refused, "=" accepted as it is, "c" accepted after conversion.
std::string rule (bool (*check) (juce::uint8, juce::uint8, juce::uint8&), juce::uint8 device, juce::uint8 file)
{
    juce::uint8 needsConversion = 0x55;
    const bool accepted = check (device, file, needsConversion);
    EXPECT_TRUE (needsConversion == 0 || needsConversion == 1);

    if (! accepted)
        return "-";

    return needsConversion != 0 ? "c" : "=";
}

// One row per device model: the answer for each file model of the columns.
const std::vector<juce::uint8> columns { 3, 6, 7, 5, 10, 8, 16, 2 };

std::string row (bool (*check) (juce::uint8, juce::uint8, juce::uint8&), juce::uint8 device)
{
    std::string answers;

    for (auto file : columns)
        answers += rule (check, device, file);

    return answers;
}

juce::MemoryBlock patchStart (juce::uint8 model)
{
    Bytes payload;
    appendPacked (payload, 0, 1);
    appendPacked (payload, 5, 1);
    appendPacked (payload, 2048, model >= 16 ? 3 : 2);
    return makeSysExMessage (model, 0x77, payload);
}

const juce::uint8* bytesOf (const juce::MemoryBlock& block)
{
    return static_cast<const juce::uint8*> (block.getData());
}

// Compares as byte vectors: JUCE's own comparison hands null data to memcmp for empty blocks.
Bytes vectorOf (const juce::MemoryBlock& block)
{
    return Bytes (bytesOf (block), bytesOf (block) + block.getSize());
}
} // namespace

//==============================================================================
TEST (ModelRulesCompatibility, PresetFiles)
{
    //                                    files: 3  6  7  5  10 8  16 2
    EXPECT_EQ (row (presetModelsCompatible, 3),  "=-------");
    EXPECT_EQ (row (presetModelsCompatible, 6),  "c=c-----");
    EXPECT_EQ (row (presetModelsCompatible, 7),  "cc=-----");
    EXPECT_EQ (row (presetModelsCompatible, 5),  "---=c---");
    EXPECT_EQ (row (presetModelsCompatible, 10), "---c=---");
    EXPECT_EQ (row (presetModelsCompatible, 8),  "-----=--");
    EXPECT_EQ (row (presetModelsCompatible, 16), "------=-");
    EXPECT_EQ (row (presetModelsCompatible, 2),  "-------=");
}

TEST (ModelRulesCompatibility, CabFiles)
{
    EXPECT_EQ (row (cabModelsCompatible, 3),  "=cc--cc-");
    EXPECT_EQ (row (cabModelsCompatible, 6),  "c=c--cc-");
    EXPECT_EQ (row (cabModelsCompatible, 7),  "cc=--cc-");
    EXPECT_EQ (row (cabModelsCompatible, 8),  "ccc--=c-");
    EXPECT_EQ (row (cabModelsCompatible, 16), "ccc--c=-");
    EXPECT_EQ (row (cabModelsCompatible, 5),  "---=----");
    EXPECT_EQ (row (cabModelsCompatible, 10), "----=---");
    EXPECT_EQ (row (cabModelsCompatible, 2),  "-------=");
}

TEST (ModelRulesCompatibility, SystemFiles)
{
    EXPECT_EQ (row (systemModelsCompatible, 3),  "=-------");
    EXPECT_EQ (row (systemModelsCompatible, 6),  "-=c-----");
    EXPECT_EQ (row (systemModelsCompatible, 7),  "-c=-----");
    EXPECT_EQ (row (systemModelsCompatible, 5),  "---=----");
    EXPECT_EQ (row (systemModelsCompatible, 8),  "-----=--");
    EXPECT_EQ (row (systemModelsCompatible, 16), "------=-");
}

//==============================================================================
TEST (ModelRulesFirmwareVersion, FormatsEachFamily)
{
    auto format = [] (const FirmwareVersionRecord& record)
    {
        juce::String modelName, text;
        EXPECT_TRUE (formatFirmwareVersion (record, modelName, text));
        return (modelName + " / " + text).toStdString();
    };

    // The minor counts hundredths: 21.05 must not come out as 1.00.
    EXPECT_EQ (format (firmware (6, 21, 5)), "Orvix II XL / Tessaril 1.05");
    EXPECT_EQ (format (firmware (3, 22, 40)), "Orvix II Original/MK II / Tessaril 2.40");
    EXPECT_EQ (format (firmware (7, 20, 99)), "Orvix II XL+ / 20.99");
    EXPECT_EQ (format (firmware (16, 0x41, 3)), "Orvix III / 1.03 - beta");
    EXPECT_EQ (format (firmware (16, 2, 17)), "Orvix III / 2.17");
    EXPECT_EQ (format (firmware (8, 3, 5)), "KT4 / 3.05");
}

TEST (ModelRulesFirmwareVersion, FormatsWhatTheDeviceReported)
{
    // A version reply of an Orvix II: major 10, minor 9.
    const auto reply = makeSysExMessage (3, 0x08, { 10, 9, 0, 0, 0, 0 });
    FirmwareVersionRecord record;
    ASSERT_TRUE (decodeVersionReply (juce::MidiMessage (reply.getData(), (int) reply.getSize()), &record));

    juce::String modelName, text;
    ASSERT_TRUE (formatFirmwareVersion (record, modelName, text));
    EXPECT_EQ (text, "10.09");
}

TEST (ModelRulesFirmwareVersion, AModelWithoutNameLeavesTheTexts)
{
    juce::String modelName ("old name"), text ("old text");
    EXPECT_FALSE (formatFirmwareVersion (firmware (9, 21, 5), modelName, text));
    EXPECT_EQ (modelName, "old name");
    EXPECT_EQ (text, "old text");
}

//==============================================================================
TEST (ModelRulesUserCabs, CountsByModelFirmwareAndSystemInformation)
{
    SystemInfoRecord info;
    info.fields[2] = 1000;

    struct Case
    {
        juce::uint8 model;
        juce::uint32 major;
        bool withInfo;
        int count;
    };

    const Case cases[] = {
        { 3, 19, true, 100 }, { 6, 19, true, 512 }, { 7, 1, false, 512 },
        { 3, 20, true, 1000 }, { 6, 20, false, 0 }, { 7, 25, true, 1000 },
        { 8, 1, true, 1000 }, { 8, 1, false, 512 },
        { 16, 1, true, 1000 }, { 16, 1, false, 0 },
        { 5, 1, true, 0 }, { 2, 30, true, 0 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (userCabCount (firmware (c.model, c.major), c.withInfo ? &info : nullptr), c.count)
            << "model " << (int) c.model << " major " << c.major << " info " << c.withInfo;
}

//==============================================================================
TEST (ModelRulesPresetNumber, RewritesNumberAndChecksumOfBothGenerations)
{
    for (juce::uint8 model : { 3, 16 })
    {
        SCOPED_TRACE ((int) model);
        const int checksumAt = model >= 16 ? 11 : 10;

        auto file = patchStart (model);
        file.append (makeSysExMessage (model, 0x78, { 1, 0, 1, 2, 3 }).getData(), 13);
        const juce::MemoryBlock rest (bytesOf (file) + checksumAt + 2, file.getSize() - (size_t) checksumAt - 2);

        ASSERT_TRUE (setPresetNumber (file, 300));
        EXPECT_EQ (bytesOf (file)[6], 2);
        EXPECT_EQ (bytesOf (file)[7], 44);
        EXPECT_EQ (bytesOf (file)[checksumAt], sysExChecksum (bytesOf (file), (size_t) checksumAt));
        EXPECT_EQ (bytesOf (file)[checksumAt + 1], 0xF7);
        EXPECT_EQ (vectorOf (juce::MemoryBlock (bytesOf (file) + checksumAt + 2, rest.getSize())), vectorOf (rest));
    }
}

TEST (ModelRulesPresetNumber, RefusesWhatIsNotAWholePatchStart)
{
    const auto good = patchStart (3);
    const auto goodNew = patchStart (16);

    const std::vector<std::pair<const char*, juce::MemoryBlock>> cases {
        { "empty", {} },
        { "one byte", juce::MemoryBlock ("\xF0", 1) },
        { "header only", juce::MemoryBlock (good.getData(), 6) },
        { "cut before its checksum", juce::MemoryBlock (good.getData(), 11) },
        { "an Orvix III start cut short", juce::MemoryBlock (goodNew.getData(), 12) },
        { "another function", makeSysExMessage (3, 0x7A, { 1, 0, 16, 0, 0, 0 }) },
        { "another maker", [] { auto b = patchStart (3); static_cast<juce::uint8*> (b.getData())[3] = 0x75; return b; }() },
    };

    for (const auto& [what, original] : cases)
    {
        SCOPED_TRACE (what);
        auto block = original;
        EXPECT_FALSE (setPresetNumber (block, 5));
        EXPECT_EQ (vectorOf (block), vectorOf (original));
    }

    for (int number : { -1, 16384 })
    {
        auto block = good;
        EXPECT_FALSE (setPresetNumber (block, number));
        EXPECT_EQ (vectorOf (block), vectorOf (good));
    }

    auto block = good;
    EXPECT_TRUE (setPresetNumber (block, 16383));
    EXPECT_EQ (bytesOf (block)[6], 127);
    EXPECT_EQ (bytesOf (block)[7], 127);
}

//==============================================================================
TEST (ModelRulesGridRequest, AsksForTheGridWithTwoZeroBytes)
{
    SysExRequest request;
    ASSERT_TRUE (buildGetGridRequest (&request, 16));

    const auto expected = makeSysExMessage (16, 0x20, { 0, 0 });
    const auto& message = request.getMessage();
    EXPECT_EQ (vectorOf (juce::MemoryBlock (message.getRawData(), (size_t) message.getRawDataSize())), vectorOf (expected));
    EXPECT_EQ (request.getExpectedReplies(), 3);

    EXPECT_FALSE (buildGetGridRequest (nullptr, 16));
}

TEST (ModelRulesReplySize, PresetDumpLengthsMatchTheDumpsOfEachModel)
{
    for (juce::uint8 model : { 3, 5, 10, 6, 7, 8, 16 })
        EXPECT_EQ (replySizeForModel (model), presetMessageCount (model)) << (int) model;

    EXPECT_EQ (replySizeForModel (2), -1);
}
