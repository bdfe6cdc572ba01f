#include "SysExTestMessages.h"

#include "SysExBuilders.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

using namespace morvane::test;

//==============================================================================
TEST (SysExPrimitives, MessageWithoutPayloadHasTheKnownChecksum)
{
    juce::MidiMessage message;
    EXPECT_EQ (buildSysExMessage (message, 0x43, nullptr, 0, 3), 8);
    EXPECT_EQ (bytesOf (message), (Bytes { 0xF0, 0x00, 0x01, 0x74, 0x03, 0x43, 0x45, 0xF7 }));

    const juce::uint8 payload[] = { 1, 2 };
    EXPECT_EQ (buildSysExMessage (message, 0x43, payload, 0, 3), 8);
    EXPECT_EQ (buildSysExMessage (message, 0x3C, payload, 2, 6), 10);
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x3C, { 1, 2 }));
}

TEST (SysExPrimitives, TheChecksumCoversEveryByteWhateverTheLengthAndPlace)
{
    // Lengths on both sides of every word boundary, from addresses that are not aligned.
    Bytes bytes (300);

    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (juce::uint8) ((i * 37 + 11) & 0xFF);

    for (size_t start = 0; start < 3; ++start)
    {
        for (size_t n = 0; n + start <= 200; ++n)
        {
            const Bytes part (bytes.begin() + (long) start, bytes.begin() + (long) (start + n));
            ASSERT_EQ (computeSysExChecksum (bytes.data() + start, (int) n), xorChecksum (part, n)) << start << " " << n;
        }
    }

    // A single changed bit anywhere in a long message is caught.
    auto message = zandrelBytes (8, 0x7A, Bytes (160, 0x55));
    ASSERT_TRUE (hasValidSysExChecksum (message.data(), (int) message.size()));

    for (size_t i = 1; i + 2 < message.size(); ++i)
    {
        message[i] ^= 0x01;
        EXPECT_FALSE (hasValidSysExChecksum (message.data(), (int) message.size())) << i;
        message[i] ^= 0x01;
    }
}

TEST (SysExPrimitives, HeaderAndChecksumGrowShortBlocksAndKeepLongerOnes)
{
    juce::MemoryBlock block;
    EXPECT_EQ (writeSysExHeader (block, 0x19, 16), 6);
    EXPECT_EQ (bytesOf (block), (Bytes { 0xF0, 0x00, 0x01, 0x74, 16, 0x19 }));

    EXPECT_EQ (appendSysExChecksum (block, 6), 8);
    EXPECT_TRUE (isWellFormed (bytesOf (block)));

    juce::MemoryBlock longer (20, true);
    writeSysExHeader (longer, 0x77, 3);
    EXPECT_EQ (appendSysExChecksum (longer, 10), 12);
    ASSERT_EQ (longer.getSize(), 20u);
    const auto bytes = bytesOf (longer);
    EXPECT_EQ (bytes[10], xorChecksum (bytes, 10));
    EXPECT_EQ (bytes[11], 0xF7);
}

TEST (SysExPrimitives, PackAndUnpackSevenBitGroupsLeastSignificantFirst)
{
    juce::MemoryBlock block;
    EXPECT_TRUE (pack7BitValue (block, 0, 300, 2));
    EXPECT_EQ (bytesOf (block), (Bytes { 0x2C, 0x02 }));

    const auto message = toMessage ({ 0xF0, 0x2C, 0x02, 0xF7 });
    EXPECT_EQ (unpack7BitValue (message, 1, 2), 300u);
    EXPECT_EQ (unpack7BitValue (message, 1, 1), 0x2Cu);

    // Bits above 7 in a byte are ignored when reading; values too big for the field are cut.
    EXPECT_EQ (unpack7BitValue (toMessage ({ 0xFF, 0xFF }), 0, 2), 0x3FFFu);
    juce::MemoryBlock narrow;
    pack7BitValue (narrow, 0, 0x12345, 2);
    EXPECT_EQ (bytesOf (narrow), (Bytes { 0x45, 0x46 }));
}

