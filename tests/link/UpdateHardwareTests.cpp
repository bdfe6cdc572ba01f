#include "DumpBuilders.h"
#include "LinkTestRig.h"
#include "ManualLinkClock.h"
#include "MessageLoop.h"
#include "UpdateHardware.h"

#include <gtest/gtest.h>

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;
namespace dumps = morvane::test;

namespace
{
    using Settings = UpdateHardware::KindSettings;

    juce::MemoryBlock systemFile()
    {
        return dumps::makeBankDump (6, 0, 1);
    }

    TransferState runToEnd (UpdateHardware& sender)
    {
        sender.startThread (juce::Thread::Priority::low);
        EXPECT_TRUE (sender.waitForThreadToExit (20000));
        return sender.getTransferState();
    }
} // namespace

TEST (UpdateHardwareKinds, FirmwareKindsGetTheirLeadInOnlyWhenAskedFor)
{
    for (auto kind : { 16, 18, 19 })
    {
        EXPECT_EQ (UpdateHardware::getKindSettings (kind, true).leadInFunction, 0x25) << "kind " << kind;
        EXPECT_EQ (UpdateHardware::getKindSettings (kind, false).leadInFunction, 0) << "kind " << kind;
    }

    EXPECT_EQ (UpdateHardware::getKindSettings (22, true).leadInFunction, 0x26);
    EXPECT_EQ (UpdateHardware::getKindSettings (22, false).leadInFunction, 0);

    for (PayloadKind kind = 0; kind <= 30; ++kind)
    {
        if (kind != 16 && kind != 18 && kind != 19 && kind != 22)
        {
            EXPECT_EQ (UpdateHardware::getKindSettings (kind, true).leadInFunction, 0) << "kind " << kind;
        }
    }
}

TEST (UpdateHardwareKinds, SystemFilesWaitLongerAndOrvixIIIFirmwareEndsWaitLongest)
{
    EXPECT_EQ (UpdateHardware::getKindSettings (13, false).replyTimeoutMs, 9000u);
    EXPECT_EQ (UpdateHardware::getKindSettings (14, true).replyTimeoutMs, 15000u);

    EXPECT_EQ (UpdateHardware::getKindSettings (23, false).longTimeoutFunction, 0x7F);
    EXPECT_EQ (UpdateHardware::getKindSettings (24, false).longTimeoutFunction, 0x6F);
    EXPECT_EQ (UpdateHardware::longReplyTimeoutMs, 60000u);

    for (PayloadKind kind = 0; kind <= 30; ++kind)
    {
        const auto settings = UpdateHardware::getKindSettings (kind, true);

        if (kind != 13 && kind != 14)
        {
            EXPECT_EQ (settings.replyTimeoutMs, 3000u) << "kind " << kind;
        }

        if (kind != 23 && kind != 24)
        {
            EXPECT_EQ (settings.longTimeoutFunction, 0) << "kind " << kind;
        }
    }
}

//==============================================================================
// A sender without an owning link loads and starts, but its ticks send nothing: enough to follow
// the state that the console polls.

TEST (UpdateHardwareState, IsThisSendsOwnFromTheStartNeverAnEarlierEndState)
{
    SysExMultiMsgTimer timer;
    const auto data = systemFile();

    {
        UpdateHardware earlier (&timer, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                                6, 0, false, PayloadKinds::orvixIIXLSystem);
        EXPECT_EQ (runToEnd (earlier), TransferStates::running);
        ASSERT_TRUE (timer.stop());
        EXPECT_EQ (earlier.getTransferState(), TransferStates::stopped);
    }

    UpdateHardware next (&timer, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                         6, 0, false, PayloadKinds::preset);

    // Not yet started: running with no progress, not the earlier transfer's end state.
    EXPECT_EQ (next.getTransferState(), TransferStates::running);
    EXPECT_EQ (next.getProgress(), 0.0);

    EXPECT_EQ (runToEnd (next), TransferStates::running);
    EXPECT_EQ (timer.getDefaultReplyTimeout(), 3000u);
    timer.stop();
}

TEST (UpdateHardwareState, DataThatCannotBeLoadedIsReportedAsFailed)
{
    SysExMultiMsgTimer timer;
    const auto data = systemFile();

    UpdateHardware earlier (&timer, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                            6, 0, false, PayloadKinds::orvixIIXLSystem);
    runToEnd (earlier);
    timer.stop();

    UpdateHardware withoutData (&timer, nullptr, 0, 6, 0, false, PayloadKinds::preset);
    EXPECT_EQ (runToEnd (withoutData), TransferStates::requestFailed);
    EXPECT_EQ (withoutData.getProgress(), 0.0);

    UpdateHardware withoutTimer (nullptr, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                                 6, 0, false, PayloadKinds::preset);
    EXPECT_EQ (runToEnd (withoutTimer), TransferStates::requestFailed);
}

