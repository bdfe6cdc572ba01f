#include "LinkTestRig.h"
#include "ManualLinkClock.h"
#include "SysExBuilders.h"
#include "SysExDecoders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace morvane::test;

namespace
{
    using Rig = LinkRig<MidiProcessing>;
    using SteppedRig = LinkRig<SteppedMidiProcessing>;

    juce::MidiMessage replyOf (const SysExRequest& request, int n)
    {
        juce::MidiMessage reply;
        request.getReply (n, reply);
        return reply;
    }

    int functionOf (const juce::MidiMessage& message)
    {
        return message.getRawDataSize() > 5 ? message.getRawData()[5] : -1;
    }

    /** Runs a request built by fill on a connected link and returns it retired. */
    std::unique_ptr<SysExRequest> runRequest (Rig& rig, const std::function<void (SysExRequest&)>& fill,
                                              int timeoutMs = 10000)
    {
        auto request = std::make_unique<SysExRequest>();
        fill (*request);
        EXPECT_TRUE (rig.link->enqueueRequest (request.get()));
        EXPECT_TRUE (rig.waitForRetire (*request, timeoutMs));
        return request;
    }
} // namespace

//==============================================================================
TEST (MidiProcessing, AnswersTheFirmwareVersionAndSystemInformationQueries)
{
    Rig rig (8);
    rig.device->setFirmwareVersion (10, 4);
    rig.device->setSystemInfo (1, 2, 128, 3);
    ASSERT_TRUE (rig.connect());

    SysExRequest version (makeQuery (0x08));
    SysExRequest systemInfo (makeQuery (0x47));
    ASSERT_TRUE (rig.link->enqueueRequest (&version));
    ASSERT_TRUE (rig.link->enqueueRequest (&systemInfo));

    ASSERT_TRUE (rig.waitForRetire (version));
    ASSERT_TRUE (rig.waitForRetire (systemInfo));
    ASSERT_EQ (version.getState(), SysExRequest::complete);
    ASSERT_EQ (systemInfo.getState(), SysExRequest::complete);

    FirmwareVersionRecord record;
    ASSERT_TRUE (decodeVersionReply (replyOf (version, 0), &record));
    EXPECT_EQ (record.major, 10u);
    EXPECT_EQ (record.minor, 4u);

    SystemInfoRecord info;
    ASSERT_TRUE (decodeSysInfoReply (replyOf (systemInfo, 0), &info, nullptr));
    EXPECT_EQ (info.fields[2], 128);

    EXPECT_EQ (rig.link->isInputConnected(), 1);
    EXPECT_EQ (rig.link->isOutputConnected(), 1);
}

