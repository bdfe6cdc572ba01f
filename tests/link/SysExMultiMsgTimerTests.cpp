#include "LinkTestRig.h"
#include "ManualLinkClock.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
    using SteppedRig = LinkRig<SteppedMidiProcessing>;

    /** count messages of the device's model: PATCH_START, PATCH_DATA..., PATCH_END. */
    juce::MemoryBlock makeBlock (juce::uint8 model, int count)
    {
        juce::MemoryBlock block;

        for (int i = 0; i < count; ++i)
        {
            const juce::uint8 function = i == 0 ? 0x77 : (i == count - 1 ? 0x79 : 0x78);
            const auto message = SimulatedDevice::makeMessage (model, function, { (juce::uint8) i, 0x10, 0x20 });
            block.append (message.getRawData(), (size_t) message.getRawDataSize());
        }

        return block;
    }

    bool load (SysExMultiMsgTimer& sender, const juce::MemoryBlock& block, juce::uint8 model)
    {
        return sender.loadMessages (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), model);
    }

    /** Runs ticks and worker passes until the transfer has ended. */
    TransferState runToEnd (SteppedRig& rig, int timeoutMs = 20000)
    {
        auto& sender = rig.link->getMultiMsgTimer();
        rig.runUntil ([&] { return sender.getState() != TransferStates::running; }, timeoutMs);
        return sender.getState();
    }
} // namespace

TEST (SysExMultiMsgTimer, SendsOneMessageAtATimeWithTheProgressOfTheMessagesBeforeIt)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    const auto block = makeBlock (3, 10);

    ASSERT_TRUE (load (sender, block, 3));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (sender.getState(), TransferStates::running);

    std::vector<double> seen { sender.getProgress() };
    int mostInFlight = 0;

    rig.runUntil ([&]
    {
        if (sender.getProgress() != seen.back())
            seen.push_back (sender.getProgress());

        mostInFlight = juce::jmax (mostInFlight, rig.device->getReceivedCount() - rig.device->getPacedMessageCount());
        return sender.getState() != TransferStates::running;
    });

    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (sender.getResultCode(), 0u);
    EXPECT_EQ (seen, (std::vector<double> { 0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9999 }));
    EXPECT_LE (mostInFlight, 1);

    // The device got the block's messages, whole and in order.
    juce::MemoryBlock received;

    for (const auto& message : rig.device->getReceived())
        received.append (message.getRawData(), (size_t) message.getRawDataSize());

    EXPECT_EQ (received, block);
}

TEST (SysExMultiMsgTimer, SendsTheLeadInFirstAndTheBlockOnlyOnceItIsAnswered)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (6);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();

    const auto leadIn = SimulatedDevice::makeMessage (6, 0x25, {});
    sender.setFirstMessage (&leadIn);
    ASSERT_TRUE (load (sender, makeBlock (6, 4), 6));
    ASSERT_TRUE (sender.start (0));

    // Worker passes until the lead-in goes: the block waits for its answer, which no pass takes yet.
    ASSERT_TRUE (runMessageLoopUntil ([&] { rig.link->receiveAndDispatch(); return rig.device->getReceivedCount() > 0; }));
    runMessageLoopFor (30);
    ASSERT_EQ (rig.device->getReceivedCount(), 1);
    EXPECT_EQ (rig.device->getReceived()[0].getRawData()[5], 0x25);

    std::vector<double> seen { sender.getProgress() };
    rig.runUntil ([&]
    {
        if (sender.getProgress() != seen.back())
            seen.push_back (sender.getProgress());

        return sender.getState() != TransferStates::running;
    });

    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 5);
    EXPECT_EQ (seen, (std::vector<double> { 0.0, 0.25, 0.5, 0.9999 }));

    // A later transfer without a lead-in sends only the block.
    sender.setFirstMessage (nullptr);
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 9);
    EXPECT_EQ (rig.device->getReceived()[5].getRawData()[5], 0x77);
}

TEST (SysExMultiMsgTimer, TheWorkerSendsTheNextMessageInThePassThatTakesTheAnswer)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    auto& link = *rig.link;

    // No message loop runs here: no tick and no message-thread step comes in between.
    ASSERT_TRUE (load (sender, makeBlock (3, 4), 3));
    ASSERT_TRUE (sender.start (0));
    sender.timerCallback();
    link.receiveAndDispatch();
    ASSERT_EQ (rig.device->getReceivedCount(), 1);

    for (int sent = 2; sent <= 4; ++sent)
    {
        rig.settleQuietly();
        link.receiveAndDispatch();
        EXPECT_EQ (rig.device->getReceivedCount(), sent);
    }

    rig.settleQuietly();
    link.receiveAndDispatch();
    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (rig.device->getPacedMessageCount(), 4);

    // With an interval, the tick that counts it sends the next message, never the pass that
    // takes an earlier answer.
    ASSERT_TRUE (sender.start (1000));
    sender.timerCallback();
    link.receiveAndDispatch();
    rig.settleQuietly();
    link.receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 5);
    sender.timerCallback();
    link.receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 6);
}