TEST (UpdateHardwareState, LeavesATransferThatIsStillRunningAlone)
{
    SysExMultiMsgTimer timer;
    const auto data = systemFile();

    UpdateHardware running (&timer, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                            6, 0, false, PayloadKinds::lm6System);
    runToEnd (running);
    ASSERT_EQ (timer.getState(), TransferStates::running);

    UpdateHardware second (&timer, static_cast<const juce::uint8*> (data.getData()), (juce::uint32) data.getSize(),
                           6, 0, false, PayloadKinds::orvixIIIFirmware);
    EXPECT_EQ (runToEnd (second), TransferStates::requestFailed);

    // The running transfer keeps its settings and goes on.
    EXPECT_EQ (timer.getState(), TransferStates::running);
    EXPECT_EQ (timer.getDefaultReplyTimeout(), 15000u);
    EXPECT_EQ (timer.findFunctionTimeout (0x7F), -1);
    timer.stop();
}

//==============================================================================
// Sends to a simulated device on virtual ports, through the link's own paced sender.

namespace
{
    using Rig = morvane::test::LinkRig<MidiProcessing>;

    /** A firmware file: a start message, some data messages, the end message. */
    juce::MemoryBlock firmwareFile (juce::uint8 model, int dataMessages)
    {
        juce::MemoryBlock file;
        const auto add = [&file] (const juce::MemoryBlock& message) { file.append (message.getData(), message.getSize()); };

        add (dumps::makeSysExMessage (model, 0x7D, { 0x01, 0x02, 0x03 }));

        for (int i = 0; i < dataMessages; ++i)
            add (dumps::makeSysExMessage (model, 0x7E, dumps::Bytes (32, (juce::uint8) i)));

        add (dumps::makeSysExMessage (model, 0x7F, { 0x00 }));
        return file;
    }

    /** Runs one send the way the console does and returns its sender. */
    std::unique_ptr<UpdateHardware> startSend (Rig& rig, const juce::MemoryBlock& file, PayloadKind kind, bool leadIn)
    {
        auto sender = std::make_unique<UpdateHardware> (&rig.link->getMultiMsgTimer(),
                                                        static_cast<const juce::uint8*> (file.getData()),
                                                        (juce::uint32) file.getSize(),
                                                        rig.device->getModel(), 0, leadIn, kind);
        sender->startThread (juce::Thread::Priority::low);
        return sender;
    }

    bool hasEnded (const UpdateHardware& sender)
    {
        const auto state = sender.getTransferState();
        return state >= TransferStates::stopped;
    }

    std::vector<int> functionsReceived (const morvane::test::SimulatedDevice& device)
    {
        std::vector<int> functions;

        for (const auto& message : device.getReceived())
            functions.push_back (message.getRawDataSize() > 5 ? message.getRawData()[5] : -1);

        return functions;
    }

    /** A handler under which the device does not answer messages of one function. */
    void silenceFunction (Rig& rig, juce::uint8 functionId)
    {
        rig.device->setReplyHandler (functionId, [] (const juce::MidiMessage&, const morvane::test::SimulatedDevice::Emit&) {});
    }
} // namespace

TEST (UpdateHardwareSend, TheLeadInGoesFirstAndOnlyWithTheFirmwareItBelongsTo)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());
    const auto firmware = firmwareFile (3, 3);

    auto send = startSend (rig, firmware, PayloadKinds::orvixIIFirmware, true);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*send); }, 20000));
    EXPECT_EQ (send->getTransferState(), TransferStates::finished);
    EXPECT_EQ (functionsReceived (*rig.device), (std::vector<int> { 0x25, 0x7D, 0x7E, 0x7E, 0x7E, 0x7F }));

    // The same kind without the flag, then a plain preset after the firmware: no lead-in.
    auto again = startSend (rig, firmware, PayloadKinds::orvixIIFirmware, false);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*again); }, 20000));

    const auto preset = dumps::makePresetDump (3, dumps::makePresetWords (3, "Clean", 1), 0);
    auto presetSend = startSend (rig, preset, PayloadKinds::preset, true);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*presetSend); }, 20000));
    EXPECT_EQ (presetSend->getTransferState(), TransferStates::finished);
    EXPECT_DOUBLE_EQ (presetSend->getProgress(), 0.9999);

    const auto functions = functionsReceived (*rig.device);
    ASSERT_EQ (functions.size(), 6u + 5u + 34u);
    EXPECT_EQ (std::count (functions.begin(), functions.end(), 0x25), 1);
    EXPECT_EQ (functions[6], 0x7D);
    EXPECT_EQ (functions[11], 0x77);
    EXPECT_EQ (functions.back(), 0x79);
}