TEST (MidiProcessing, ReceivesEveryDumpWithTheCountItsModelAnnounces)
{
    struct Case
    {
        juce::uint8 model;
        juce::uint8 function;
        std::vector<juce::uint8> payload;
        int expectedReplies;
    };

    // Counts from the start messages: 0x43 model 3 announces 6400 bytes = 102 messages,
    // 0x46 on model 6 with flags 0x05 gives 66 + 1 + 2 x 66, the multi-message dump 3 + 2,
    // get-all-params 7, the Orvix III grid (1024 bytes) 4 and its system data 10.
    const Case cases[] = {
        { 3, 0x43, {}, 102 },
        { 6, 0x46, { 0x05, 0x00 }, 199 },
        { 3, 0x12, {}, 5 },
        { 8, 0x1F, { 0x01, 0x00 }, 7 },
        { 16, 0x1F, { 0x01, 0x00 }, 7 },
        { 16, 0x20, {}, 4 },
        { 16, 0x43, {}, 10 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("model " + std::to_string (c.model) + " function " + std::to_string (c.function));
        Rig rig (c.model);
        ASSERT_TRUE (rig.connect());

        const auto request = runRequest (rig, [&] (SysExRequest& r)
        {
            r.setMessage (SimulatedDevice::makeMessage (c.model, c.function, c.payload));
        });

        EXPECT_EQ (request->getState(), SysExRequest::complete);
        EXPECT_EQ (request->getReplyCount(), c.expectedReplies);
        EXPECT_EQ (request->getExpectedReplies(), c.expectedReplies);
    }
}

TEST (MidiProcessing, ReceivesPresetCabAndBankDumpsOfEveryModel)
{
    for (const juce::uint8 model : { 3, 5, 6, 7, 8, 10, 16 })
    {
        SCOPED_TRACE ("model " + std::to_string (model));
        Rig rig (model);
        ASSERT_TRUE (rig.connect());

        const juce::uint32 preset[3] = { 0, 5, 1 };
        const auto presetRequest = runRequest (rig, [&] (SysExRequest& r) { buildPatchDumpRequest (&r, preset); });
        EXPECT_EQ (presetRequest->getState(), SysExRequest::complete);
        EXPECT_EQ (presetRequest->getReplyCount(), model == 16 ? 18 : (model == 6 || model == 7 || model == 8 ? 66 : 34));

        const juce::uint32 cab = 200;
        const auto cabRequest = runRequest (rig, [&] (SysExRequest& r) { buildCabDumpRequest (&r, &cab); });
        EXPECT_EQ (cabRequest->getState(), SysExRequest::complete);
        EXPECT_EQ (cabRequest->getReplyCount(), model == 16 ? 10 : 66);

        // A small bank where the model has one (LM6, KT4); the device answers every preset.
        if (model == 5 || model == 8)
        {
            const juce::uint32 bank = 2;
            const auto bankRequest = runRequest (rig, [&] (SysExRequest& r) { buildBankDumpRequest (&r, &bank); });
            EXPECT_EQ (bankRequest->getState(), SysExRequest::complete);
            EXPECT_EQ (bankRequest->getReplyCount(), (model == 5 ? 34 : 66) * 8);

            // The replies are the device's messages, byte for byte and in order.
            const auto expected = rig.device->defaultRepliesTo (bankRequest->getMessage());
            ASSERT_EQ ((int) expected.size(), bankRequest->getReplyCount());

            for (int i = 0; i < (int) expected.size(); i += 37)
            {
                const auto reply = replyOf (*bankRequest, i);
                ASSERT_EQ (reply.getRawDataSize(), expected[(size_t) i].getRawDataSize());
                EXPECT_EQ (std::memcmp (reply.getRawData(), expected[(size_t) i].getRawData(), (size_t) reply.getRawDataSize()), 0);
            }
        }
    }
}

TEST (MidiProcessing, UnsolicitedMessagesNeitherCountNorDisturbADump)
{
    Rig rig (8);
    ASSERT_TRUE (rig.connect());

    // Tuner, tempo, another maker's SysEx and a note in the middle of a cab bank.
    rig.device->setUnsolicitedEvery (7, rig.device->makeTunerMessage());
    rig.device->sendUnsolicited (rig.device->makeTempoMessage());
    rig.device->sendUnsolicited (SimulatedDevice::makeOtherMakersSysEx());
    rig.device->sendUnsolicited (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));

    const juce::uint8 bank = 3;
    const auto request = runRequest (rig, [&] (SysExRequest& r) { buildCabBankDumpRequest (&r, &bank); });

    EXPECT_EQ (request->getState(), SysExRequest::complete);
    ASSERT_EQ (request->getReplyCount(), 8448);

    for (int i = 0; i < request->getReplyCount(); i += 101)
        EXPECT_GE (functionOf (replyOf (*request, i)), 0x7A);
}

