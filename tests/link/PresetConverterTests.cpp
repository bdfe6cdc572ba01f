#include "DumpBuilders.h"
#include "PresetConverter.h"
#include "SysExMessage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace morvane::test;

namespace
{
using Words = std::vector<juce::uint16>;

Words wordsOf (const juce::MemoryBlock& block)
{
    Words words;
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());

    for (size_t i = 0; i + 1 < block.getSize(); i += 2)
        words.push_back ((juce::uint16) (bytes[i] | (bytes[i + 1] << 8)));

    return words;
}

juce::MemoryBlock join (std::initializer_list<juce::MemoryBlock> parts)
{
    juce::MemoryBlock block;

    for (const auto& part : parts)
        block.append (part.getData(), part.getSize());

    return block;
}

juce::MemoryBlock message (juce::uint8 model, juce::uint8 function, std::initializer_list<juce::uint32> fields,
                           std::initializer_list<int> widths)
{
    Bytes payload;
    auto width = widths.begin();

    for (auto field : fields)
        appendPacked (payload, field, *width++);

    return makeSysExMessage (model, function, payload);
}

// The XL words that an Orvix II preset with an unpacked part of these values must convert to,
// worked out from the layouts alone.
Words expectedXLWords (const Words& orvixII, const std::vector<juce::uint8>& values)
{
    Words xl (4096, 0);

    for (size_t i = 0; i < 34; ++i)
        xl[i] = orvixII[i];

    for (size_t i = 0; i < values.size() / 2; ++i)
        xl[34 + i] = (juce::uint16) (values[2 * i] | (values[2 * i + 1] << 8));

    for (size_t i = 0; i < 1024; ++i)
        xl[2048 + i] = orvixII[1024 + i];

    return xl;
}

std::string presetName (juce::uint8 model, const Words& words)
{
    PresetConverter converter;
    EXPECT_TRUE (converter.loadPatchDump (makePresetDump (model, words, 0), model));
    juce::String name;
    converter.getPresetName (name);
    return name.toStdString();
}

struct FailureCase
{
    const char* what;
    juce::MemoryBlock dump;
    PresetConverterStatus status;
    PresetConverterStage stage;
};
} // namespace

//==============================================================================
TEST (PresetConverterLoad, ReadsEveryPresetSizeWithItsNumberAndCount)
{
    for (juce::uint8 model : { 3, 6, 16 })
    {
        SCOPED_TRACE ((int) model);
        const auto words = makePresetWords (model, "Crunch", 11);
        const auto dump = makePresetDump (model, words, 300);
        ASSERT_EQ ((int) splitMessages (dump).size(), presetMessageCount (model));

        PresetConverter converter;
        ASSERT_TRUE (converter.loadPatchDump (dump, model));
        EXPECT_EQ (wordsOf (converter.getLoadedPreset()), words);
        EXPECT_EQ (converter.getPresetNumberHigh(), 2);
        EXPECT_EQ (converter.getPresetNumberLow(), 44);
        EXPECT_EQ (converter.getWordCount(), words.size());
        EXPECT_EQ ((int) converter.getDataMessageCount(), presetMessageCount (model) - 2);
        EXPECT_EQ (converter.getStatus(), PresetConverterStatus::none);
    }
}

TEST (PresetConverterLoad, AcceptsADumpWithoutEndAndSkipsBytesBeforeTheFirstHeader)
{
    const auto words = makePresetWords (3, "Edge", 5);
    auto messages = splitMessages (makePresetDump (3, words, 1));
    messages.pop_back();

    juce::MemoryBlock dump ("\x01\x02", 2);

    for (const auto& m : messages)
        dump.append (m.getData(), m.getSize());

    PresetConverter converter;
    EXPECT_TRUE (converter.loadPatchDump (dump, 3));
    EXPECT_EQ (wordsOf (converter.getLoadedPreset()), words);
}