TEST (SysExMultiMsgTimer, APauseOrStopHoldsBackTheMessageTheWorkerWouldSendNext)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    auto& link = *rig.link;

    ASSERT_TRUE (load (sender, makeBlock (3, 4), 3));
    ASSERT_TRUE (sender.start (0));
    sender.timerCallback();
    link.receiveAndDispatch();
    rig.settleQuietly();

    // Paused while the answer waits: the pass that takes it sends nothing; the resumed
    // transfer's tick sends the next message.
    ASSERT_TRUE (sender.pause (true));
    link.receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 1);
    ASSERT_TRUE (sender.pause (false));
    sender.timerCallback();
    link.receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 2);

    // Stopped while the answer waits: nothing more goes out.
    rig.settleQuietly();
    ASSERT_TRUE (sender.stop());
    link.receiveAndDispatch();
    runMessageLoopFor (30);
    link.receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 2);
    EXPECT_EQ (sender.getState(), TransferStates::stopped);
}

TEST (SysExMultiMsgTimer, AcceptedResultCodesHoldForOneTransferOnly)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (16);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    const auto block = makeBlock (16, 5);

    // Code 5 for the third message, accepted: the transfer goes on.
    rig.device->setResultCodeForMessage (3, 5);
    sender.addAcceptedResultCode (5);
    ASSERT_TRUE (load (sender, block, 16));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (sender.getResultCode(), 0u);
    EXPECT_EQ (rig.device->getPacedMessageCount(), 5);

    // The next transfer did not accept it: it ends at the third message with the code.
    rig.device->setResultCodeForMessage (8, 5);
    ASSERT_TRUE (load (sender, block, 16));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::deviceError);
    EXPECT_EQ (sender.getResultCode(), 5u);
    EXPECT_EQ (rig.device->getPacedMessageCount(), 8);

    // And any other code ends a transfer too; a new start clears the code.
    rig.device->setResultCodeForMessage (9, 25);
    sender.addAcceptedResultCode (5);
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (sender.getResultCode(), 0u);
    EXPECT_EQ (runToEnd (rig), TransferStates::deviceError);
    EXPECT_EQ (sender.getResultCode(), 25u);
}

TEST (SysExMultiMsgTimer, NoReplyModeHoldsForOneTransferOnly)
{
    SteppedRig rig (2);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    rig.device->setSilent (true);
    sender.setDefaultReplyTimeout (100);

    // A QMR-303 send: nothing is awaited, every message goes out at the pace of the ticks.
    sender.setNoReplyMode();
    ASSERT_TRUE (load (sender, makeBlock (2, 6), 2));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 6);

    // The next send (an Orvix, say) awaits its acknowledgements again.
    ASSERT_TRUE (load (sender, makeBlock (2, 6), 2));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::requestFailed);
    EXPECT_EQ (rig.device->getReceivedCount(), 7);
}

TEST (SysExMultiMsgTimer, FunctionTimeOutsHoldForOneTransferOnly)
{
    ManualLinkClock clock (100000);
    SteppedRig rig (16);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();

    // The device takes its time over the end of a firmware image (it never answers here).
    rig.device->setReplyHandler (0x7F, [] (const juce::MidiMessage&, const SimulatedDevice::Emit&) {});

    juce::MemoryBlock firmware;

    for (const juce::uint8 function : { 0x7D, 0x7E, 0x7F })
    {
        const auto message = SimulatedDevice::makeMessage (16, function, { 1, 2, 3 });
        firmware.append (message.getRawData(), (size_t) message.getRawDataSize());
    }

    sender.setDefaultReplyTimeout (3000);
    sender.addFunctionTimeout (0x7F, 60000);
    sender.addFunctionTimeout (0x7F, 10);
    ASSERT_EQ (sender.findFunctionTimeout (0x7F), 0);
    EXPECT_EQ (sender.getFunctionTimeout (0).timeoutMs, 60000u) << "an existing entry is kept";
    EXPECT_EQ (sender.getFunctionTimeout (1).functionId, 0);
    EXPECT_EQ (sender.findFunctionTimeout (0x7E), -1);

    ASSERT_TRUE (load (sender, firmware, 16));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (sender.findFunctionTimeout (0x7F), -1) << "taken by the transfer";

    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount() == 3; }));
    clock.advance (3001);
    rig.runUntil ([] { return false; }, 50);
    EXPECT_EQ (sender.getState(), TransferStates::running) << "the end of the image may take a minute";

    clock.advance (57000);
    EXPECT_EQ (runToEnd (rig), TransferStates::requestFailed);

    // Sent again without the long time-out: the default applies.
    ASSERT_TRUE (sender.start (0));
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount() == 6; }));
    clock.advance (3001);
    EXPECT_EQ (runToEnd (rig), TransferStates::requestFailed);
}