TEST (SysExPrimitives, PackGrowsTheBlockWithZeros)
{
    juce::MemoryBlock block;
    pack7BitValue (block, 3, 1, 2);
    EXPECT_EQ (bytesOf (block), (Bytes { 0, 0, 0, 1, 0 }));
}

TEST (SysExPrimitives, UnpackOfAFieldOutsideTheMessageOrWithoutBytesIsZero)
{
    const auto message = toMessage ({ 0xF0, 0x01, 0x02, 0xF7 });
    EXPECT_EQ (unpack7BitValue (message, 1, 0), 0u);
    EXPECT_EQ (unpack7BitValue (message, 3, 2), 0u);
    EXPECT_EQ (unpack7BitValue (message, 4, 1), 0u);
    EXPECT_EQ (unpack7BitValue (message, -1, 2), 0u);
    EXPECT_EQ (unpack7BitValue (message, 0x7FFFFFFF, 2), 0u);
    EXPECT_EQ (unpack7BitValue (nullptr, 10, 0, 2), 0u);
}

TEST (SysExPrimitives, NegativeOffsetWritesNothing)
{
    juce::MemoryBlock block (4, true);
    EXPECT_FALSE (pack7BitValue (block, -1, 0x7F, 2));
    EXPECT_FALSE (pack7BitValue (block, 0, 0x7F, 0));
    EXPECT_EQ (bytesOf (block), (Bytes { 0, 0, 0, 0 }));
}

TEST (SysExPrimitives, WideFieldsNeverShiftBy32BitsOrMore)
{
    juce::MemoryBlock block;
    pack7BitValue (block, 0, 0xFFFFFFFFu, 5);
    EXPECT_EQ (bytesOf (block), (Bytes { 0x7F, 0x7F, 0x7F, 0x7F, 0x0F }));
    EXPECT_EQ (unpack7BitValue (toMessage (bytesOf (block)), 0, 5), 0xFFFFFFFFu);

    juce::MemoryBlock wide;
    pack7BitValue (wide, 0, 0xFFFFFFFFu, 8);
    EXPECT_EQ (bytesOf (wide), (Bytes { 0x7F, 0x7F, 0x7F, 0x7F, 0x0F, 0, 0, 0 }));
    EXPECT_EQ (unpack7BitValue (toMessage ({ 0x01, 0, 0, 0, 0, 0x7F, 0x7F, 0x7F }), 0, 8), 1u);
}

TEST (SysExPrimitives, ApplicationDirectoryHoldsTheRunningProgram)
{
    const juce::File folder (getApplicationDirectory());
    EXPECT_TRUE (folder.isDirectory());
    EXPECT_TRUE (folder.getChildFile ("link_tests").existsAsFile());
}

//==============================================================================
namespace
{
Bytes requestBytes (const SysExRequest& request)
{
    return bytesOf (request.getMessage());
}
} // namespace

TEST (SysExRequestBuilders, RefuseNullArgumentsAndLeaveTheRequestAlone)
{
    SysExRequest request;
    const juce::uint32 n[3] = { 0, 1, 1 };
    const juce::uint8 bank = 0;
    const juce::uint16 params = 0;

    EXPECT_FALSE (buildPatchDumpRequest (nullptr, n));
    EXPECT_FALSE (buildPatchDumpRequest (&request, nullptr));
    EXPECT_FALSE (buildCabDumpRequest (&request, nullptr));
    EXPECT_FALSE (buildBankDumpRequest (nullptr, n));
    EXPECT_FALSE (buildCabBankDumpRequest (nullptr, &bank));
    EXPECT_FALSE (buildGetAllParamsRequest (nullptr, &params));
    EXPECT_FALSE (buildGetAllParamsRequest (&request, nullptr));
    EXPECT_EQ (requestBytes (request), (Bytes { 0xF0, 0xF7 }));
    EXPECT_EQ (request.getExpectedReplies(), 1);
}