TEST (PresetConverterLoad, ReportsWhyAndWhereADumpFails)
{
    const auto words = makePresetWords (3, "Fail", 9);
    const auto good = splitMessages (makePresetDump (3, words, 0));
    const auto& start = good.front();
    const auto& end = good.back();

    auto allData = [&good]
    {
        juce::MemoryBlock block;

        for (size_t i = 1; i + 1 < good.size(); ++i)
            block.append (good[i].getData(), good[i].getSize());

        return block;
    };

    auto badChecksum = good[3];
    static_cast<juce::uint8*> (badChecksum.getData())[badChecksum.getSize() - 2] ^= 0x01;

    std::vector<FailureCase> cases;
    cases.push_back ({ "empty dump", {}, PresetConverterStatus::emptyInput, PresetConverterStage::wholeDump });
    cases.push_back ({ "two starts", join ({ start, start, allData(), end }),
                       PresetConverterStatus::unexpectedMessage, PresetConverterStage::patchStart });
    cases.push_back ({ "two ends", join ({ start, allData(), end, end }),
                       PresetConverterStatus::unexpectedMessage, PresetConverterStage::patchEnd });
    cases.push_back ({ "wrong whole-preset XOR", join ({ start, allData(), message (3, 0x79, { (juce::uint32) (xorOfWords (words) ^ 1) }, { 3 }) }),
                       PresetConverterStatus::checksumMismatch, PresetConverterStage::checkOrConversion });
    cases.push_back ({ "fewer words than announced", join ({ message (3, 0x77, { 0, 0, 2049 }, { 1, 1, 2 }), allData(), end }),
                       PresetConverterStatus::wordCountMismatch, PresetConverterStage::checkOrConversion });
    cases.push_back ({ "a message with a bad checksum", join ({ start, good[1], good[2], badChecksum }),
                       PresetConverterStatus::checksumMismatch, PresetConverterStage::wholeDump });
    cases.push_back ({ "a cab message inside", join ({ start, good[1], message (3, 0x7A, { 1, 2048 }, { 1, 2 }) }),
                       PresetConverterStatus::unexpectedMessage, PresetConverterStage::wholeDump });
    cases.push_back ({ "only a start", start, PresetConverterStatus::wrongModel, PresetConverterStage::wholeDump });
    cases.push_back ({ "no header of the model", makePresetDump (6, makePresetWords (6, "XL", 1), 0),
                       PresetConverterStatus::wrongModel, PresetConverterStage::wholeDump });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        PresetConverter converter;
        EXPECT_FALSE (converter.loadPatchDump (c.dump, 3));
        EXPECT_EQ (converter.getStatus(), c.status);
        EXPECT_EQ (converter.getStage(), c.stage);
    }
}

TEST (PresetConverterLoad, ANewLoadForgetsThePreviousPreset)
{
    auto words = makePresetWords (3, "One", 1);
    words[1] = 0;

    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, words, 0), 3));
    ASSERT_TRUE (converter.convertToXL (false));

    EXPECT_FALSE (converter.loadPatchDump ({}, 3));
    EXPECT_TRUE (converter.getLoadedPreset().isEmpty());
    EXPECT_TRUE (converter.getConvertedPreset().isEmpty());

    juce::MemoryBlock out;
    EXPECT_FALSE (converter.writePatchDump (out));
    EXPECT_TRUE (out.isEmpty());
}

//==============================================================================
TEST (PresetConverterName, ReadsNamesOfBothGenerations)
{
    EXPECT_EQ (presetName (3, makePresetWords (3, "  Clean  ", 1)), "Clean");
    EXPECT_EQ (presetName (6, makePresetWords (6, "Lead Solo", 2)), "Lead Solo");
    EXPECT_EQ (presetName (16, makePresetWords (16, "Ambient Pad", 3)), "Ambient Pad");
    EXPECT_EQ (presetName (16, makePresetWords (16, "", 4)), "EMPTY");

    auto unnamed = makePresetWords (3, "", 5);
    EXPECT_EQ (presetName (3, unnamed), "EMPTY");

    for (size_t i = 2; i < 34; ++i)
        unnamed[i] = (juce::uint16) (i % 2 == 0 ? 0x1200 : 0x34FF);

    EXPECT_EQ (presetName (3, unnamed), "EMPTY");

    // Zero bytes add nothing; they do not end the name.
    auto gaps = makePresetWords (3, "AB", 6);
    gaps[3] = 0x7700;
    gaps[4] = 0x0043;
    EXPECT_EQ (presetName (3, gaps), "AC");

    // An Orvix III name of 32 characters has no terminating NUL.
    const juce::String longName ("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    EXPECT_EQ (presetName (16, makePresetWords (16, longName, 7)), longName.toStdString());
}

TEST (PresetConverterName, ShortPresetsAreUnnamed)
{
    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, Words (20, 0x4141), 0), 3));
    juce::String name ("old");
    converter.getPresetName (name);
    EXPECT_EQ (name, "EMPTY");
}