TEST (SysExMultiMsgTimer, ANewSendRightAfterCancelKeepsTheRequestTheWorkerStillHolds)
{
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    sender.setDefaultReplyTimeout (200);
    rig.device->setSilent (true);

    ASSERT_TRUE (load (sender, makeBlock (3, 3), 3));
    ASSERT_TRUE (sender.start (0));
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount() == 1; }));
    rig.settle();

    // Cancel, then at once another send, while the first message's request is still with the
    // worker (the sanitizers would see it used after being freed).
    ASSERT_TRUE (sender.stop());
    EXPECT_EQ (sender.getState(), TransferStates::stopped);
    ASSERT_TRUE (load (sender, makeBlock (3, 4), 3));
    ASSERT_TRUE (sender.start (0));
    rig.device->setSilent (false);

    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 5);
    EXPECT_EQ (rig.device->getSentCount(), 4) << "answers to the second send only";
}

TEST (SysExMultiMsgTimer, EndsWhenTheStreamHoldsNoFurtherMessage)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();

    // No header of the device's model at all: nothing was sent, so the transfer failed.
    ASSERT_TRUE (load (sender, makeBlock (6, 3), 3));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::requestFailed);
    EXPECT_EQ (rig.device->getReceivedCount(), 0);

    // A bare header after the last message: the message goes, then the transfer is finished.
    auto block = makeBlock (3, 1);
    const juce::uint8 bareHeader[] = { 0xF0, 0x00, 0x01, 0x74, 0x03 };
    block.append (bareHeader, sizeof (bareHeader));
    ASSERT_TRUE (load (sender, block, 3));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 1);

    // Two junk bytes before the first message are skipped.
    juce::MemoryBlock junkFirst ("\x01\x02", 2);
    junkFirst.append (makeBlock (3, 2).getData(), makeBlock (3, 2).getSize());
    ASSERT_TRUE (load (sender, junkFirst, 3));
    ASSERT_TRUE (sender.start (0));
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
    EXPECT_EQ (rig.device->getReceivedCount(), 3);
}

TEST (SysExMultiMsgTimer, EndsWhenTheOutputIsNotConnectedOrARequestFails)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    auto& link = *rig.link;

    // Ticks by hand (a long period keeps the timer's own ticks away): message 1 goes and is
    // answered, then the device's output vanishes.
    ASSERT_TRUE (load (sender, makeBlock (3, 3), 3));
    ASSERT_TRUE (sender.start (1000));
    sender.timerCallback();
    link.receiveAndDispatch();
    rig.settleQuietly();
    link.receiveAndDispatch();

    rig.hub.unplugOutput (rig.portName);
    link.timerCallback();
    link.checkDevices();
    ASSERT_EQ (link.isOutputConnected(), 0);

    sender.timerCallback();
    EXPECT_EQ (sender.getState(), TransferStates::outputNotConnected);
    EXPECT_EQ (rig.device->getReceivedCount(), 1);

    // A request that fails (here: the worker is stopped under it) ends the transfer in 7.
    rig.hub.plugOutput (rig.portName);
    link.timerCallback();
    ASSERT_TRUE (link.getPortManager().openOutputByName (rig.portName));
    ASSERT_TRUE (link.openDevices (true, true));
    ASSERT_TRUE (sender.start (1000));
    sender.timerCallback();
    link.closeInputPort();
    sender.timerCallback();
    EXPECT_EQ (sender.getState(), TransferStates::requestFailed);
}

