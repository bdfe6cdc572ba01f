#include "SysExTestMessages.h"

#include "SysExBuilders.h"
#include "SysExDecoders.h"

#include <gtest/gtest.h>

using namespace morvane::test;

TEST (SysExDecoders, RefuseMalformedMessagesAndLeaveTheOutputAlone)
{
    StatusReply status { 9, 9 };

    // Too short, not SysEx, another maker's, wrong function, null output.
    EXPECT_FALSE (decodeStatusReply (toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x03 }), &status));
    EXPECT_FALSE (decodeStatusReply (toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x03, 0x64, 0xF7 }), &status));
    EXPECT_FALSE (decodeStatusReply (toMessage ({ 0x90, 0x00, 0x01, 0x74, 0x03, 0x64, 0x08, 0x00, 0x00, 0xF7 }), &status));
    EXPECT_FALSE (decodeStatusReply (toMessage ({ 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x64, 0x08, 0x00, 0x00, 0xF7 }), &status));
    EXPECT_FALSE (decodeStatusReply (zandrelMessage (3, 0x08, { 0x08, 0x00 }), &status));
    EXPECT_FALSE (decodeStatusReply (zandrelMessage (3, 0x64, { 0x08, 0x00 }), nullptr));
    EXPECT_EQ (status.functionId, 9);
    EXPECT_EQ (status.resultCode, 9);

    FirmwareVersionRecord version;
    version.major = 77;
    EXPECT_FALSE (decodeVersionReply (zandrelMessage (3, 0x14, { 1, 2 }), &version));
    EXPECT_EQ (version.major, 77u);
}

TEST (SysExDecoders, StatusReplyTakesRawBytes)
{
    StatusReply status;
    ASSERT_TRUE (decodeStatusReply (zandrelMessage (16, 0x64, { 0x7A, 25 }), &status));
    EXPECT_EQ (status.functionId, 0x7A);
    EXPECT_EQ (status.resultCode, 25);

    // Exactly 8 bytes: the checksum sits where the result code would be; it is read as such.
    ASSERT_TRUE (decodeStatusReply (toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x03, 0x64, 0x1F, 0xF7 }), &status));
    EXPECT_EQ (status.functionId, 0x1F);
}

TEST (SysExDecoders, VersionReply)
{
    FirmwareVersionRecord version;
    ASSERT_TRUE (decodeVersionReply (zandrelMessage (6, 0x08, { 21, 5, 0, 0, 0, 0 }), &version));
    EXPECT_EQ (version.major, 21u);
    EXPECT_EQ (version.minor, 5u);
    EXPECT_DOUBLE_EQ (version.version, 21.05);
    EXPECT_EQ (version.model, 6);

    // A short reply reads its missing fields as 0.
    ASSERT_TRUE (decodeVersionReply (toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x10, 0x08, 0x41 }), &version));
    EXPECT_EQ (version.major, 0x41u);
    EXPECT_EQ (version.minor, 0u);
    EXPECT_EQ (version.model, 16);
}

TEST (SysExDecoders, SmallReplies)
{
    juce::uint16 two[2] = {};
    ASSERT_TRUE (decodePatchNumberReply (zandrelMessage (3, 0x14, { 2, 7 }), two));
    EXPECT_EQ (two[0], 2);
    EXPECT_EQ (two[1], 7);

    ASSERT_TRUE (decodeConfigReply (zandrelMessage (3, 0x35, concat ({ sevenBit (766, 2), sevenBit (1, 3) })), two));
    EXPECT_EQ (two[0], 766);
    EXPECT_EQ (two[1], 1);

    juce::uint32 multi[2] = {};
    ASSERT_TRUE (decodeMultiMsgStart (zandrelMessage (3, 0x32, concat ({ { 4 }, sevenBit (300, 2) })), multi));
    EXPECT_EQ (multi[0], 4u);
    EXPECT_EQ (multi[1], 300u);

    juce::uint8 flags[2] = {};
    ASSERT_TRUE (decodePatchPlusCabDump (zandrelMessage (6, 0x46, { 0x05, 0x11 }), flags));
    EXPECT_EQ (flags[0], 0x05);
    EXPECT_EQ (flags[1], 0x11);

    juce::uint32 grid[5] = {};
    ASSERT_TRUE (decodeGridStart (zandrelMessage (16, 0x61, concat ({ sevenBit (1, 2), sevenBit (2, 3), sevenBit (3, 3), sevenBit (4, 3), sevenBit (1026, 3) })), grid));
    EXPECT_EQ (grid[0], 1u);
    EXPECT_EQ (grid[3], 4u);
    EXPECT_EQ (grid[4], 1026u);
}