TEST (SysExRequestBuilders, PatchDumpRequestByModel)
{
    ScopedDeviceModel model (3);
    SysExRequest request;
    const juce::uint32 n[3] = { 1, 5, 1 };

    ASSERT_TRUE (buildPatchDumpRequest (&request, n));
    EXPECT_EQ (requestBytes (request), zandrelBytes (3, 0x03, { 1, 5 }));
    EXPECT_EQ (request.getExpectedReplies(), 34);

    model.set (16);
    ASSERT_TRUE (buildPatchDumpRequest (&request, n));
    EXPECT_EQ (requestBytes (request), zandrelBytes (16, 0x03, { 1, 5, 1 }));
    EXPECT_EQ (request.getExpectedReplies(), 18);

    for (juce::uint8 m : { 6, 7, 8 })
    {
        model.set (m);
        ASSERT_TRUE (buildPatchDumpRequest (&request, n));
        EXPECT_EQ (request.getExpectedReplies(), 66);
    }

    model.set (5);
    ASSERT_TRUE (buildPatchDumpRequest (&request, n));
    EXPECT_EQ (request.getExpectedReplies(), 34);
}

TEST (SysExRequestBuilders, CabNumberByteOrderPerModel)
{
    ScopedDeviceModel model (6);
    SysExRequest request;
    const juce::uint32 cab = 200;

    for (juce::uint8 m : { 6, 7, 8 })
    {
        model.set (m);
        ASSERT_TRUE (buildCabDumpRequest (&request, &cab));
        EXPECT_EQ (requestBytes (request), zandrelBytes (m, 0x19, { 0x01, 0x48 })) << (int) m;
        EXPECT_EQ (request.getExpectedReplies(), 66);
    }

    model.set (16);
    ASSERT_TRUE (buildCabDumpRequest (&request, &cab));
    EXPECT_EQ (requestBytes (request), zandrelBytes (16, 0x19, { 0x48, 0x01 }));
    EXPECT_EQ (request.getExpectedReplies(), 10);

    model.set (3);
    ASSERT_TRUE (buildCabDumpRequest (&request, &cab));
    EXPECT_EQ (requestBytes (request), zandrelBytes (3, 0x19, { 0x48 }));
    EXPECT_EQ (request.getExpectedReplies(), 66);
}

TEST (SysExRequestBuilders, BankDumpExpectsTheModelsBankSize)
{
    ScopedDeviceModel model (3);
    SysExRequest request;

    struct Case
    {
        juce::uint8 model;
        juce::uint32 bank;
        juce::int32 expected;
    };
    const Case cases[] = {
        { 3, 0, 4352 }, { 3, 127, 4352 }, { 5, 2, 272 }, { 5, 127, 4352 }, { 10, 2, 272 }, { 10, 127, 4352 }, { 6, 0, 8448 }, { 7, 127, 8448 }, { 8, 4, 528 }, { 8, 127, 33792 }, { 16, 3, 2304 }, { 2, 0, 0 }, { 4, 0, 0 }, { 0, 0, 0 }
    };

    for (const auto& c : cases)
    {
        model.set (c.model);
        ASSERT_TRUE (buildBankDumpRequest (&request, &c.bank));
        EXPECT_EQ (request.getExpectedReplies(), c.expected) << "model " << (int) c.model << " bank " << c.bank;
        EXPECT_EQ (requestBytes (request), zandrelBytes (c.model, 0x1C, { (juce::uint8) (c.bank & 0x7F) }));
    }
}

