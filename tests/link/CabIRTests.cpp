#include "CabIR.h"
#include "DumpBuilders.h"
#include "PresetConverter.h"
#include "SysExMessage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace morvane::test;

namespace
{
using Words = std::vector<juce::uint32>;

Words wordsOf (const CabIRWords& words)
{
    return Words (words.begin(), words.end());
}

FirmwareVersionRecord firmware (juce::uint8 model, juce::uint32 major = 10, juce::uint32 minor = 0)
{
    FirmwareVersionRecord record;
    record.model = model;
    record.major = major;
    record.minor = minor;
    record.version = major + minor / 100.0;
    return record;
}

SystemInfoRecord systemInfo (juce::uint16 field1, juce::uint16 field2)
{
    SystemInfoRecord record;
    record.fields[1] = field1;
    record.fields[2] = field2;
    return record;
}

struct Converted
{
    bool ok = false;
    juce::MemoryBlock dump;
    int slot = -1;
    int wordCount = -1;
    Words words;
};

Converted convert (const juce::MemoryBlock& source, juce::uint32 mode, juce::uint32 n,
                   const FirmwareVersionRecord& target, const SystemInfoRecord* info = nullptr)
{
    Converted result;
    result.ok = convertCabIR (source, mode, n, target, info, result.dump);

    if (result.ok)
    {
        EXPECT_TRUE (readCabDump (result.dump, result.slot, result.wordCount, result.words));
    }

    return result;
}

juce::MemoryBlock withoutLastMessage (const juce::MemoryBlock& dump)
{
    auto messages = splitMessages (dump);
    messages.pop_back();
    juce::MemoryBlock block;

    for (const auto& m : messages)
        block.append (m.getData(), m.getSize());

    return block;
}
} // namespace

//==============================================================================
TEST (CabIRParse, ReadsCabsOfEveryLayout)
{
    const auto words = makeCabWords ("Greenback", 3);

    for (juce::uint8 model : { 3, 6, 8, 16 })
    {
        SCOPED_TRACE ((int) model);
        const auto dump = makeCabDump (model, words, 200);
        EXPECT_EQ (splitMessages (dump).size(), model == 16 ? 10u : 66u);

        CabIRWords parsed;
        ASSERT_TRUE (parseCabIR (dump, parsed));
        EXPECT_EQ (wordsOf (parsed), words);
    }
}

TEST (CabIRParse, RefusesBrokenDumpsAndLeavesNoWords)
{
    const auto words = makeCabWords ("Broken", 4);
    const auto good = splitMessages (makeCabDump (6, words, 1));

    auto badEnd = makeCabDump (6, words, 1);
    {
        auto messages = splitMessages (badEnd);
        Bytes end;
        appendPacked (end, xorWords32 (words.data(), (juce::uint32) words.size()) ^ 0x10, 5);
        messages.back() = makeSysExMessage (6, 0x7C, end);
        badEnd.reset();

        for (const auto& m : messages)
            badEnd.append (m.getData(), m.getSize());
    }

    auto badChecksum = makeCabDump (6, words, 1);
    static_cast<juce::uint8*> (badChecksum.getData())[good[0].getSize() + 100] ^= 0x01;

    auto tooManyWords = words;
    tooManyWords.resize (2048 + 32, 7);

    juce::MemoryBlock twoStarts (good[0].getData(), good[0].getSize());
    twoStarts.append (makeCabDump (6, words, 1).getData(), makeCabDump (6, words, 1).getSize());

    juce::MemoryBlock foreignMessage (makeCabDump (6, words, 1));
    foreignMessage.append (makeSysExMessage (6, 0x78, { 0, 0 }).getData(), 10);

    const std::vector<std::pair<const char*, juce::MemoryBlock>> cases {
        { "empty", {} },
        { "wrong CABIR_END checksum", badEnd },
        { "a message with a bad checksum", badChecksum },
        { "more than 2048 words", makeCabDump (6, tooManyWords, 1) },
        { "more than 2048 words without end", makeCabDump (6, tooManyWords, 1, 2048, false) },
        { "two starts", twoStarts },
        { "a preset message", foreignMessage },
        { "only a start", good[0] },
        { "word count field differs", makeCabDump (6, words, 1, 2047) },
    };

    for (const auto& [what, dump] : cases)
    {
        SCOPED_TRACE (what);
        CabIRWords parsed;
        parsed.fill (0xCCCCCCCC);
        EXPECT_FALSE (parseCabIR (dump, parsed));
        EXPECT_EQ (wordsOf (parsed), Words (2048, 0));
    }
}

