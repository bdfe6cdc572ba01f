#include "BackupJobType.h"
#include "DumpBuilders.h"
#include "PayloadKind.h"
#include "RealPortRig.h"
#include "ReceiveThread.h"
#include "SysExBuilders.h"
#include "SysExRequest.h"
#include "UpdateHardware.h"

#include <gtest/gtest.h>

using morvane::test::GuestPorts;
using morvane::test::RealPortRig;
namespace dumps = morvane::test;

namespace
{
    std::vector<juce::MidiMessage> toMessages (const juce::MemoryBlock& block)
    {
        std::vector<juce::MidiMessage> messages;

        for (const auto& message : dumps::splitMessages (block))
            messages.emplace_back (message.getData(), (int) message.getSize());

        return messages;
    }

    juce::MemoryBlock joined (const std::vector<juce::MidiMessage>& messages)
    {
        juce::MemoryBlock block;

        for (const auto& message : messages)
            block.append (message.getRawData(), (size_t) message.getRawDataSize());

        return block;
    }

    bool isFinal (ReceiveResult result)
    {
        return result == ReceiveResults::written || result == ReceiveResults::requestFailed
               || result == ReceiveResults::writeFailed;
    }

    bool hasEnded (const UpdateHardware& sender)
    {
        return sender.getTransferState() >= TransferStates::stopped;
    }

    /** A backup folder of its own for each test. */
    class RealPortBackup : public ::testing::Test
    {
    protected:
        void TearDown() override { folder.deleteRecursively(); }

        /** Queues the request, runs a ReceiveThread on it as the console does, returns the result. */
        ReceiveResult runJob (RealPortRig& rig, SysExRequest& request, BackupJobType jobType, juce::uint16 number = 0)
        {
            EXPECT_TRUE (rig.link->enqueueRequest (&request));

            ReceiveThread thread (&request, &progress, folder.getFullPathName(), jobType, number, "261207-080000");
            thread.startThread();
            EXPECT_TRUE (RealPortRig::runUntil ([&] { return isFinal (thread.getResult()); }, 180000));
            thread.getSavedFile (savedFile);
            return thread.getResult();
        }

        juce::File folder { juce::File::getSpecialLocation (juce::File::tempDirectory)
                                .getNonexistentChildFile ("realport-backup", {}) };
        std::atomic<double> progress { 0.0 };
        juce::File savedFile;
    };

    /** Runs one send the way the console does. */
    std::unique_ptr<UpdateHardware> startSend (RealPortRig& rig, const juce::MemoryBlock& file, juce::uint8 model,
                                               PayloadKind kind, juce::uint32 intervalMs)
    {
        auto sender = std::make_unique<UpdateHardware> (&rig.link->getMultiMsgTimer(),
                                                        static_cast<const juce::uint8*> (file.getData()),
                                                        (juce::uint32) file.getSize(), model, intervalMs, false, kind);
        sender->startThread (juce::Thread::Priority::low);
        return sender;
    }
} // namespace