TEST (SysExRequestBuilders, CabBankDumpExpectsTheModelsCabCount)
{
    ScopedDeviceModel model (3);
    SysExRequest request;

    struct Case
    {
        juce::uint8 model;
        juce::uint8 bank;
        juce::int32 expected;
    };
    const Case cases[] = { { 3, 0, 8448 }, { 6, 1, 8448 }, { 7, 3, 8448 }, { 8, 127, 33792 }, { 8, 2, 8448 }, { 16, 0, 0 }, { 5, 0, 0 } };

    for (const auto& c : cases)
    {
        model.set (c.model);
        ASSERT_TRUE (buildCabBankDumpRequest (&request, &c.bank));
        EXPECT_EQ (request.getExpectedReplies(), c.expected) << "model " << (int) c.model;
        EXPECT_EQ (requestBytes (request), zandrelBytes (c.model, 0x44, { c.bank }));
    }
}

TEST (SysExRequestBuilders, GetAllParamsAndProgramChange)
{
    ScopedDeviceModel model (8);
    SysExRequest request;
    const juce::uint16 n = 300;

    ASSERT_TRUE (buildGetAllParamsRequest (&request, &n));
    EXPECT_EQ (requestBytes (request), zandrelBytes (8, 0x1F, { 0x2C, 0x02 }));
    EXPECT_EQ (request.getExpectedReplies(), 3);

    request.setProgramChangeMessage();
    EXPECT_EQ (requestBytes (request), (Bytes { 0xC0, 0x00 }));
    EXPECT_EQ (request.getExpectedReplies(), 0);
    EXPECT_EQ (request.getFunctionId(), 0);
}

TEST (SysExMessageBuilders, QueriesAndCommands)
{
    ScopedDeviceModel model (6);
    juce::MidiMessage message;

    const juce::uint16 config = 766;
    ASSERT_TRUE (buildGetConfigRequest (&message, &config));
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x35, { 0x7E, 0x05 }));

    const juce::uint8 patch[2] = { 1, 0x7F };
    ASSERT_TRUE (buildRecallPatchRequest (&message, patch));
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x3C, { 1, 0x7F }));

    const juce::uint8 on = 1;
    ASSERT_TRUE (buildMuteRequest (&message, &on));
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x3E, { 1 }));

    ASSERT_TRUE (buildDumpSystemRequest (&message));
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x43));

    EXPECT_FALSE (buildGetConfigRequest (nullptr, &config));
    EXPECT_FALSE (buildRecallPatchRequest (&message, nullptr));
    EXPECT_FALSE (buildMuteRequest (&message, nullptr));
    EXPECT_FALSE (buildDumpSystemRequest (nullptr));
    EXPECT_FALSE (buildPatchStartMessage (&message, nullptr));
    EXPECT_FALSE (buildPatchDataMessage (&message, nullptr));
    EXPECT_FALSE (buildPatchEndMessage (nullptr, nullptr));
    EXPECT_FALSE (buildCabIRStartMessage (&message, nullptr));
    EXPECT_FALSE (buildCabIRDataMessage (&message, nullptr));
    EXPECT_FALSE (buildCabIREndMessage (&message, nullptr));
}

TEST (SysExMessageBuilders, PatchStartAndEndByModel)
{
    ScopedDeviceModel model (3);
    juce::MidiMessage message;
    const juce::uint16 start[3] = { 1, 2, 4096 };

    ASSERT_TRUE (buildPatchStartMessage (&message, start));
    EXPECT_EQ (bytesOf (message), zandrelBytes (3, 0x77, concat ({ { 1, 2 }, sevenBit (4096, 2) })));

    model.set (16);
    ASSERT_TRUE (buildPatchStartMessage (&message, start));
    EXPECT_EQ (bytesOf (message), zandrelBytes (16, 0x77, concat ({ { 1, 2 }, sevenBit (4096, 3) })));

    const juce::uint32 end = 0x1ABCD;
    ASSERT_TRUE (buildPatchEndMessage (&message, &end));
    EXPECT_EQ (bytesOf (message), zandrelBytes (16, 0x79, sevenBit (end, 3)));

    const juce::uint32 cabEnd = 0xDEADBEEF;
    ASSERT_TRUE (buildCabIREndMessage (&message, &cabEnd));
    EXPECT_EQ (bytesOf (message), zandrelBytes (16, 0x7C, sevenBit (cabEnd, 5)));
}