TEST (CabIRParse, ADumpWithoutEndOrWithFewerWordsLeavesTheRestZero)
{
    const auto words = makeCabWords ("Short", 5);
    const Words first100 (words.begin(), words.begin() + 100);

    for (bool withEnd : { true, false })
    {
        SCOPED_TRACE (withEnd);
        CabIRWords parsed;
        parsed.fill (0xCCCCCCCC);
        ASSERT_TRUE (parseCabIR (makeCabDump (3, first100, 9, -1, withEnd), parsed));

        auto expected = first100;
        expected.resize (2048, 0);
        EXPECT_EQ (wordsOf (parsed), expected);
    }

    CabIRWords parsed;
    EXPECT_TRUE (parseCabIR (withoutLastMessage (makeCabDump (16, words, 9)), parsed));
    EXPECT_EQ (wordsOf (parsed), words);
}

TEST (CabIRParse, PointerFormFillsTheCallersBuffer)
{
    const auto words = makeCabWords ("Buffer", 6);
    Words buffer (2048, 0xCCCCCCCC);
    ASSERT_TRUE (parseCabIR (makeCabDump (16, words, 0), buffer.data()));
    EXPECT_EQ (buffer, words);
    EXPECT_FALSE (parseCabIR (makeCabDump (16, words, 0), static_cast<juce::uint32*> (nullptr)));
}