TEST (SysExDecoders, SysInfoReplyOrTheStatusReplyInstead)
{
    SystemInfoRecord info;
    StatusReply status;

    ASSERT_TRUE (decodeSysInfoReply (zandrelMessage (8, 0x47, concat ({ sevenBit (0x3FFF, 2), sevenBit (3, 2), sevenBit (512, 2), sevenBit (9, 2) })),
                                     &info,
                                     &status));
    EXPECT_EQ (info.fields[0], 0xFF);
    EXPECT_EQ (info.fields[1], 3);
    EXPECT_EQ (info.fields[2], 512);
    EXPECT_EQ (info.fields[3], 9);

    SystemInfoRecord untouched;
    EXPECT_FALSE (decodeSysInfoReply (zandrelMessage (8, 0x64, { 0x47, 5 }), &untouched, &status));
    EXPECT_EQ (status.functionId, 0x47);
    EXPECT_EQ (status.resultCode, 5);
    EXPECT_EQ (untouched.fields[2], 0);
}

TEST (SysExDecoders, EffectStartAndSystemDataStartByModel)
{
    juce::uint16 effect[3] = { 9, 9, 9 };
    ASSERT_TRUE (decodeEffectStart (zandrelMessage (3, 0x74, concat ({ sevenBit (10, 2), sevenBit (1000, 2), { 5 } })), effect));
    EXPECT_EQ (effect[0], 10);
    EXPECT_EQ (effect[1], 1000);
    EXPECT_EQ (effect[2], 5);

    ASSERT_TRUE (decodeEffectStart (zandrelMessage (16, 0x74, concat ({ sevenBit (10, 2), sevenBit (1000, 2), { 5 } })), effect));
    EXPECT_EQ (effect[1], 1000);
    EXPECT_EQ (effect[2], 0);

    juce::uint32 length = 0;
    EXPECT_TRUE (decodeSystemDataStart (zandrelMessage (3, 0x61, sevenBit (6400, 3)), &length));
    EXPECT_EQ (length, 6400u);
    EXPECT_FALSE (decodeSystemDataStart (zandrelMessage (3, 0x51, sevenBit (6400, 3)), &length));
    EXPECT_TRUE (decodeSystemDataStart (zandrelMessage (16, 0x51, sevenBit (70000, 3)), &length));
    EXPECT_EQ (length, 70000u);
    EXPECT_FALSE (decodeSystemDataStart (zandrelMessage (16, 0x61, sevenBit (6400, 3)), &length));
}

TEST (SysExDecoders, PresetDumpMessagesRoundTripThroughTheBuilders)
{
    for (juce::uint8 m : { 3, 6, 16 })
    {
        ScopedDeviceModel model (m);
        const auto capacity = m == 16 ? 1024 : 64;
        std::vector<juce::uint16> words ((size_t) capacity);

        for (size_t i = 0; i < words.size(); ++i)
            words[i] = (juce::uint16) (i * 977 + 0x8001);

        juce::MidiMessage start, data, end;
        const juce::uint16 startFields[3] = { 1, 100, 4096 };
        PatchDataFields fields { (juce::uint16) capacity, words.data() };
        const juce::uint32 checksum = 0x1F00F;
        ASSERT_TRUE (buildPatchStartMessage (&start, startFields));
        ASSERT_TRUE (buildPatchDataMessage (&data, &fields));
        ASSERT_TRUE (buildPatchEndMessage (&end, &checksum));

        juce::uint16 decodedStart[3] = {};
        ASSERT_TRUE (decodePatchStartMessage (start, decodedStart));
        EXPECT_EQ (decodedStart[1], 100);
        EXPECT_EQ (decodedStart[2], 4096);

        DecodedPatchData decoded;
        ASSERT_TRUE (decodePatchDataMessage (data, &decoded));
        ASSERT_EQ (decoded.count, capacity);
        ASSERT_EQ (decoded.words.getSize(), (size_t) capacity * 2);
        const auto* bytes = static_cast<const juce::uint8*> (decoded.words.getData());

        for (int i = 0; i < capacity; ++i)
            ASSERT_EQ (bytes[2 * i] | (bytes[2 * i + 1] << 8), words[(size_t) i]) << "word " << i;

        juce::uint32 decodedEnd = 0;
        ASSERT_TRUE (decodePatchEndMessage (end, &decodedEnd));
        EXPECT_EQ (decodedEnd, checksum);
    }
}