TEST (SysExMessageBuilders, CabIRStartSlotLayoutPerModel)
{
    ScopedDeviceModel model (3);
    juce::MidiMessage message;

    const juce::uint32 model3[2] = { 127, 2048 };
    ASSERT_TRUE (buildCabIRStartMessage (&message, model3));
    EXPECT_EQ (bytesOf (message), zandrelBytes (3, 0x7A, { 0x7F, 0x00, 0x10 }));
    EXPECT_EQ (message.getRawDataSize(), 11);

    model.set (6);
    const juce::uint32 xl[2] = { 513, 2048 };
    ASSERT_TRUE (buildCabIRStartMessage (&message, xl));
    EXPECT_EQ (bytesOf (message), zandrelBytes (6, 0x7A, { 0x04, 0x01, 0x00, 0x10 }));
    EXPECT_EQ (message.getRawDataSize(), 12);

    model.set (16);
    const juce::uint32 orvix3[2] = { 2053, 2048 };
    ASSERT_TRUE (buildCabIRStartMessage (&message, orvix3));
    EXPECT_EQ (bytesOf (message), zandrelBytes (16, 0x7A, { 0x05, 0x10, 0x00, 0x10 }));
}

TEST (SysExMessageBuilders, PatchDataAlwaysHasTheFullLayoutSize)
{
    ScopedDeviceModel model (3);
    juce::MidiMessage message;
    const juce::uint16 words[] = { 0x0001, 0xFFFF, 0x1234 };
    PatchDataFields fields;
    fields.count = 3;
    fields.words = words;

    ASSERT_TRUE (buildPatchDataMessage (&message, &fields));
    auto bytes = bytesOf (message);
    ASSERT_EQ (bytes.size(), 194u + 8u);
    EXPECT_TRUE (isWellFormed (bytes));
    EXPECT_EQ (Bytes (bytes.begin() + 6, bytes.begin() + 17),
               concat ({ sevenBit (3, 2), sevenBit (0x0001, 3), sevenBit (0xFFFF, 3), sevenBit (0x1234, 3) }));
    EXPECT_TRUE (std::all_of (bytes.begin() + 17, bytes.end() - 2, [] (juce::uint8 b)
                              { return b == 0; }));

    model.set (16);
    ASSERT_TRUE (buildPatchDataMessage (&message, &fields));
    EXPECT_EQ (message.getRawDataSize(), 3074 + 8);
    EXPECT_TRUE (isWellFormed (bytesOf (message)));
}

TEST (SysExMessageBuilders, DataMessagesRefuseMoreThanOneMessageHolds)
{
    ScopedDeviceModel model (6);
    juce::MidiMessage message;
    std::vector<juce::uint16> words (1025, 0x4321);
    PatchDataFields patch;
    patch.words = words.data();

    patch.count = 64;
    EXPECT_TRUE (buildPatchDataMessage (&message, &patch));
    patch.count = 65;
    EXPECT_FALSE (buildPatchDataMessage (&message, &patch));

    model.set (16);
    patch.count = 1024;
    EXPECT_TRUE (buildPatchDataMessage (&message, &patch));
    patch.count = 1025;
    EXPECT_FALSE (buildPatchDataMessage (&message, &patch));

    patch.count = 1;
    patch.words = nullptr;
    EXPECT_FALSE (buildPatchDataMessage (&message, &patch));

    std::vector<juce::uint32> values (257, 7);
    CabIRDataFields cab;
    cab.values = values.data();
    cab.count = 256;
    EXPECT_TRUE (buildCabIRDataMessage (&message, &cab));
    EXPECT_EQ (message.getRawDataSize(), 1282 + 8);
    cab.count = 257;
    EXPECT_FALSE (buildCabIRDataMessage (&message, &cab));

    model.set (8);
    cab.count = 32;
    EXPECT_TRUE (buildCabIRDataMessage (&message, &cab));
    EXPECT_EQ (message.getRawDataSize(), 162 + 8);
    cab.count = 33;
    EXPECT_FALSE (buildCabIRDataMessage (&message, &cab));
}