//==============================================================================
TEST (RealPorts, AreListedChosenByNameOpenedByIdentifierAndReopened)
{
    RealPortRig rig (3);
    rig.link->timerCallback();
    auto& ports = rig.link->getPortManager();

    // The kernel's ports in its own order, on both sides; JUCE names them by their port names.
    for (const auto& names : { ports.getInputNames(), ports.getOutputNames() })
    {
        EXPECT_EQ (names.indexOf (GuestPorts::through), 0) << names.joinIntoString (", ").toStdString();
        EXPECT_EQ (names.indexOf ("VirMIDI 0-0"), 1);
        EXPECT_EQ (names.indexOf ("VirMIDI 0-3"), 4);

        // The console's choice: the first name that holds the pattern, ignoring case. No kernel
        // port carries a device's USB name, so a device's own pattern chooses nothing here.
        EXPECT_EQ (DeviceRules::findPortByPattern (names, "virmidi 0-2"), 3);
        EXPECT_EQ (DeviceRules::findPortByPattern (names, DeviceRules::portPattern (3)), -1);
        EXPECT_EQ (DeviceRules::findPortByPattern (names, DeviceRules::portPattern (16)), -1);
    }

    // JuceMidiPortBackend opens the listed device by its identifier (client-port).
    const auto devices = JuceMidiPortBackend().getAvailableInputs();
    ASSERT_GE (devices.size(), 5);
    EXPECT_EQ (devices[1].name, "VirMIDI 0-0");
    EXPECT_TRUE (devices[1].identifier.matchesWildcard ("*-0", false)) << devices[1].identifier;

    ASSERT_TRUE (rig.connect());

    // The program's sequencer client receives into the kernel's largest input pool, not the
    // default 200 cells that one long message or a short burst overflows.
    const auto clients = juce::File ("/proc/asound/seq/clients").loadFileAsString();
    const auto ours = clients.fromFirstOccurrenceOf ("[User", false, false);
    EXPECT_TRUE (ours.fromFirstOccurrenceOf ("Input pool", false, false)
                     .upToFirstOccurrenceOf ("Cells in use", false, false)
                     .contains (": " + juce::String (JuceMidiPortBackend::sequencerInputPoolCells)))
        << clients;

    juce::String opened;
    ASSERT_TRUE (ports.getInputName (opened));
    EXPECT_EQ (opened, "VirMIDI 0-0");
    EXPECT_TRUE (ports.isInputPresent());
    EXPECT_TRUE (ports.isOutputPresent());

    // Closed and opened again, the port still reaches the device both ways.
    for (int round = 0; round < 2; ++round)
    {
        EXPECT_TRUE (rig.link->closeInputPort());
        EXPECT_TRUE (rig.link->closeOutputPort());
        EXPECT_FALSE (ports.isInputPresent());
        ASSERT_TRUE (rig.connect ("VirMIDI 0-0"));

        SysExRequest query (3000);
        juce::MidiMessage message;
        buildSysExMessage (message, 0x08, nullptr, 0, 3);
        query.setMessage (message);
        query.setExpectedReplies (1);
        ASSERT_TRUE (rig.link->enqueueRequest (&query));
        ASSERT_TRUE (RealPortRig::runUntil ([&] { return query.getState() != 0; }));
        EXPECT_EQ (query.getState(), SysExRequest::complete) << "round " << round;
        EXPECT_EQ (query.getReplyCount(), 1);
    }
}

