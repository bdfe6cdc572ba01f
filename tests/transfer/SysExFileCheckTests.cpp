#include "DamagedFiles.h"
#include "DumpBuilders.h"
#include "SendPlan.h"
#include "SysExFileCheck.h"
#include "SysExMessage.h"
#include "SysExStream.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
/** count messages of the model and function, each carrying the bank byte first. */
juce::MemoryBlock repeatedHeaders (juce::uint8 model, juce::uint8 function, int count, juce::uint8 bankByte = 0)
{
    juce::MemoryBlock file;

    for (int i = 0; i < count; ++i)
        file.append (makeSysExMessage (model, function, { bankByte, (juce::uint8) (i & 0x7F), 0, 0 }).getData(),
                     (size_t) makeSysExMessage (model, function, { bankByte, (juce::uint8) (i & 0x7F), 0, 0 }).getSize());

    return file;
}

TEST (SysExFileClassifier, KindsAtTheirCountBoundaries)
{
    struct Case
    {
        juce::uint8 model, function;
        int count;
        juce::uint8 bankByte;
        PayloadKind kind;
        juce::uint32 presetCount, cabCount;
    };

    const Case cases[] = {
        // One preset of any model, whatever its bank byte.
        { 3, 0x77, 1, 9, 1, 0, 0 },      { 16, 0x77, 1, 0, 1, 0, 0 },   { 2, 0x77, 1, 0, 1, 0, 0 },
        // Orvix II family banks and all banks.
        { 3, 0x77, 128, 0, 2, 128, 0 },  { 6, 0x77, 129, 1, 5, 129, 0 }, { 7, 0x77, 2, 127, 2, 2, 0 },
        // The bank byte 3: an Orvix II system file, an XL bank; anything else is refused.
        { 3, 0x77, 2, 3, 12, 0, 0 },     { 6, 0x77, 2, 3, 2, 2, 0 },     { 5, 0x77, 2, 3, 0, 0, 0 },
        { 3, 0x77, 2, 9, 0, 0, 0 },
        // LM6: 8 is a bank, anything else all banks.
        { 5, 0x77, 8, 0, 3, 8, 0 },      { 10, 0x77, 9, 0, 6, 9, 0 },
        // KT4: 8 a bank, 136 the factory set, 137 all banks, 100 nothing.
        { 8, 0x77, 8, 0, 4, 8, 0 },      { 8, 0x77, 136, 0, 8, 136, 0 }, { 8, 0x77, 137, 0, 7, 137, 0 },
        { 8, 0x77, 100, 0, 0, 100, 0 },  { 8, 0x77, 129, 0, 7, 129, 0 },
        // Orvix III: fewer than 129 a bank, 129 or more all banks.
        { 16, 0x77, 128, 0, 25, 128, 0 }, { 16, 0x77, 129, 0, 26, 129, 0 },
        // Cabs: one, a bank, the 129 gap, all cab banks.
        { 3, 0x7A, 1, 0, 9, 0, 1 },      { 2, 0x7A, 1, 0, 0, 0, 1 },     { 3, 0x7A, 2, 0, 0, 0, 2 },
        { 16, 0x7A, 128, 0, 10, 0, 128 }, { 16, 0x7A, 129, 0, 0, 0, 129 }, { 16, 0x7A, 130, 0, 10, 130, 130 },
        { 8, 0x7A, 130, 0, 11, 130, 130 }, { 6, 0x7A, 130, 0, 0, 130, 130 },
        // By function alone.
        { 16, 0x51, 1, 0, 27, 0, 0 },    { 8, 0x51, 1, 0, 0, 0, 0 },     { 6, 0x61, 1, 0, 13, 0, 0 },
        { 16, 0x61, 1, 0, 29, 0, 0 },    { 10, 0x61, 1, 0, 14, 0, 0 },   { 8, 0x61, 1, 0, 15, 0, 0 },
        { 3, 0x61, 1, 0, 0, 0, 0 },      { 3, 0x6A, 1, 0, 22, 0, 0 },    { 16, 0x6D, 1, 0, 24, 0, 0 },
        { 8, 0x6D, 1, 0, 0, 0, 0 },      { 16, 0x74, 1, 0, 28, 0, 0 },   { 8, 0x74, 1, 0, 0, 0, 0 },
        { 9, 0x75, 1, 0, 20, 0, 0 },     { 7, 0x7D, 1, 0, 16, 0, 0 },    { 4, 0x7D, 1, 0, 17, 0, 0 },
        { 10, 0x7D, 1, 0, 18, 0, 0 },    { 8, 0x7D, 1, 0, 19, 0, 0 },    { 16, 0x7D, 1, 0, 23, 0, 0 },
        { 9, 0x7D, 1, 0, 0, 0, 0 },      { 3, 0x46, 1, 0, 0, 0, 0 },
    };

    for (const auto& c : cases)
    {
        SysExFileCheck::Counts counts;
        const auto file = repeatedHeaders (c.model, c.function, c.count, c.bankByte);
        const auto where = juce::String::formatted ("model %d function %02X count %d bank %d", c.model, c.function, c.count, c.bankByte);

        EXPECT_EQ (SysExFileCheck::classify (file, c.model == 2 ? 4 : c.model, counts), c.kind) << where;
        EXPECT_EQ (counts.presetMessageCount, c.presetCount) << where;
        EXPECT_EQ (counts.cabMessageCount, c.cabCount) << where;
        EXPECT_EQ (SysExFileCheck::classify (file, 255, counts), PayloadKinds::utility) << where;
    }

    SysExFileCheck::Counts counts;
    EXPECT_EQ (SysExFileCheck::classify (juce::MemoryBlock ("\xF0\x00\x01\x74\x03", 5), 3, counts), 0);
}