TEST (SysExMessageBuilders, EveryBuilderEndsWithItsChecksum)
{
    for (juce::uint8 m : { 3, 5, 6, 8, 10, 16 })
    {
        ScopedDeviceModel model (m);
        std::vector<juce::MidiMessage> built (10);
        const juce::uint16 n16 = 0x3FFF;
        const juce::uint8 n8[2] = { 0x7F, 0x7F };
        const juce::uint16 start[3] = { 0x7F, 0x7F, 0xFFFF };
        const juce::uint32 v32[2] = { 0xFFFFFFFF, 0xFFFFFFFF };
        const juce::uint16 words[64] = { 0xFFFF, 0x8000 };
        const juce::uint32 values[32] = { 0xFFFFFFFF, 0x80000000 };
        PatchDataFields patch { 64, words };
        CabIRDataFields cab { 32, values };

        ASSERT_TRUE (buildGetConfigRequest (&built[0], &n16));
        ASSERT_TRUE (buildRecallPatchRequest (&built[1], n8));
        ASSERT_TRUE (buildMuteRequest (&built[2], n8));
        ASSERT_TRUE (buildDumpSystemRequest (&built[3]));
        ASSERT_TRUE (buildPatchStartMessage (&built[4], start));
        ASSERT_TRUE (buildPatchDataMessage (&built[5], &patch));
        ASSERT_TRUE (buildPatchEndMessage (&built[6], v32));
        ASSERT_TRUE (buildCabIRStartMessage (&built[7], v32));
        ASSERT_TRUE (buildCabIRDataMessage (&built[8], &cab));
        ASSERT_TRUE (buildCabIREndMessage (&built[9], v32));

        for (auto& message : built)
        {
            const auto bytes = bytesOf (message);
            EXPECT_TRUE (isWellFormed (bytes)) << "model " << (int) m << " function " << (int) bytes[5];
            EXPECT_EQ (bytes[4], m);
            EXPECT_TRUE (std::all_of (bytes.begin() + 1, bytes.end() - 1, [] (juce::uint8 b)
                                      { return b < 0x80; }))
                << "a payload byte above 0x7F in function " << (int) bytes[5];
        }

        SysExRequest request;
        const juce::uint32 n32[3] = { 0xFFFF, 0xFFFF, 0xFFFF };
        const juce::uint8 bank = 0xFF;

        for (int i = 0; i < 5; ++i)
        {
            switch (i)
            {
                case 0:
                    ASSERT_TRUE (buildPatchDumpRequest (&request, n32));
                    break;
                case 1:
                    ASSERT_TRUE (buildCabDumpRequest (&request, n32));
                    break;
                case 2:
                    ASSERT_TRUE (buildBankDumpRequest (&request, n32));
                    break;
                case 3:
                    ASSERT_TRUE (buildCabBankDumpRequest (&request, &bank));
                    break;
                default:
                    ASSERT_TRUE (buildGetAllParamsRequest (&request, &n16));
                    break;
            }

            const auto bytes = bytesOf (request.getMessage());
            EXPECT_TRUE (isWellFormed (bytes)) << "model " << (int) m << " request " << i;
            EXPECT_TRUE (std::all_of (bytes.begin() + 1, bytes.end() - 1, [] (juce::uint8 b)
                                      { return b < 0x80; }));
        }
    }
}