//==============================================================================
TEST (PresetConverterXL, UnpacksACompressedOrvixIIPresetToKnownWords)
{
    const auto values = makeCompressibleValues (42);
    const auto orvixII = makeCompressedOrvixIIPreset ("Compressed", values, 77);
    ASSERT_FALSE (orvixII.empty()) << "the test stream does not fit its preset";

    for (bool xlPlus : { false, true })
    {
        PresetConverter converter;
        ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, orvixII, 5), 3));
        ASSERT_TRUE (converter.convertToXL (xlPlus));
        EXPECT_EQ (converter.getTargetModel(), xlPlus ? 7 : 6);
        EXPECT_EQ (wordsOf (converter.getConvertedPreset()), expectedXLWords (orvixII, values));
    }
}

TEST (PresetConverterXL, APresetWithoutCompressedPartIsPaddedWithZeros)
{
    auto orvixII = makePresetWords (3, "Plain", 3);
    orvixII[1] = 0;

    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, orvixII, 0), 3));
    ASSERT_TRUE (converter.convertToXL (false));

    Words expected (orvixII);
    expected.resize (4096, 0);

    for (size_t i = 0; i < 1024; ++i)
        expected[2048 + i] = orvixII[1024 + i];

    EXPECT_EQ (wordsOf (converter.getConvertedPreset()), expected);
}

TEST (PresetConverterXL, XLPresetsAreCopiedToTheChosenModel)
{
    const auto xl = makePresetWords (7, "Plus", 8);
    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (7, xl, 0), 7));
    ASSERT_TRUE (converter.convertToXL (false));
    EXPECT_EQ (converter.getTargetModel(), 6);
    EXPECT_EQ (wordsOf (converter.getConvertedPreset()), xl);
}

TEST (PresetConverterXL, RefusesOtherModelsAndSizes)
{
    PresetConverter lm6;
    ASSERT_TRUE (lm6.loadPatchDump (makePresetDump (5, makePresetWords (5, "LM", 1), 0), 5));
    EXPECT_FALSE (lm6.convertToXL (false));
    EXPECT_EQ (lm6.getStatus(), PresetConverterStatus::wrongModel);
    EXPECT_EQ (lm6.getStage(), PresetConverterStage::checkOrConversion);

    for (size_t size : { (size_t) 2047, (size_t) 2049 })
    {
        PresetConverter converter;
        ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, Words (size, 0), 0), 3));
        EXPECT_FALSE (converter.convertToXL (false));
        EXPECT_EQ (converter.getStatus(), PresetConverterStatus::wrongPresetSize);
        EXPECT_TRUE (converter.getConvertedPreset().isEmpty());
    }
}

TEST (PresetConverterXL, ACorruptCompressedPartFailsInsteadOfRunningAway)
{
    const auto values = makeCompressibleValues (3);
    const auto good = makeCompressedOrvixIIPreset ("Good", values, 1);
    ASSERT_FALSE (good.empty());

    auto lengthPastThePreset = good;
    lengthPastThePreset[1] = 0xFFFF;

    auto lengthToTheLastWord = good;
    lengthToTheLastWord[1] = (juce::uint16) ((2048 - 34) * 2); // 34 + n / 2 = 2048

    auto endlessTree = good;
    for (size_t i = 34; i < 1024; ++i)
        endlessTree[i] = 0;

    // A chain of 255 inner nodes whose first (zero) child is the next inner node, each with a leaf
    // as second child. Every value of the all-zero code part then takes 255 bits, far more than
    // the input holds.
    CompressedBitWriter chain;

    for (int i = 0; i < 255; ++i)
        chain.write (0);

    chain.write (1);
    chain.writeByte (0);

    for (int i = 0; i < 255; ++i)
    {
        chain.write (1);
        chain.writeByte (i + 1);
    }

    auto deepTree = good;
    ASSERT_TRUE (placeCompressedStream (deepTree, chain.bytes));

    for (const auto* words : { &lengthPastThePreset, &lengthToTheLastWord, &endlessTree, &deepTree })
    {
        PresetConverter converter;
        ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, *words, 0), 3));
        EXPECT_FALSE (converter.convertToXL (false));
        EXPECT_EQ (converter.getStatus(), PresetConverterStatus::compressedStreamInvalid);
        EXPECT_EQ (converter.getStage(), PresetConverterStage::checkOrConversion);
        EXPECT_TRUE (converter.getConvertedPreset().isEmpty());
    }
}