TEST (MidiProcessing, FailsARequestAfterItsTimeOutWithoutActivity)
{
    // The link's clock stands still until the test moves it, so only the silence the test makes
    // counts, however slowly the machine lets the device answer.
    ManualLinkClock clock (50000);
    Rig rig (3);
    ASSERT_TRUE (rig.connect());

    const auto startRequest = [&rig] (const std::function<void (SysExRequest&)>& fill)
    {
        auto request = std::make_unique<SysExRequest>();
        fill (*request);
        EXPECT_TRUE (rig.link->enqueueRequest (request.get()));
        return request;
    };

    // Replies with bad checksums are dropped: no activity.
    rig.device->setBadChecksums (true);
    const auto corrupted = startRequest ([] (SysExRequest& r)
    {
        r.setMessage (makeQuery (0x08));
        r.setTimeoutMs (150);
    });
    ASSERT_TRUE (rig.runUntil ([&] { return rig.device->getReceivedCount() == 1; }));
    rig.settle();
    clock.advance (151);
    ASSERT_TRUE (rig.waitForRetire (*corrupted));
    EXPECT_EQ (corrupted->getState(), SysExRequest::failed);
    EXPECT_EQ (corrupted->getReplyCount(), 0);
    rig.device->setBadChecksums (false);

    // A device that falls silent in the middle of a dump: the replies so far stay with the
    // failed request.
    rig.device->setSilentAfterReplies (10);
    const juce::uint32 preset[3] = { 0, 1, 1 };
    const auto cut = startRequest ([&] (SysExRequest& r)
    {
        buildPatchDumpRequest (&r, preset);
        r.setTimeoutMs (150);
    });
    ASSERT_TRUE (rig.runUntil ([&] { return cut->getReplyCount() == 10; }));
    rig.settle();
    EXPECT_EQ (cut->getState(), 0);
    clock.advance (151);
    ASSERT_TRUE (rig.waitForRetire (*cut));
    EXPECT_EQ (cut->getState(), SysExRequest::failed);
    EXPECT_EQ (cut->getReplyCount(), 10);

    // A slow device within the time-out is fine.
    rig.device->setSilentAfterReplies (-1);
    rig.device->setReplyDelayMs (100);
    const auto slow = startRequest ([] (SysExRequest& r)
    {
        r.setMessage (makeQuery (0x08));
        r.setTimeoutMs (2000);
    });
    ASSERT_TRUE (rig.runUntil ([&] { return slow->getSentAt() != 0; }));
    clock.advance (1999);
    ASSERT_TRUE (rig.waitForRetire (*slow));
    EXPECT_EQ (slow->getState(), SysExRequest::complete);
}

TEST (MidiProcessing, RetiresARequestThatExpectsNoReplyAndOneDueWhileTheOutputIsNotConnected)
{
    Rig rig (3);
    rig.link->timerCallback();
    ASSERT_TRUE (rig.link->getPortManager().openInputByName (rig.portName));

    // Only the input is open: the output is not connected.
    ASSERT_TRUE (rig.link->openDevices (true, true));
    EXPECT_EQ (rig.link->isOutputConnected(), 0);

    SysExRequest unsent (makeQuery (0x08));
    rig.link->enqueueRequest (&unsent);
    ASSERT_TRUE (rig.waitForRetire (unsent));
    EXPECT_EQ (unsent.getState(), SysExRequest::failed);
    EXPECT_EQ (rig.device->getReceivedCount(), 0);

    ASSERT_TRUE (rig.link->getPortManager().openOutputByName (rig.portName));
    ASSERT_TRUE (rig.link->openDevices (true, true));
    SysExRequest programChange;
    programChange.setProgramChangeMessage();
    rig.link->enqueueRequest (&programChange);
    ASSERT_TRUE (rig.waitForRetire (programChange));
    EXPECT_EQ (programChange.getState(), SysExRequest::complete);
    ASSERT_EQ (rig.device->getReceivedCount(), 1);
    EXPECT_TRUE (rig.device->getReceived()[0].isProgramChange());
}

TEST (MidiProcessing, OpenDevicesNeedsAnOpenPortOnARequestedSide)
{
    Rig rig (3);
    rig.link->timerCallback();
    EXPECT_FALSE (rig.link->openDevices (true, true));
    EXPECT_FALSE (rig.link->isThreadRunning());

    ASSERT_TRUE (rig.link->getPortManager().openOutputByName (rig.portName));
    EXPECT_FALSE (rig.link->openDevices (true, false));
    EXPECT_FALSE (rig.link->isThreadRunning());
    EXPECT_EQ (rig.link->isOutputConnected(), 0);

    EXPECT_TRUE (rig.link->openDevices (true, true));
    EXPECT_TRUE (rig.link->isThreadRunning());
    EXPECT_EQ (rig.link->isInputConnected(), 0);
    EXPECT_EQ (rig.link->isOutputConnected(), 1);
    EXPECT_TRUE (rig.link->areConnected (false, true));
    EXPECT_FALSE (rig.link->areConnected (true, true));
}