//==============================================================================
TEST (CabIRName, ReadsTrimsAndLimitsTheName)
{
    auto nameOf = [] (const juce::String& stored)
    {
        juce::String name ("unchanged");
        EXPECT_TRUE (readCabIRName (makeCabDump (6, makeCabWords (stored, 1), 0), name));
        return name.toStdString();
    };

    EXPECT_EQ (nameOf ("  4x12 Vintage  "), "4x12 Vintage");
    EXPECT_EQ (nameOf ("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_EQ (nameOf (""), "");

    juce::String name ("unchanged");
    EXPECT_FALSE (readCabIRName (juce::MemoryBlock ("\xF0\xF7", 2), name));
    EXPECT_EQ (name, "unchanged");
}

//==============================================================================
TEST (CabIRConvert, AddressesEachDestinationOfEachModel)
{
    const auto words = makeCabWords ("Slot", 7);
    const auto source = makeCabDump (3, words, 12);

    struct Case
    {
        juce::uint8 model;
        juce::uint32 major, mode, n;
        int slot;
    };

    const Case cases[] = {
        { 16, 10, 2, 5, 2053 },    // user location on the Orvix III
        { 3, 10, 0, 0, 127 },      // the currently selected slot
        { 6, 10, 0, 0, 16383 },
        { 7, 10, 0, 0, 16383 },
        { 8, 10, 0, 0, 16383 },
        { 16, 10, 0, 0, 16383 },
        { 6, 19, 1, 1, 513 },      // scratchpad 2 after 512 user cabs
        { 3, 10, 1, 27, 127 },     // scratchpad after 100 user cabs
        { 3, 10, 2, 126, 126 },
        { 8, 10, 2, 300, 300 },    // KT4 user cab 301
        { 16, 10, 1, 0, 4096 },    // no system information: base 4096
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "model " << (int) c.model << " mode " << c.mode << " n " << c.n);
        const auto converted = convert (source, c.mode, c.n, firmware (c.model, c.major));
        ASSERT_TRUE (converted.ok);
        EXPECT_EQ (converted.slot, c.slot);
        EXPECT_EQ (converted.wordCount, 2048);
        EXPECT_EQ (converted.words, words);
        EXPECT_EQ ((int) static_cast<const juce::uint8*> (converted.dump.getData())[4], (int) c.model);
    }
}

TEST (CabIRConvert, BuildsDumpsOfTheTargetsSize)
{
    const auto source = makeCabDump (16, makeCabWords ("Size", 8), 2100);

    EXPECT_EQ (convert (source, 2, 0, firmware (3)).dump.getSize(), 10904u);
    EXPECT_EQ (convert (source, 2, 0, firmware (6)).dump.getSize(), 10905u);
    EXPECT_EQ (convert (source, 2, 0, firmware (8)).dump.getSize(), 10905u);

    const auto orvixIII = convert (source, 2, 0, firmware (16));
    EXPECT_EQ (orvixIII.dump.getSize(), 10345u);
    EXPECT_EQ (splitMessages (orvixIII.dump).size(), 10u);

    // What the converter built parses back to the same words.
    CabIRWords parsed;
    ASSERT_TRUE (parseCabIR (orvixIII.dump, parsed));
    EXPECT_EQ (wordsOf (parsed), makeCabWords ("Size", 8));
}

TEST (CabIRConvert, UsesTheOrvixIIISystemInformationForTheScratchpad)
{
    const auto source = makeCabDump (6, makeCabWords ("Pad", 9), 1);
    const auto info = systemInfo (1024, 2048);
    EXPECT_EQ (convert (source, 1, 3, firmware (16), &info).slot, 3075);

    const auto xlInfo = systemInfo (0, 700);
    EXPECT_EQ (convert (source, 1, 0, firmware (6, 20), &xlInfo).slot, 700);
}

TEST (CabIRConvert, RefusesASlotThatDoesNotFitTheTargetsField)
{
    const auto source = makeCabDump (6, makeCabWords ("Wrap", 10), 1);

    // User cab 201 on an Orvix II would land on slot 72 (200 AND 0x7F) and overwrite that cab.
    const std::vector<std::tuple<juce::uint8, juce::uint32, juce::uint32>> refused {
        { 3, 2, 200 }, { 3, 2, 128 }, { 3, 2, 256 }, { 3, 1, 28 },
        { 6, 2, 16384 }, { 16, 2, 14336 }, { 16, 1, 12288 },
    };

    for (const auto& [model, mode, n] : refused)
    {
        SCOPED_TRACE (testing::Message() << "model " << (int) model << " mode " << mode << " n " << n);
        juce::MemoryBlock result ("old", 3);
        EXPECT_FALSE (convertCabIR (source, mode, n, firmware (model), nullptr, result));
        EXPECT_TRUE (result.isEmpty());
    }

    EXPECT_TRUE (convert (source, 2, 16383, firmware (6)).ok);
    EXPECT_TRUE (convert (source, 2, 14335, firmware (16)).ok);
}

TEST (CabIRConvert, RefusesOtherTargetsModesAndBrokenSources)
{
    const auto source = makeCabDump (6, makeCabWords ("Refused", 11), 1);

    for (juce::uint8 model : { 0, 2, 5, 10, 17 })
        EXPECT_FALSE (convert (source, 2, 0, firmware (model)).ok) << (int) model;

    EXPECT_FALSE (convert (source, 3, 0, firmware (6)).ok);
    EXPECT_FALSE (convert (makeCabDump (6, makeCabWords ("Bad", 1), 1, 100), 2, 0, firmware (6)).ok);
    EXPECT_FALSE (convert ({}, 2, 0, firmware (6)).ok);
}

TEST (CabIRConvert, AShortSourceSendsZerosNotUndefinedWords)
{
    const auto words = makeCabWords ("Part", 12);
    const Words first40 (words.begin(), words.begin() + 40);
    const auto converted = convert (makeCabDump (3, first40, 1, -1, false), 2, 0, firmware (16));
    ASSERT_TRUE (converted.ok);

    auto expected = first40;
    expected.resize (2048, 0);
    EXPECT_EQ (converted.words, expected);
}

TEST (CabIRConvert, LeavesTheCurrentDeviceModelAlone)
{
    const auto previous = currentDeviceModel.load();
    currentDeviceModel = 8;
    EXPECT_TRUE (convert (makeCabDump (3, makeCabWords ("Model", 13), 1), 2, 3, firmware (16)).ok);
    EXPECT_EQ (currentDeviceModel.load(), 8);
    currentDeviceModel = previous;
}

//==============================================================================
TEST (CabIRFixtures, FixtureCabsParseAndConvert)
{
    const auto folder = juce::File::getCurrentWorkingDirectory();

    for (auto [file, model, name] : { std::make_tuple ("orvix2xl-cab.syx", 6, "Fixture 2x12"),
                                      std::make_tuple ("orvix3-cab.syx", 16, "Fixture 4x10") })
    {
        SCOPED_TRACE (file);
        juce::MemoryBlock dump;
        ASSERT_TRUE (folder.getChildFile (file).loadFileAsData (dump));
        EXPECT_TRUE (dump.matches (makeCabDump ((juce::uint8) model, makeCabWords (name, 99), 5).getData(),
                                   makeCabDump ((juce::uint8) model, makeCabWords (name, 99), 5).getSize()));

        juce::String readName;
        ASSERT_TRUE (readCabIRName (dump, readName));
        EXPECT_EQ (readName, name);

        const auto converted = convert (dump, 2, 4, firmware (3));
        ASSERT_TRUE (converted.ok);
        EXPECT_EQ (converted.slot, 4);
        EXPECT_EQ (converted.words, makeCabWords (name, 99));
    }
}