TEST (SysExFileCheck, WhichDeviceTakesWhichFile)
{
    const auto cabOfModel6 = makeCabDump (6, makeCabWords ("Cab", 1), 3);
    auto markedWords = makeCabWords ("Cab", 1);
    markedWords[7] = (markedWords[7] & 0x00FFFFFFu) | 0xA0000000u;
    const auto markedCab = makeCabDump (6, markedWords, 3);

    struct Case
    {
        juce::MemoryBlock file;
        int device;
        juce::uint32 major;
        bool accepted;
        const char* what;
    };

    const Case cases[] = {
        { repeatedHeaders (16, 0x6D, 1), 16, 1, true, "USB firmware on its own model" },
        { repeatedHeaders (17, 0x6D, 1), 16, 1, false, "USB firmware of another model" },
        { repeatedHeaders (16, 0x6D, 1), 8, 1, false, "USB firmware below model 16" },
        { repeatedHeaders (3, 0x6A, 1), 3, 20, false, "FPGA image, own model" },
        { repeatedHeaders (3, 0x46, 1), 3, 20, false, "preset plus cab, own model" },
        { repeatedHeaders (8, 0x77, 8), 8, 1, true, "own model" },
        { repeatedHeaders (3, 0x7D, 1), 255, 0, true, "Orvix II firmware for the Utility" },
        { repeatedHeaders (3, 0x77, 1), 255, 0, false, "Orvix II preset through the check of a device" },
        { repeatedHeaders (6, 0x7A, 3), 3, 20, false, "cab bank for an Orvix II" },
        { cabOfModel6, 3, 12, true, "an XL cab for an Orvix II" },
        { markedCab, 3, 12, false, "a marked XL cab below firmware 13" },
        { markedCab, 3, 13, true, "a marked XL cab from firmware 13" },
        { repeatedHeaders (6, 0x77, 1, 6), 7, 20, false, "an XL preset-borne system block" },
        { repeatedHeaders (6, 0x7D, 1), 7, 20, false, "firmware of another model" },
        { repeatedHeaders (6, 0x77, 1), 3, 20, false, "an XL preset for an Orvix II" },
        { repeatedHeaders (3, 0x77, 1), 6, 20, true, "an Orvix II preset for an XL" },
        { juce::MemoryBlock ("\xF0\x00\x01\x74\x10", 5), 16, 1, false, "five bytes" },
        { juce::MemoryBlock ("\xF0\x00\x01\x74\x10\x77\x00", 7), 16, 1, false, "seven bytes" },
        { juce::MemoryBlock ("\xF0\x41\x01\x74\x10\x77\x00\x00\xF7", 9), 16, 1, false, "another maker's" },
        { juce::MemoryBlock(), 16, 1, false, "empty" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (SysExFileCheck::checkSysExFile (c.file, c.device, c.major), c.accepted) << c.what;

    // The Utility's own check.
    EXPECT_TRUE (SysExFileCheck::accepts (repeatedHeaders (2, 0x10, 1), 255, 0));
    EXPECT_FALSE (SysExFileCheck::accepts (repeatedHeaders (1, 0x10, 1), 255, 0));
    EXPECT_FALSE (SysExFileCheck::accepts (repeatedHeaders (3, 0x46, 1), 255, 0));
    EXPECT_FALSE (SysExFileCheck::accepts (juce::MemoryBlock ("\xF0\x00\x01\x74\x03\x10", 6), 255, 0));
}

TEST (SysExFileCheck, RefusalTexts)
{
    struct Case
    {
        juce::MemoryBlock file;
        int device;
        juce::String text;
    };

    const Case cases[] = {
        { repeatedHeaders (6, 0x77, 1), 3,
          "The selected file is for a Orvix II XL and is not valid for the Orvix II Original/MK II.\n\nPlease choose a different file." },
        { repeatedHeaders (3, 0x46, 1), 3, "The selected file is not supported by Morvane. Please use Orvix-Edit to transfer this file." },
        { repeatedHeaders (9, 0x77, 1), 16, "The selection does not appear to be a valid file for the Orvix III.\n\nPlease choose a different file." },
        { repeatedHeaders (3, 0x77, 1), 254, "The selection does not appear to be a valid file for the Other.\n\nPlease choose a different file." },
        { juce::MemoryBlock ("\xF0\x00\x01\x74\x03", 5), 8, "The selection does not appear to be a valid file for the KT4.\n\nPlease choose a different file." },
        { juce::MemoryBlock ("\xF0\x00", 2), 255, "The selection does not appear to be a valid file for the Utility.\n\nPlease choose a different file." },
    };

    for (const auto& c : cases)
        EXPECT_EQ (SysExFileCheck::refusalText (c.file, c.device), c.text);
}

/** Whether the sender's cut of the block, by the header of the model, hands out every byte of it
    in whole messages and nothing else.
*/
bool senderTakesEveryByte (const juce::MemoryBlock& block, juce::uint8 model)
{
    SysExStream stream;
    stream.load (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), model);
    juce::MemoryBlock all;
    juce::uint32 messages = 0;

    for (juce::MemoryBlock message; stream.next (message); message.reset(), ++messages)
    {
        if (wholeSysExMessageLength (static_cast<const juce::uint8*> (message.getData()), message.getSize()) != message.getSize())
            return false;

        all.append (message.getData(), message.getSize());
    }

    return all == block && messages == stream.count();
}

TEST (SysExFileCheck, ADamagedFileIsRefusedAsDamagedForADeviceAndTheUtilityGetsOnlyWholeMessages)
{
    const auto bank = makeBankDump (16, 0, 8);
    ASSERT_EQ (splitMessages (bank).size(), 144u);
    ASSERT_TRUE (SysExFileCheck::checkSysExFile (bank, 16, 1));
    ASSERT_TRUE (SysExFileCheck::accepts (bank, 255, 0));
    EXPECT_TRUE (senderTakesEveryByte (bank, 16));

    for (const auto& damaged : damagedCopiesOf (bank, 8))
    {
        SCOPED_TRACE (damaged.what);
        EXPECT_FALSE (SysExFileCheck::checkSysExFile (damaged.file, 16, 1));
        EXPECT_FALSE (SysExFileCheck::accepts (damaged.file, 16, 1));
        EXPECT_EQ (SysExFileCheck::refusalText (damaged.file, 16), SysExFileCheck::cutShortText());
        EXPECT_EQ (SysExFileCheck::accepts (damaged.file, 255, 0), damaged.wholeMessagesForTheUtility);

        if (damaged.wholeMessagesForTheUtility)
            EXPECT_TRUE (senderTakesEveryByte (damaged.file, SysExStream::anySysEx)) << "the Utility sends all of it";
        else
            EXPECT_EQ (SysExFileCheck::refusalText (damaged.file, 255), SysExFileCheck::cutShortText());
    }

    // A message of another maker is the same fault for a device, and whole for the Utility.
    auto withUniversal = bank;
    withUniversal.append ("\xF0\x7E\x00\x06\x01\xF7", 6);
    EXPECT_FALSE (SysExFileCheck::checkSysExFile (withUniversal, 16, 1));
    EXPECT_EQ (SysExFileCheck::refusalText (withUniversal, 16), SysExFileCheck::cutShortText());
    EXPECT_TRUE (SysExFileCheck::accepts (withUniversal, 255, 0));
}

TEST (SysExFileCheck, ACabFileIsTakenOnlyWhenEveryCabReadsForTheDevicesThatRebuildIt)
{
    const auto bank = makeCabBankDump (6, 0, 4);

    // The third cab ends with a CABIR_END whose own checksum holds but whose words' XOR does not.
    auto wrongEnd = bank;
    {
        juce::MemoryBlock rebuilt;
        int cab = 0;

        for (const auto& message : splitMessages (bank))
        {
            auto piece = message;

            if (message[5] == (char) 0x7C && cab++ == 2)
                piece = makeSysExMessage (6, 0x7C, { 1, 2, 3, 4, 5 });

            rebuilt.append (piece.getData(), piece.getSize());
        }

        wrongEnd = rebuilt;
    }

    auto wordsMissing = makeCabBankDump (6, 0, 2);
    const auto shortCab = makeCabDump (6, std::vector<juce::uint32> (100, 7u), 2, 2048);
    wordsMissing.append (shortCab.getData(), shortCab.getSize());

    for (const int device : { 3, 6, 7, 8, 16 })
    {
        SCOPED_TRACE (device);
        EXPECT_EQ (SysExFileCheck::checkSysExFile (bank, device, 20), device != 3) << "an Orvix II takes no cab bank";

        for (const auto* damaged : { &wrongEnd, &wordsMissing })
        {
            EXPECT_FALSE (SysExFileCheck::checkSysExFile (*damaged, device, 20));

            if (device != 3)
            {
                EXPECT_EQ (SysExFileCheck::refusalText (*damaged, device), SysExFileCheck::damagedCabText (device));
            }
        }
    }

    EXPECT_EQ (SysExFileCheck::damagedCabText (8),
               "The selected cab file cannot be sent to the KT4: one of its cabs is damaged (its data does not match "
               "the size or checksum that the cab announces).\n\nPlease choose a different file.");

    // The Utility sends the file unchanged and reads no cab.
    EXPECT_TRUE (SysExFileCheck::accepts (wrongEnd, 255, 0));
}
TEST (SysExFileCheck, AValidCabFileOfTheDevicesOwnModelGoesOutAsItIs)
{
    // Each file names the slot the destination gives, so the cabs rebuilt for the device must be
    // the file's own bytes: a device, and a file later read back, rely on the dump as it was made.
    struct Case
    {
        int model;
        PayloadKind kind;
        int cabs;
    };

    const Case cases[] = {
        { 3, PayloadKinds::cabIR, 1 },    { 6, PayloadKinds::cabIR, 1 },    { 7, PayloadKinds::cabIR, 1 },
        { 8, PayloadKinds::cabIR, 1 },    { 16, PayloadKinds::cabIR, 1 },
        { 6, PayloadKinds::cabBank, 3 },  { 7, PayloadKinds::cabBank, 128 }, { 8, PayloadKinds::cabBank, 3 },
        { 16, PayloadKinds::cabBank, 3 }, { 16, PayloadKinds::cabBank, 300 },
        { 8, PayloadKinds::kt4AllCabBanks, 512 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("model " + juce::String (c.model) + ", " + juce::String (c.cabs) + " cabs");
        const auto model = (juce::uint8) c.model;

        SendPlan::Device device;
        device.model = c.model;
        device.version.major = 20;
        device.version.version = 20.0;
        device.version.model = model;
        device.systemInfo.fields[2] = 512;

        // A user location: the fifth cab, or the second bank (an Orvix III user bank from slot 2048).
        SendPlan::Choices choices;
        choices.destinationMode = 2;
        choices.destinationSlot = 5;
        choices.userBankIndex = 0;
        choices.userSlotValue = 5;
        choices.destinationBank = 1;
        choices.destinationChosen = true;

        juce::MemoryBlock file;

        if (c.kind == PayloadKinds::cabIR)
            file = makeCabDump (model, makeCabWords ("Own " + juce::String (c.model), 40u + (juce::uint32) c.model),
                                c.model == 16 ? 2048 + 4 : 4);
        else if (c.kind == PayloadKinds::cabBank)
            file = makeCabBankDump (model, c.model == 16 ? 2048 + 1024 : 128, c.cabs);
        else
            file = makeCabBankDump (model, 0, c.cabs);

        SysExFileCheck::Counts counts;
        ASSERT_EQ (SysExFileCheck::classify (file, c.model, counts), c.kind);
        ASSERT_TRUE (SysExFileCheck::checkSysExFile (file, c.model, 20));

        const auto gate = SendPlan::gateFor (c.model, c.kind, 20);
        ASSERT_NE (gate, SendPlan::Gate::notSent);

        const auto result = SendPlan::prepare (file, c.kind, device, choices);
        ASSERT_TRUE (result.send) << result.errorText;
        EXPECT_EQ (result.data.getSize(), file.getSize());
        EXPECT_TRUE (result.data == file) << "every byte as the file holds it";
    }
}
} // namespace