TEST (MidiProcessing, StoppingTheWorkerRetiresEveryRequestItHoldsAsFailed)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());
    rig.device->setSilent (true);

    // Time-outs far beyond the test's length: the silent device must not retire the first
    // request and let the next go out, however slowly the test runs.
    SysExRequest inFlight (makeQuery (0x08)), queued1 (makeQuery (0x47)), queued2 (makeQuery (0x14));

    for (auto* request : { &inFlight, &queued1, &queued2 })
        request->setTimeoutMs (600000);

    rig.link->enqueueRequest (&inFlight);
    rig.link->enqueueRequest (&queued1);
    rig.link->enqueueRequest (&queued2);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.device->getReceivedCount() == 1; }));

    EXPECT_TRUE (rig.link->closeInputPort());
    EXPECT_EQ (inFlight.getState(), SysExRequest::failed);
    EXPECT_EQ (queued1.getState(), SysExRequest::failed);
    EXPECT_EQ (queued2.getState(), SysExRequest::failed);
    EXPECT_EQ (rig.link->isOutputConnected(), 0);
    EXPECT_EQ (rig.device->getReceivedCount(), 1);

    // With the worker stopped nothing can be sent: a new request fails at once.
    SysExRequest late (makeQuery (0x08));
    EXPECT_TRUE (rig.link->enqueueRequest (&late));
    EXPECT_EQ (late.getState(), SysExRequest::failed);
    EXPECT_FALSE (rig.link->enqueueRequest (nullptr));

    // Handing the ports over again starts the worker again.
    rig.device->setSilent (false);
    ASSERT_TRUE (rig.link->getPortManager().openInputByName (rig.portName));
    ASSERT_TRUE (rig.link->openDevices (true, true));
    SysExRequest again (makeQuery (0x08));
    rig.link->enqueueRequest (&again);
    ASSERT_TRUE (rig.waitForRetire (again));
    EXPECT_EQ (again.getState(), SysExRequest::complete);

    // Giving up the other port: false when none is open.
    EXPECT_TRUE (rig.link->closeOutputPort());
    EXPECT_FALSE (rig.link->closeOutputPort());
}

TEST (MidiProcessing, AClientMayDeleteARequestAsSoonAsItSeesItRetired)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());
    std::atomic<int> told { 0 };

    for (int i = 0; i < 40; ++i)
    {
        auto request = std::make_unique<SysExRequest> (makeQuery (0x08));

        // A listener that takes its time keeps the worker inside the request after the retirement
        // became visible; the deletion must wait for it (the sanitizers see it otherwise).
        request->setRetireListener ([&told]
        {
            std::this_thread::sleep_for (std::chrono::milliseconds (3));
            ++told;
        });

        ASSERT_TRUE (rig.link->enqueueRequest (request.get()));
        ASSERT_TRUE (rig.waitForRetire (*request));
        EXPECT_EQ (request->getState(), SysExRequest::complete);
        request.reset();
        EXPECT_EQ (told.load(), i + 1) << "the worker was done with the request before it went";
    }
}

TEST (MidiProcessing, DestroyingTheLinkRetiresItsRequests)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());
    rig.device->setSilent (true);

    SysExRequest inFlight (makeQuery (0x08)), queued (makeQuery (0x47));
    rig.link->enqueueRequest (&inFlight);
    rig.link->enqueueRequest (&queued);
    rig.link.reset();

    EXPECT_EQ (inFlight.getState(), SysExRequest::failed);
    EXPECT_EQ (queued.getState(), SysExRequest::failed);
}