TEST_F (RealPortBackup, APresetArrivesAndIsWrittenByteForByte)
{
    // Orvix III preset data messages are the largest that a device sends: over 3 KB each.
    RealPortRig rig (16);
    const auto dump = dumps::makePresetDump (16, dumps::makePresetWords (16, "Lead", 5), 3);
    rig.device().setReplyGenerator (0x03, [dump] (const juce::MidiMessage&) { return toMessages (dump); });
    ASSERT_TRUE (rig.connect());

    SysExRequest request (3000);
    const juce::uint32 preset[3] = { 0, 3, 1 };
    ASSERT_TRUE (buildPatchDumpRequest (&request, preset));

    EXPECT_EQ (runJob (rig, request, BackupJobTypes::orvixIIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile, folder.getChildFile ("Lead.syx"));

    juce::MemoryBlock written;
    ASSERT_TRUE (savedFile.loadFileAsData (written));
    EXPECT_EQ (written, dump);
}

TEST_F (RealPortBackup, AWholeBankArrivesAndIsWrittenByteForByte)
{
    RealPortRig rig (3);
    ASSERT_TRUE (rig.connect());

    SysExRequest request (3000);
    const juce::uint32 bank = 2;
    ASSERT_TRUE (buildBankDumpRequest (&request, &bank));
    const auto expected = joined (rig.device().defaultRepliesTo (request.getMessage()));

    EXPECT_EQ (runJob (rig, request, BackupJobTypes::orvixIIBankA + 2), ReceiveResults::written);
    EXPECT_EQ (request.getReplyCount(), 34 * 128);

    juce::MemoryBlock written;
    ASSERT_TRUE (folder.getChildFile ("261207-080000-bank-C.syx").loadFileAsData (written));
    EXPECT_EQ (written.getSize(), expected.getSize());
    EXPECT_TRUE (written == expected);
}

//==============================================================================
TEST (RealPortSend, PresetsAndCabsAreAcknowledgedMessageByMessage)
{
    struct Case
    {
        juce::uint8 model;
        PayloadKind kind;
        juce::MemoryBlock file;
    };

    const Case cases[] = {
        { 3, PayloadKinds::preset, dumps::makePresetDump (3, dumps::makePresetWords (3, "Clean", 1), 0) },
        { 16, PayloadKinds::preset, dumps::makePresetDump (16, dumps::makePresetWords (16, "Big", 2), 0) },
        { 16, PayloadKinds::cabIR, dumps::makeCabDump (16, dumps::makeCabWords ("Room", 3), 1) },
        { 8, PayloadKinds::cabIR, dumps::makeCabDump (8, dumps::makeCabWords ("Hall", 4), 2) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("model " + std::to_string (c.model) + ", kind " + std::to_string (c.kind));
        RealPortRig rig (c.model);
        ASSERT_TRUE (rig.connect());

        auto send = startSend (rig, c.file, c.model, c.kind, 0);
        ASSERT_TRUE (RealPortRig::runUntil ([&] { return hasEnded (*send); }));
        EXPECT_EQ (send->getTransferState(), TransferStates::finished);

        // Each message went out only after the one before was acknowledged, and arrived whole.
        const auto expected = toMessages (c.file);
        EXPECT_EQ (rig.device().getPacedMessageCount(), (int) expected.size());
        EXPECT_TRUE (joined (rig.device().getReceived()) == c.file);
    }
}

TEST (RealPortSend, AUtilityFileOfManyMessagesArrivesCompleteAtItsPacing)
{
    // Two Orvix III presets and a cab: 46 messages, over 100 KB, sent by the Utility as they stand.
    RealPortRig rig (16);
    ASSERT_TRUE (rig.connect());
    auto file = dumps::makeBankDump (16, 0, 2);
    const auto cab = dumps::makeCabDump (16, dumps::makeCabWords ("Room", 3), 1);
    file.append (cab.getData(), cab.getSize());
    ASSERT_GE (file.getSize(), 100u * 1024u);
    const auto messages = toMessages (file);
    const juce::uint32 intervalMs = 300;

    currentDeviceModel = DeviceRules::utilityModel;
    const auto started = juce::Time::getMillisecondCounter();
    auto send = startSend (rig, file, DeviceRules::utilityModel, PayloadKinds::utility, intervalMs);
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return hasEnded (*send); }, 120000));
    const auto elapsed = juce::Time::getMillisecondCounter() - started;

    EXPECT_EQ (send->getTransferState(), TransferStates::finished);
    EXPECT_EQ (rig.device().getPacedMessageCount(), (int) messages.size());
    EXPECT_TRUE (joined (rig.device().getReceived()) == file);

    // One message per tick: never faster than the pacing allows.
    EXPECT_GE (elapsed, (messages.size() - 1) * intervalMs);
}

TEST (RealPortSend, ADeviceFallingSilentMidTransferEndsAsNoResponse)
{
    RealPortRig rig (3);
    ASSERT_TRUE (rig.connect());
    rig.device().setSilentAfterReplies (5);
    const auto file = dumps::makePresetDump (3, dumps::makePresetWords (3, "Clean", 1), 0);

    auto send = startSend (rig, file, 3, PayloadKinds::preset, 0);
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return hasEnded (*send); }));
    EXPECT_EQ (send->getTransferState(), TransferStates::requestFailed);
    EXPECT_EQ (rig.device().getPacedMessageCount(), 6);
}