//==============================================================================
TEST (PresetConverterWrite, WritesAnXLDumpThatLoadsBack)
{
    const auto values = makeCompressibleValues (9);
    const auto orvixII = makeCompressedOrvixIIPreset ("Round Trip", values, 4);
    ASSERT_FALSE (orvixII.empty());

    // The dump is built for the target model whatever device the console has chosen.
    const auto previousModel = currentDeviceModel.load();
    currentDeviceModel = 16;

    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (3, orvixII, 130), 3));
    ASSERT_TRUE (converter.convertToXL (true));

    juce::MemoryBlock out ("\x55", 1);
    ASSERT_TRUE (converter.writePatchDump (out));
    currentDeviceModel = previousModel;

    EXPECT_EQ (static_cast<const juce::uint8*> (out.getData())[0], 0x55);
    const juce::MemoryBlock dump (static_cast<const char*> (out.getData()) + 1, out.getSize() - 1);
    const auto messages = splitMessages (dump);
    ASSERT_EQ (messages.size(), 66u);

    for (const auto& m : messages)
    {
        const auto* bytes = static_cast<const juce::uint8*> (m.getData());
        EXPECT_EQ (bytes[4], 7);
        EXPECT_EQ (bytes[m.getSize() - 2], sysExChecksum (bytes, m.getSize() - 2));
    }

    EXPECT_EQ (messages.front().getSize(), 12u);
    EXPECT_EQ (messages[1].getSize(), 8u + 194u);
    const auto* start = static_cast<const juce::uint8*> (messages.front().getData());
    EXPECT_EQ (start[6], 1);
    EXPECT_EQ (start[7], 2);
    EXPECT_EQ (start[8] | (start[9] << 7), 4096);

    const auto expected = expectedXLWords (orvixII, values);
    EXPECT_EQ (readPresetDumpWords (dump), expected);

    PresetConverter reader;
    ASSERT_TRUE (reader.loadPatchDump (dump, 7));
    EXPECT_EQ (wordsOf (reader.getLoadedPreset()), expected);
    juce::String name;
    reader.getPresetName (name);
    EXPECT_EQ (name, "Round Trip");
}

TEST (PresetConverterWrite, ConvertsAnXLPresetBackToTheOrvixIILayout)
{
    const auto xl = makePresetWords (6, "Back", 12);
    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (makePresetDump (6, xl, 0), 6));
    ASSERT_TRUE (converter.convertToModel3());
    EXPECT_EQ (converter.getTargetModel(), 3);

    Words expected (xl.begin(), xl.begin() + 1024);
    expected.insert (expected.end(), xl.begin() + 2048, xl.begin() + 3072);
    EXPECT_EQ (wordsOf (converter.getConvertedPreset()), expected);

    juce::MemoryBlock out;
    ASSERT_TRUE (converter.writePatchDump (out));
    EXPECT_EQ (splitMessages (out).size(), 34u);
    EXPECT_EQ (readPresetDumpWords (out), expected);

    PresetConverter lm6;
    ASSERT_TRUE (lm6.loadPatchDump (makePresetDump (10, makePresetWords (10, "LM", 1), 0), 10));
    EXPECT_FALSE (lm6.convertToModel3());
    EXPECT_EQ (lm6.getStatus(), PresetConverterStatus::wrongModel);
}

TEST (PresetConverterWrite, ChecksumHelpers)
{
    const juce::uint16 words16[] = { 0x1234, 0x00FF, 0xF000 };
    const juce::uint32 words32[] = { 0x12345678, 0xFFFFFFFF };
    EXPECT_EQ (xorWords16 (words16, 3), 0xE2CBu);
    EXPECT_EQ (xorWords32 (words32, 2), 0xEDCBA987u);
    EXPECT_EQ (xorWords16 (nullptr, 3), 0u);
    EXPECT_EQ (xorWords32 (words32, 0), 0u);
}

//==============================================================================
TEST (PresetConverterFixtures, TheCompressedFixtureConvertsToItsKnownWords)
{
    juce::MemoryBlock dump;
    ASSERT_TRUE (juce::File::getCurrentWorkingDirectory().getChildFile ("orvix2-preset-compressed.syx").loadFileAsData (dump));

    // The fixture was written from these values and this seed; see DumpBuilders.
    const auto values = makeCompressibleValues (2024);
    const auto orvixII = makeCompressedOrvixIIPreset ("Fixture Crunch", values, 2024);
    EXPECT_TRUE (dump.matches (makePresetDump (3, orvixII, 17).getData(), makePresetDump (3, orvixII, 17).getSize()));

    PresetConverter converter;
    ASSERT_TRUE (converter.loadPatchDump (dump, 3));
    juce::String name;
    converter.getPresetName (name);
    EXPECT_EQ (name, "Fixture Crunch");
    ASSERT_TRUE (converter.convertToXL (false));
    EXPECT_EQ (wordsOf (converter.getConvertedPreset()), expectedXLWords (orvixII, values));
}