TEST (MidiProcessing, NoticesAnUnpluggedDeviceAndReopensItsPortsByName)
{
    Rig rig (6);
    ASSERT_TRUE (rig.connect());
    EXPECT_EQ (rig.hub.getInputOpenCount (rig.portName), 1);

    // Gone: the next list refresh (2000 ms) and presence check (1000 ms) drop the flags.
    rig.device->unplug();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.link->isOutputConnected() == 0; }, 20000));
    EXPECT_EQ (rig.link->isInputConnected(), 0);

    // Meanwhile a request fails at once, unsent.
    SysExRequest whileGone (makeQuery (0x08));
    rig.link->enqueueRequest (&whileGone);
    ASSERT_TRUE (rig.waitForRetire (whileGone));
    EXPECT_EQ (whileGone.getState(), SysExRequest::failed);

    // Back under the same name: reopened, and connected again a check later.
    rig.device->replug();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.link->areConnected (true, true); }, 20000));
    EXPECT_GE (rig.hub.getInputOpenCount (rig.portName), 2);
    EXPECT_GE (rig.hub.getOutputOpenCount (rig.portName), 2);

    SysExRequest afterwards (makeQuery (0x08));
    rig.link->enqueueRequest (&afterwards);
    ASSERT_TRUE (rig.waitForRetire (afterwards));
    EXPECT_EQ (afterwards.getState(), SysExRequest::complete);
}

TEST (MidiProcessing, SwitchingPortsDuringWorkNeverTouchesAFreedPort)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());
    auto& ports = rig.link->getPortManager();

    // A paced transfer runs alongside the console's own requests.
    juce::MemoryBlock block;

    for (int i = 0; i < 30; ++i)
    {
        const auto message = SimulatedDevice::makeMessage (3, 0x78, { (juce::uint8) i });
        block.append (message.getRawData(), (size_t) message.getRawDataSize());
    }

    auto& sender = rig.link->getMultiMsgTimer();
    sender.setDefaultReplyTimeout (50);
    ASSERT_TRUE (sender.loadMessages (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), 3));
    ASSERT_TRUE (sender.start (0));

    std::vector<std::unique_ptr<SysExRequest>> requests;

    for (int i = 0; i < 20; ++i)
    {
        requests.push_back (std::make_unique<SysExRequest> (makeQuery (0x08)));
        requests.back()->setTimeoutMs (50);
        rig.link->enqueueRequest (requests.back().get());

        // The console switches ports while the worker sends, receives and reopens.
        ports.openOutputByName (rig.portName);
        ports.openInputByName (rig.portName);
        rig.link->openDevices (true, true);
        runMessageLoopFor (1);
    }

    for (auto& request : requests)
        ASSERT_TRUE (rig.waitForRetire (*request));

    // Whatever the switching cost it, the transfer comes to an end.
    ASSERT_TRUE (runMessageLoopUntil ([&] { return sender.getState() > TransferStates::paused; }, 20000));
}

TEST (MidiProcessing, MonitorRecordsEveryIncomingEventAndCountsItsBytes)
{
    Rig rig (2);
    ASSERT_TRUE (rig.connect());

    const auto note = juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100);
    const auto tuner = rig.device->makeTunerMessage();

    rig.link->startMonitoring();
    EXPECT_TRUE (rig.link->isMonitoring());
    rig.device->sendUnsolicited (note);
    rig.device->sendUnsolicited (tuner);
    const auto expectedBytes = (juce::uint32) (note.getRawDataSize() + tuner.getRawDataSize());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.link->getReceivedByteCount() == expectedBytes; }));

    // Once off, nothing more is recorded: the tuner message goes before the reply that retires
    // the query, so the worker has seen it by then.
    rig.link->stopMonitoring();
    rig.device->sendUnsolicited (tuner);
    SysExRequest query (makeQuery (0x08));
    rig.link->enqueueRequest (&query);
    ASSERT_TRUE (rig.waitForRetire (query));
    EXPECT_EQ (rig.link->getReceivedByteCount(), expectedBytes);

    juce::MidiBuffer recorded;
    EXPECT_TRUE (rig.link->takeMonitorBuffer (recorded));
    ASSERT_EQ (recorded.getNumEvents(), 2);
    auto event = recorded.begin();
    EXPECT_TRUE ((*event).getMessage().isNoteOn());
    ++event;
    EXPECT_TRUE ((*event).getMessage().isSysEx());

    juce::MidiBuffer empty;
    rig.link->takeMonitorBuffer (empty);
    EXPECT_TRUE (empty.isEmpty());

    // Starting again begins from nothing.
    rig.link->startMonitoring();
    EXPECT_EQ (rig.link->getReceivedByteCount(), 0u);
}