TEST (SysExDecoders, CabDumpMessagesRoundTripThroughTheBuilders)
{
    for (juce::uint8 m : { 3, 7, 16 })
    {
        ScopedDeviceModel model (m);
        const auto capacity = m == 16 ? 256 : 32;
        std::vector<juce::uint32> values ((size_t) capacity);

        for (size_t i = 0; i < values.size(); ++i)
            values[i] = (juce::uint32) (i * 0x9E3779B9u);

        const juce::uint32 slot = m == 3 ? 100 : (m == 16 ? 2053 : 16383);
        const juce::uint32 startFields[2] = { slot, 2048 };
        juce::MidiMessage start, data, end;
        CabIRDataFields fields { (juce::uint32) capacity, values.data() };
        const juce::uint32 checksum = 0xCAFEBABE;
        ASSERT_TRUE (buildCabIRStartMessage (&start, startFields));
        ASSERT_TRUE (buildCabIRDataMessage (&data, &fields));
        ASSERT_TRUE (buildCabIREndMessage (&end, &checksum));

        juce::uint32 decodedStart[2] = {};
        ASSERT_TRUE (decodeCabIRStartMessage (start, decodedStart));
        EXPECT_EQ (decodedStart[0], slot) << "model " << (int) m;
        EXPECT_EQ (decodedStart[1], 2048u);

        DecodedCabIRData decoded;
        ASSERT_TRUE (decodeCabIRDataMessage (data, &decoded));
        ASSERT_EQ (decoded.count, capacity);
        ASSERT_EQ (decoded.values.getSize(), (size_t) capacity * 4);
        const auto* decodedValues = static_cast<const juce::uint32*> (decoded.values.getData());

        for (int i = 0; i < capacity; ++i)
            ASSERT_EQ (decodedValues[i], values[(size_t) i]) << "value " << i;

        juce::uint32 decodedEnd = 0;
        ASSERT_TRUE (decodeCabIREndMessage (end, &decodedEnd));
        EXPECT_EQ (decodedEnd, checksum);
    }
}

TEST (SysExDecoders, DataCountsFromTheWireAreBoundedByLayoutAndMessage)
{
    // A count far above the layout's 64 words in a full-size message: 64 words.
    Bytes payload = sevenBit (16383, 2);
    payload.resize (194, 0x01);
    DecodedPatchData words;
    ASSERT_TRUE (decodePatchDataMessage (zandrelMessage (3, 0x78, payload), &words));
    EXPECT_EQ (words.count, 64);
    EXPECT_EQ (words.words.getSize(), 128u);

    // A count of 40 in a message that carries only 5 whole words.
    Bytes shortPayload = sevenBit (40, 2);
    shortPayload.resize (2 + 5 * 3 + 2, 0x01);
    ASSERT_TRUE (decodePatchDataMessage (zandrelMessage (6, 0x78, shortPayload), &words));
    EXPECT_EQ (words.count, 5);
    EXPECT_EQ (words.words.getSize(), 10u);

    // The model 16 layout holds 1024 words.
    Bytes payload16 = sevenBit (16383, 2);
    payload16.resize (3074, 0x02);
    ASSERT_TRUE (decodePatchDataMessage (zandrelMessage (16, 0x78, payload16), &words));
    EXPECT_EQ (words.count, 1024);

    // A message that ends right after its count.
    ASSERT_TRUE (decodePatchDataMessage (zandrelMessage (3, 0x78, sevenBit (64, 2)), &words));
    EXPECT_EQ (words.count, 0);
    EXPECT_EQ (words.words.getSize(), 0u);

    DecodedCabIRData values;
    Bytes cabPayload = sevenBit (16383, 2);
    cabPayload.resize (162, 0x03);
    ASSERT_TRUE (decodeCabIRDataMessage (zandrelMessage (8, 0x7B, cabPayload), &values));
    EXPECT_EQ (values.count, 32);
    EXPECT_EQ (values.values.getSize(), 128u);

    Bytes cabPayload16 = sevenBit (300, 2);
    cabPayload16.resize (1282, 0x03);
    ASSERT_TRUE (decodeCabIRDataMessage (zandrelMessage (16, 0x7B, cabPayload16), &values));
    EXPECT_EQ (values.count, 256);

    Bytes shortCab = sevenBit (200, 2);
    shortCab.resize (2 + 3 * 5 + 4, 0x03);
    ASSERT_TRUE (decodeCabIRDataMessage (zandrelMessage (16, 0x7B, shortCab), &values));
    EXPECT_EQ (values.count, 3);
}