TEST (UpdateHardwareSend, AnFpgaImageIsLedInBySysExFpgaUpdate)
{
    Rig rig (6);
    ASSERT_TRUE (rig.connect());

    juce::MemoryBlock image = dumps::makeSysExMessage (6, 0x6A, { 0x00 });
    image.append (dumps::makeSysExMessage (6, 0x6C, { 0x00 }).getData(), 8 + 1);

    auto send = startSend (rig, image, PayloadKinds::fpgaImage, true);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*send); }, 20000));
    EXPECT_EQ (send->getTransferState(), TransferStates::finished);
    EXPECT_EQ (functionsReceived (*rig.device), (std::vector<int> { 0x26, 0x6A, 0x6C }));

    // Built for the current device model, without payload.
    const auto leadIn = rig.device->getReceived().front();
    ASSERT_EQ (leadIn.getRawDataSize(), 8);
    EXPECT_EQ (leadIn.getRawData()[4], 6);
}

TEST (UpdateHardwareSend, OnlyTheOrvixIIIFirmwaresFinalMessageWaitsSixtySeconds)
{
    ManualLinkClock clock;
    Rig rig (16);
    ASSERT_TRUE (rig.connect());
    silenceFunction (rig, 0x7F);
    const auto firmware = firmwareFile (16, 2);

    auto send = startSend (rig, firmware, PayloadKinds::orvixIIIFirmware, false);
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount (0x7F) == 1; }, 20000));

    // The worker checks a time-out at least once a second; give it that long after each step.
    clock.advance (59000);
    runMessageLoopFor (1500);
    EXPECT_EQ (send->getTransferState(), TransferStates::running);

    clock.advance (1001);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*send); }, 20000));
    EXPECT_EQ (send->getTransferState(), TransferStates::requestFailed);

    // Its other messages keep the default: a silent data message fails after 3000 ms.
    rig.device->setReplyHandler (0x7F, nullptr);
    silenceFunction (rig, 0x7E);
    auto dataSilent = startSend (rig, firmware, PayloadKinds::orvixIIIFirmware, false);
    const auto dataBefore = rig.device->getReceivedCount (0x7E);
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount (0x7E) == dataBefore + 1; }, 20000));
    clock.advance (3001);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*dataSilent); }, 20000));
    EXPECT_EQ (dataSilent->getTransferState(), TransferStates::requestFailed);

    // A later send of another kind does not inherit the long time-out.
    rig.device->setReplyHandler (0x7E, nullptr);
    silenceFunction (rig, 0x7F);
    auto later = startSend (rig, firmware, PayloadKinds::orvixIIFirmware, false);
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount (0x7F) == 2; }, 20000));
    clock.advance (3001);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*later); }, 20000));
    EXPECT_EQ (later->getTransferState(), TransferStates::requestFailed);
}

TEST (UpdateHardwareSend, AnLM6SystemFileWaitsFifteenSecondsForEachReply)
{
    ManualLinkClock clock;
    Rig rig (5);
    ASSERT_TRUE (rig.connect());
    rig.device->setSilentAfterReplies (1);

    juce::MemoryBlock file = dumps::makeSysExMessage (5, 0x61, { 0x00, 0x01, 0x00 });
    const auto data = dumps::makeSysExMessage (5, 0x62, dumps::Bytes (16, 1));
    file.append (data.getData(), data.getSize());

    auto send = startSend (rig, file, PayloadKinds::lm6System, false);
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount (0x62) == 1; }, 20000));

    clock.advance (14500);
    runMessageLoopFor (1500);
    EXPECT_EQ (send->getTransferState(), TransferStates::running);

    clock.advance (501);
    ASSERT_TRUE (rig.runUntil ([&] { return hasEnded (*send); }, 20000));
    EXPECT_EQ (send->getTransferState(), TransferStates::requestFailed);
}