TEST (MidiProcessing, MonitorKeepsLongAndManyMessagesWholeAndInOrder)
{
    Rig rig (2);
    ASSERT_TRUE (rig.connect());

    // One message longer than a MidiBuffer event can hold, between many short ones.
    std::vector<juce::uint8> longPayload (70000);

    for (size_t i = 0; i < longPayload.size(); ++i)
        longPayload[i] = (juce::uint8) (i % 127);

    std::vector<juce::MidiMessage> sent;

    for (int i = 0; i < 3000; ++i)
    {
        sent.push_back (i == 1500 ? rig.device->makeMessage (0x31, longPayload)
                                  : rig.device->makeMessage (0x30, { (juce::uint8) (i & 0x7F), (juce::uint8) (i >> 7) }));

        if (i % 100 == 0)
            sent.push_back (juce::MidiMessage::midiClock());
    }

    juce::MemoryBlock expected;
    juce::uint32 expectedCount = 0;

    for (const auto& message : sent)
    {
        expected.append (message.getRawData(), (size_t) message.getRawDataSize());
        expectedCount += (juce::uint32) message.getRawDataSize();
    }

    rig.link->startMonitoring();

    for (const auto& message : sent)
        rig.device->sendUnsolicited (message);

    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.link->getReceivedByteCount() == expectedCount; }, 20000));
    rig.link->stopMonitoring();

    // Taken behind what a buffer already holds, the record keeps its order too.
    juce::MidiBuffer recorded;
    const auto first = juce::MidiMessage::midiClock();
    recorded.addEvent (first, 0);
    ASSERT_TRUE (rig.link->takeMonitorBuffer (recorded));

    juce::MemoryBlock bytes;

    for (const auto event : recorded)
        bytes.append (event.data, (size_t) event.numBytes);

    juce::MemoryBlock withFirst (first.getRawData(), (size_t) first.getRawDataSize());
    withFirst.append (expected.getData(), expected.getSize());
    EXPECT_EQ (bytes.getSize(), withFirst.getSize());
    EXPECT_TRUE (bytes == withFirst);
}

TEST (MidiProcessing, TheSingletonIsCreatedOnceAndNeverAfterItsDeletion)
{
    auto* first = MidiProcessing::getInstance();

    if (first != nullptr)
    {
        EXPECT_EQ (MidiProcessing::getInstance(), first);
        EXPECT_FALSE (first->isThreadRunning());
    }

    MidiProcessing::deleteInstance();
    EXPECT_EQ (MidiProcessing::getInstance(), nullptr);
    MidiProcessing::deleteInstance();
}

//==============================================================================
// Pass by pass, with the test running the worker's passes.

TEST (MidiProcessingPasses, SendsTheNextRequestInThePassThatRetiresThePrevious)
{
    ManualLinkClock clock (50000); // no time-out however long the device takes
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());

    SysExRequest first (makeQuery (0x08)), second (makeQuery (0x47));
    rig.link->enqueueRequest (&first);
    rig.link->enqueueRequest (&second);

    rig.link->receiveAndDispatch();
    EXPECT_EQ (rig.device->getReceivedCount(), 1) << "one request in flight";
    EXPECT_EQ (second.getLastActivity(), 0u) << "a queued request has no activity";

    rig.settle();
    EXPECT_EQ (first.getState(), 0);
    rig.link->receiveAndDispatch();
    EXPECT_EQ (first.getState(), SysExRequest::complete);
    EXPECT_EQ (rig.device->getReceivedCount(), 2) << "sent in the same pass";
    EXPECT_EQ (second.getState(), 0);

    rig.settle();
    rig.link->receiveAndDispatch();
    EXPECT_EQ (second.getState(), SysExRequest::complete);
}