TEST (SysExMultiMsgTimer, PausesResumesStopsAndChangesItsInterval)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    const auto block = makeBlock (3, 3);

    EXPECT_EQ (sender.getState(), TransferStates::idle);
    EXPECT_FALSE (sender.stop());
    EXPECT_FALSE (sender.pause (true));
    EXPECT_FALSE (sender.loadMessages (nullptr, 10, 3));

    ASSERT_TRUE (load (sender, block, 3));
    ASSERT_TRUE (sender.start (40));
    EXPECT_EQ (sender.getInterval(), 40u);
    EXPECT_EQ (sender.getTimerInterval(), 40);

    EXPECT_TRUE (sender.setInterval (250));
    EXPECT_EQ (sender.getTimerInterval(), 250);
    EXPECT_FALSE (sender.setInterval (250));
    EXPECT_FALSE (sender.setInterval (1001));
    EXPECT_EQ (sender.getInterval(), 250u);

    // Refused while running or paused.
    EXPECT_FALSE (load (sender, block, 3));
    EXPECT_FALSE (sender.start (0));

    EXPECT_TRUE (sender.pause (true));
    EXPECT_EQ (sender.getState(), TransferStates::paused);
    EXPECT_FALSE (sender.isTimerRunning());
    EXPECT_FALSE (sender.pause (true));
    EXPECT_FALSE (sender.start (0));
    EXPECT_TRUE (sender.setInterval (0));
    EXPECT_FALSE (sender.isTimerRunning());

    EXPECT_TRUE (sender.pause (false));
    EXPECT_EQ (sender.getState(), TransferStates::running);
    EXPECT_EQ (sender.getTimerInterval(), 1);

    EXPECT_TRUE (sender.stop());
    EXPECT_EQ (sender.getState(), TransferStates::stopped);
    EXPECT_FALSE (sender.isTimerRunning());
    EXPECT_FALSE (sender.stop());
    EXPECT_FALSE (sender.pause (false));

    // A new start from an end state; an interval out of range keeps the old one.
    ASSERT_TRUE (sender.start (5000));
    EXPECT_EQ (sender.getInterval(), 0u);
    EXPECT_EQ (runToEnd (rig), TransferStates::finished);
}

TEST (SysExMultiMsgTimer, RunsAgainstTheWorkerThread)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    LinkRig<MidiProcessing> rig (8);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    rig.device->setUnsolicitedEvery (3, rig.device->makeTunerMessage());

    ASSERT_TRUE (load (sender, makeBlock (8, 60), 8));
    ASSERT_TRUE (sender.start (0));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return sender.getState() != TransferStates::running; }, 20000));
    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (rig.device->getPacedMessageCount(), 60);
}

TEST (SysExMultiMsgTimer, AnAnswerSendsTheNextMessageFromThePortsThreadWithoutWakingTheWorker)
{
    ManualLinkClock clock (100000); // replies are awaited however long the machine takes
    LinkRig<MidiProcessing> rig (8);
    ASSERT_TRUE (rig.connect());
    auto& sender = rig.link->getMultiMsgTimer();
    std::atomic<int> fromWorker { 0 }, fromElsewhere { 0 };

    rig.device->setArrivalObserver ([&] (const juce::MidiMessage&)
    {
        if (juce::Thread::getCurrentThread() == rig.link.get())
            ++fromWorker;
        else
            ++fromElsewhere;
    });

    ASSERT_TRUE (load (sender, makeBlock (8, 40), 8));
    ASSERT_TRUE (sender.start (0));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return sender.getState() != TransferStates::running; }, 20000));
    rig.device->setArrivalObserver (nullptr);

    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (fromWorker + fromElsewhere, 40);
    EXPECT_GT (fromElsewhere.load(), 0) << "the port's thread took no answer's pass";

    // A message long enough to keep its sender waiting never goes out from the port's thread,
    // which has to go on reading what arrives.
    juce::MemoryBlock longBlock;

    for (int i = 0; i < 6; ++i)
    {
        const auto message = SimulatedDevice::makeMessage (8, 0x78, std::vector<juce::uint8> (5000, (juce::uint8) i));
        longBlock.append (message.getRawData(), (size_t) message.getRawDataSize());
    }

    fromWorker = 0;
    fromElsewhere = 0;
    rig.device->setArrivalObserver ([&] (const juce::MidiMessage&)
    {
        if (juce::Thread::getCurrentThread() == rig.link.get())
            ++fromWorker;
        else
            ++fromElsewhere;
    });

    ASSERT_TRUE (load (sender, longBlock, 8));
    ASSERT_TRUE (sender.start (0));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return sender.getState() != TransferStates::running; }, 20000));
    rig.device->setArrivalObserver (nullptr);

    EXPECT_EQ (sender.getState(), TransferStates::finished);
    EXPECT_EQ (fromWorker.load(), 6);
    EXPECT_EQ (fromElsewhere.load(), 0);
}