TEST (MidiProcessingPasses, ARequestTimesOutAtTheFirstPassMoreThanItsTimeOutAfterItWasSent)
{
    ManualLinkClock clock (50000);
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());
    rig.device->setSilent (true);

    SysExRequest first (makeQuery (0x08)), second (makeQuery (0x47));
    rig.link->enqueueRequest (&first);
    rig.link->enqueueRequest (&second);
    rig.link->receiveAndDispatch();

    clock.advance (3000);
    rig.link->receiveAndDispatch();
    EXPECT_EQ (first.getState(), 0) << "3000 ms of silence is allowed";

    clock.advance (1);
    rig.link->receiveAndDispatch();
    EXPECT_EQ (first.getState(), SysExRequest::failed);
    EXPECT_EQ (rig.device->getReceivedCount(), 2) << "the next goes out in the same pass";
    EXPECT_EQ (second.getSentAt(), 53001u);

    // The second is still in flight: stopping the worker gives it back before it goes.
    rig.link->closeInputPort();
    EXPECT_EQ (second.getState(), SysExRequest::failed);
}

TEST (MidiProcessingPasses, ARequestExpectingNoReplyIsRetiredInThePassAfterItWasSent)
{
    SteppedRig rig (3);
    ASSERT_TRUE (rig.connect());

    SysExRequest request;
    request.setProgramChangeMessage();
    rig.link->enqueueRequest (&request);

    rig.link->receiveAndDispatch();
    EXPECT_EQ (request.getState(), 0);
    EXPECT_EQ (rig.device->getReceivedCount(), 1);

    rig.link->receiveAndDispatch();
    EXPECT_EQ (request.getState(), SysExRequest::complete);
}

TEST (MidiProcessingPasses, ChecksThePortsOnceASecondAndReopensAVanishedOne)
{
    ManualLinkClock clock (50000);
    SteppedRig rig (7);
    ASSERT_TRUE (rig.connect());

    rig.link->checkDevices();
    EXPECT_TRUE (rig.link->areConnected (true, true));

    rig.device->unplug();
    rig.link->timerCallback();
    clock.advance (1000);
    rig.link->checkDevices();
    EXPECT_TRUE (rig.link->areConnected (true, true)) << "not yet a second since the last check";

    clock.advance (1);
    rig.link->checkDevices();
    EXPECT_FALSE (rig.link->areConnected (true, false));
    EXPECT_FALSE (rig.link->areConnected (false, true));

    rig.device->replug();
    rig.link->timerCallback();
    clock.advance (1001);
    rig.link->checkDevices();
    EXPECT_FALSE (rig.link->areConnected (true, true)) << "reopened, counted at the next check";
    EXPECT_EQ (rig.hub.getInputOpenCount (rig.portName), 2);
    EXPECT_EQ (rig.hub.getOutputOpenCount (rig.portName), 2);

    clock.advance (1001);
    rig.link->checkDevices();
    EXPECT_TRUE (rig.link->areConnected (true, true));
}

TEST (MidiProcessingPasses, RoutesTheNewerGenerationsRepliesToTheirOwnMatcher)
{
    ManualLinkClock clock (50000); // no time-out however long the device takes
    // An Orvix III status reply (model 16) counts for the request it echoes; another maker's
    // SysEx and a plain MIDI message never count.
    SteppedRig rig (16);
    ASSERT_TRUE (rig.connect());

    SysExRequest mute (SimulatedDevice::makeMessage (16, 0x3E, { 1 }));
    rig.link->enqueueRequest (&mute);
    rig.link->receiveAndDispatch();

    rig.device->sendUnsolicited (SimulatedDevice::makeOtherMakersSysEx());
    rig.device->sendUnsolicited (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1));
    rig.device->sendUnsolicited (rig.device->makeStatusReply (0x08, 0));
    rig.settle();

    rig.link->receiveAndDispatch();
    ASSERT_EQ (mute.getState(), SysExRequest::complete);
    ASSERT_EQ (mute.getReplyCount(), 1);
    StatusReply status;
    ASSERT_TRUE (decodeStatusReply (replyOf (mute, 0), &status));
    EXPECT_EQ (status.functionId, 0x3E);
}
