#include "ConsoleRig.h"
#include "DumpBuilders.h"
#include "BackupRun.h"
#include "ConsoleTimers.h"
#include "HoverTooltipWindow.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;
using morvane::test::SimulatedDevice;
using morvane::test::VirtualMidiPorts;

namespace
{
/** The console rig with a MIDI through port beside the devices, and a flag that lets every
    held-back device reply go when the test ends.
*/
class ConsoleDeviceTest : public ConsoleRig
{
protected:
    ConsoleDeviceTest()
    {
        hub.plugInput ("Midi Through Port-0");
        hub.plugOutput ("Midi Through Port-0");
    }

    ~ConsoleDeviceTest() override
    {
        heldReplies->store (true);
        sendHold->quit.store (true);
    }

    /** The Orvix III chosen on its port, acknowledging each paced message after replyDelayMs. */
    SimulatedDevice& openOrvixIII (int replyDelayMs)
    {
        auto& device = plugDevice (16, "Orvix III MIDI 1");
        open();
        chooseFromMenu (16);
        device.setReplyDelayMs (replyDelayMs);
        return device;
    }

    /** Starts a KT4 backup run of the selection into the folder on the console's own backup road,
        as an OK in the KT4 dialog would.
    */
    bool startKT4Backup (const KT4BackupSelection& selection, const juce::File& folder)
    {
        BackupJobPlan::Context context;
        context.model = 8;
        context.firmwareModel = 8;
        auto* run = console().getTransfers().getBackupRun();
        return run != nullptr && run->startKT4Backup (selection, context, folder.getFullPathName());
    }

    static KT4BackupSelection onePresetBank (int bank)
    {
        KT4BackupSelection selection;
        selection.onePresetBank = 1;
        selection.presetBank = bank;
        return selection;
    }

    static KT4BackupSelection firstBankSet()
    {
        KT4BackupSelection selection;
        selection.bankSets[0] = 1;
        return selection;
    }

    /** Starts a send of the data on the console's send road, as BEGIN on the send page would. */
    bool startSend (const juce::MemoryBlock& data)
    {
        return console().getTransfers().getSendRoad().start (data, 16, PayloadKinds::preset, false, console().getBufferDelay());
    }

    /** A send of count one-byte messages of the Orvix III. */
    static juce::MemoryBlock sendData (int count)
    {
        juce::MemoryOutputStream data;

        for (int i = 0; i < count; ++i)
            data << morvane::test::makeSysExMessage (16, 0x55, { (juce::uint8) i });

        return data.getMemoryBlock();
    }

    /** Where the device holds a send: the answer to each paced message from the holdFrom-th on
        (counted from 1) waits until holdFrom moves past it, so a send cannot end while a test
        acts, whatever the machine's load.
    */
    struct SendHold
    {
        std::atomic<int> holdFrom { std::numeric_limits<int>::max() };
        std::atomic<int> received { 0 };
        std::atomic<bool> quit { false };
    };

    /** The device holds its answers from the from-th paced message on. */
    SendHold& holdSend (SimulatedDevice& device, int from)
    {
        auto hold = sendHold;
        hold->holdFrom.store (from);

        // The link's patience is no clock the test races.
        link->getMultiMsgTimer().setDefaultReplyTimeout (60000);

        device.setPacedHandler ([&device, hold] (const juce::MidiMessage& request, const SimulatedDevice::Emit& emit)
        {
            const int n = ++hold->received;

            while (n >= hold->holdFrom.load() && ! hold->quit.load())
                std::this_thread::sleep_for (std::chrono::milliseconds (2));

            emit (device.makeStatusReply (request.getRawData()[5], 0));
        });

        return *hold;
    }

    std::shared_ptr<std::atomic<bool>> heldReplies = std::make_shared<std::atomic<bool>> (false);
    std::shared_ptr<SendHold> sendHold = std::make_shared<SendHold>();
};

/** A device that sends the first replies of a bank dump, then holds the rest back, trickling one
    reply now and then so that the request never times out, until the test lets it go (the rest
    is dropped) or hurries it (the rest is sent at once). Whatever the machine's load, a test then
    acts while the backup is still running.
*/
void streamBankHeldBack (SimulatedDevice& device, std::shared_ptr<std::atomic<bool>> letGo, int firstReplies = 30,
                         std::shared_ptr<std::atomic<bool>> hurry = std::make_shared<std::atomic<bool>> (false))
{
    device.setReplyHandler (0x1C, [&device, letGo, firstReplies, hurry] (const juce::MidiMessage& request, const SimulatedDevice::Emit& emit)
    {
        int sent = 0;

        for (const auto& reply : device.defaultRepliesTo (request))
        {
            if (letGo->load() || ! emit (reply))
                return;

            if (++sent <= firstReplies || hurry->load())
                continue;

            for (int waited = 0; waited < 200 && ! letGo->load() && ! hurry->load(); waited += 5)
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
        }
    });
}

juce::Array<juce::File> syxFilesIn (const juce::File& folder)
{
    return folder.findChildFiles (juce::File::findFiles, false, "*.syx");
}

//==============================================================================
TEST_F (ConsoleDeviceTest, ChoosingEachDeviceOpensItsOwnPortsByNameAndReachesTheDevice)
{
    // Each device sits behind a port whose name is close to another device's.
    const struct { juce::uint8 model; const char* port; const char* label; } cases[] = {
        { 16, "Orvix III MIDI 1", "Orvix III" },
        { 3, "ORVIX II MIDI 1", "Orvix II Original/MK II" },
        { 5, "LM6 MIDI 1", "LM6" },
        { 8, "KT4 MIDI 1", "KT4" },
    };

    hub.plugInput ("LM6MIDI");
    hub.plugOutput ("LM6MIDI");

    for (const auto& c : cases)
        plugDevice (c.model, c.port);

    open();

    // The Orvix II family and the LM6 MK II share the Orvix II port.
    for (int model : { 16, 3, 6, 7, 5, 10, 8 })
    {
        const auto& device = model == 16 ? *devices[0] : model == 5 ? *devices[2] : model == 8 ? *devices[3] : *devices[1];
        chooseFromMenu (model);
        const auto before = device.getReceivedCount (0x42);

        EXPECT_EQ (labelText ("Input Port Label"), device.getPortName()) << model;
        EXPECT_EQ (labelText ("Output Port Label"), device.getPortName()) << model;
        EXPECT_TRUE (console().isInputOk() && console().isOutputOk()) << model;
        EXPECT_TRUE (link->areConnected (true, true)) << model;
        EXPECT_TRUE (enabled ("File")) << model;

        console().getDeviceInfo().pollDeviceInfo();
        EXPECT_TRUE (console().getDeviceInfo().isConnected()) << model;
        EXPECT_TRUE (visible ("Input Check") && visible ("Output Check")) << model;

        // The port is really the device's: an exchange reaches it and it answers.
        EXPECT_TRUE (console().getTransfers().getQueries().sendEditorDisconnect()) << model;
        EXPECT_EQ (device.getReceivedCount (0x42), before + 1) << model;
    }

    EXPECT_EQ (labelText ("Device Label"), "KT4");
}

TEST_F (ConsoleDeviceTest, FootControllerAndUtilityGetTheOutputTheUserPicks)
{
    auto& qmr = plugDevice (4, "QMR-303 MK3 MIDI");
    open();

    chooseFromMenu (4);
    EXPECT_FALSE (console().isOutputOk()) << "no automatic choice for the foot controller";
    chooseOutput (qmr.getPortName());
    EXPECT_EQ (labelText ("Output Port Label"), qmr.getPortName());
    EXPECT_EQ (link->isOutputConnected(), 1);
    EXPECT_EQ (link->isInputConnected(), 0);
    console().getDeviceInfo().pollDeviceInfo();
    EXPECT_TRUE (console().getDeviceInfo().isConnected());

    // The receive page needs the input instead: the output is given up.
    console().showReceivePage();
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
    EXPECT_FALSE (enabled ("Output Port Label"));
    EXPECT_TRUE (enabled ("Input Port Label"));
    console().getDeviceInfo().pollDeviceInfo();
    EXPECT_FALSE (console().getDeviceInfo().isConnected());

    console().showSendPage();
    dialogs.modifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    chooseFromMenu (255);
    chooseOutput (qmr.getPortName());
    EXPECT_EQ (labelText ("Device Label"), "Utility");
    EXPECT_EQ (labelText ("Input Port Label"), "Port is not needed");
    EXPECT_EQ (link->isOutputConnected(), 1);
    EXPECT_TRUE (runMessageLoopUntil ([this] { return console().getBufferDelay() == 300; }));
}

TEST_F (ConsoleDeviceTest, UnpluggingTheDeviceLeavesThePortChoiceAndReconnectsByName)
{
    auto& device = plugDevice (16, "Orvix III MIDI 1");
    open();
    chooseFromMenu (16);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getDeviceInfo().isConnected(); }, 20000)) << "the 750 ms poll";
    EXPECT_TRUE (visible ("Input Check") && visible ("Output Check"));

    device.unplug();
    link->timerCallback();   // the port lists now, not at the next 2000 ms refresh
    ASSERT_TRUE (runMessageLoopUntil ([this]
    {
        console().getDeviceInfo().pollDeviceInfo();
        return ! console().getDeviceInfo().isConnected() && link->isInputConnected() == 0;
    }, 20000)) << "the page at once, the link at its presence check";

    // The choice stays, but the pickers and the marks show the ports gone; what needs the device
    // is off until it is back.
    EXPECT_EQ (labelText ("Device Label"), "Orvix III");
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
    EXPECT_TRUE (console().isInputOk() && console().isOutputOk());
    EXPECT_FALSE (visible ("Input Check") || visible ("Output Check"));
    EXPECT_FALSE (visible ("Connected Label"));
    EXPECT_FALSE (visible ("Firmware Text Label") || visible ("Firmware Link Label"));
    EXPECT_FALSE (enabled ("Transmit") || enabled ("Cancel"));
    EXPECT_TRUE (dialogs.boxes.empty()) << "a lost connection is shown, not announced";

    device.replug();
    link->timerCallback();
    ASSERT_TRUE (runMessageLoopUntil ([this] { console().getDeviceInfo().pollDeviceInfo(); return console().getDeviceInfo().isConnected(); }, 20000));
    EXPECT_EQ (hub.getInputOpenCount ("Orvix III MIDI 1"), 2) << "the link reopened the port by its name";
    EXPECT_TRUE (visible ("Input Check") && visible ("Output Check"));
    EXPECT_EQ (labelText ("Input Port Label"), "Orvix III MIDI 1");
    EXPECT_EQ (labelText ("Output Port Label"), "Orvix III MIDI 1");
    EXPECT_TRUE (console().getTransfers().getQueries().sendEditorDisconnect());
}

TEST_F (ConsoleDeviceTest, EditorDisconnectFailsOnAnErrorCodeAndWithoutAnOpenLink)
{
    auto& device = plugDevice (8, "KT4 MIDI");
    open();

    currentDeviceModel = 8;
    EXPECT_FALSE (console().getTransfers().getQueries().sendEditorDisconnect()) << "no port is open: nothing is sent";
    EXPECT_EQ (device.getReceivedCount (0x42), 0);

    // Choosing the device asks it its version and system information, then disconnects the editor.
    chooseFromMenu (8);
    EXPECT_EQ (device.getReceivedCount (0x42), 1);
    device.setResultCodeForMessage (device.getPacedMessageCount() + 1, 3);
    EXPECT_FALSE (console().getTransfers().getQueries().sendEditorDisconnect());
    EXPECT_TRUE (console().getTransfers().getQueries().sendEditorDisconnect());
    EXPECT_EQ (device.getReceivedCount (0x42), 3);
}

//==============================================================================
// Closing the window while work runs

TEST_F (ConsoleDeviceTest, ClosingDuringASendAsksAndCancelLeavesTheTransferRunning)
{
    auto& device = openOrvixIII (0);
    auto& hold = holdSend (device, 2);
    ASSERT_TRUE (startSend (sendData (60)));
    EXPECT_FALSE (enabled ("Device Label")) << "the page is locked while the send runs";
    ASSERT_TRUE (runMessageLoopUntil ([&] { return hold.received.load() >= 2; }));

    dialogs.answers = { false };
    window->closeButtonPressed();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Closing the application will cancel the current transfer.");
    EXPECT_EQ (dialogs.boxes[0].icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_EQ (services.quits, 0) << "the window stays";

    // Let a few more go, and hold the send again.
    hold.holdFrom.store (5);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return hold.received.load() >= 5; })) << "the transfer goes on";
    EXPECT_TRUE (console().getTransfers().isSendRunning());

    dialogs.answers = { true };
    window->closeButtonPressed();
    EXPECT_EQ (services.quits, 1);
    EXPECT_EQ (link->getMultiMsgTimer().getState(), TransferStates::stopped);
    EXPECT_EQ (dialogs.boxes.size(), 2u) << "the transfer stopped: no force-quit question";

    // The transfer poll hands the page back.
    hold.quit.store (true);
    EXPECT_TRUE (runMessageLoopUntil ([this] { return enabled ("Device Label"); }));
}

TEST_F (ConsoleDeviceTest, ASendThatCannotBeStoppedAtCloseOffersToQuitAnyway)
{
    auto& device = openOrvixIII (0);
    auto& hold = holdSend (device, 2);
    ASSERT_TRUE (startSend (sendData (20)));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return hold.received.load() >= 2; }));
    console().getTransfers().getSendRoad().setTransferStopper ([] (SysExMultiMsgTimer&) { return false; });
    const juce::String forceQuit ("Transfer could not be canceled.  Press 'OK' to force quit.");

    // "Cancel" at the second question keeps the window; "OK" quits anyway.
    for (const bool quit : { false, true })
    {
        dialogs.boxes.clear();
        dialogs.answers = { true, quit };
        window->closeButtonPressed();
        EXPECT_EQ (boxTexts(), juce::StringArray ("Closing the application will cancel the current transfer.", forceQuit));
        EXPECT_EQ (services.quits, quit ? 1 : 0);
        EXPECT_TRUE (console().getTransfers().isSendRunning());
    }

    console().getTransfers().getSendRoad().setTransferStopper (nullptr);
    ASSERT_TRUE (press ("Cancel"));
    hold.quit.store (true);
    EXPECT_TRUE (runMessageLoopUntil ([this] { return enabled ("Device Label"); }));
}

TEST_F (ConsoleDeviceTest, AConsoleThatGoesDuringASendOrADumpLeavesTheLinkWhole)
{
    // The force-quit path: nothing more is stopped, and the link goes after the window.
    auto& device = openOrvixIII (10);

    struct NoListener : public DumpProgressThread::Listener
    {
        void dumpByteCountChanged (juce::uint32, const juce::String&) override {}
    } listener;

    ASSERT_TRUE (startSend (sendData (40)));
    ASSERT_TRUE (console().getTransfers().startDumpCounter (listener));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return device.getPacedMessageCount() >= 2; }));

    window.reset();
    EXPECT_FALSE (link->isMonitoring()) << "nobody records for a console that is gone";
    runMessageLoopFor (50);   // the sender's own ticks go on with its own copy of the data
    link.reset();
}

TEST_F (ConsoleDeviceTest, ClosingDuringABackupAsksFirstAndTheShutdownTakesTheRequestBackSafely)
{
    auto& device = plugDevice (8, "KT4 MIDI");
    streamBankHeldBack (device, heldReplies);
    open();
    chooseFromMenu (8);

    const auto folder = userFolder.getChildFile ("backups");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    ASSERT_TRUE (startKT4Backup (onePresetBank (0), folder));
    EXPECT_FALSE (enabled ("Device Label"));
    EXPECT_FALSE (enabled ("Input Port Label") || enabled ("Output Port Label"));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return device.getSentCount() > 20; }));
    EXPECT_TRUE (console().getTransfers().isBackupRunning());

    dialogs.answers = { false };
    window->closeButtonPressed();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Closing the application will cancel the current transfer.");
    EXPECT_EQ (services.quits, 0);
    EXPECT_TRUE (console().getTransfers().isBackupRunning());

    dialogs.answers = { true };
    window->closeButtonPressed();
    EXPECT_EQ (services.quits, 1);

    // The program's order: the window, with the console and its threads, then the link. The
    // request was still in the worker's hands; the worker must have let it go first.
    window.reset();
    EXPECT_FALSE (link->isThreadRunning());
    EXPECT_TRUE (syxFilesIn (folder).isEmpty()) << "nothing half received is written";

    for (const auto& text : boxTexts())
        EXPECT_FALSE (text.contains ("complete") || text.contains ("saved")) << "nothing is claimed: " << text;

    EXPECT_EQ (dialogs.boxes.size(), 2u) << "the two questions; the run that stopped says nothing more";
    link.reset();
}

TEST_F (ConsoleDeviceTest, ABackupThatCompletesIsWrittenAndHandsThePageBack)
{
    plugDevice (8, "KT4 MIDI");
    open();
    chooseFromMenu (8);

    const auto folder = userFolder.getChildFile ("backups");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    ASSERT_TRUE (startKT4Backup (onePresetBank (0), folder));

    ASSERT_TRUE (runMessageLoopUntil ([this] { return enabled ("Device Label"); }));
    EXPECT_FALSE (console().getTransfers().isBackupRunning());
    ASSERT_EQ (syxFilesIn (folder).size(), 1);
    EXPECT_GT (syxFilesIn (folder)[0].getSize(), 1000);
    ASSERT_EQ (dialogs.boxes.size(), 1u) << "nothing is claimed for the run beyond its file";
    EXPECT_EQ (dialogs.boxes[0].text, syxFilesIn (folder)[0].getFileName() + " has been saved.");
    EXPECT_TRUE (enabled ("Output Port Label"));
}

TEST_F (ConsoleDeviceTest, ABackupEndsWithOneStatusLineAndCancelIsOnlyForWorkThatRuns)
{
    auto& device = plugDevice (8, "KT4 MIDI");
    open();
    chooseFromMenu (8);
    console().showReceivePage();
    const auto folder = userFolder.getChildFile ("backups");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    console().setReceiveFolder (folder.getFullPathName());

    // A device that answered its queries and a page ready for BEGIN leave nothing to cancel.
    ASSERT_TRUE (runMessageLoopUntil ([this] { return enabled ("Transmit"); }));
    EXPECT_FALSE (enabled ("Cancel"));

    // The page as each box finds it.
    juce::StringArray statuses;
    dialogs.onBox = [&] (const ScriptedUserDialogs::Box&) { statuses.add (labelText ("Progress") + (enabled ("Cancel") ? " +Cancel" : "")); };

    ASSERT_TRUE (startKT4Backup (onePresetBank (0), folder));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return statuses.size() == 1 && enabled ("Device Label"); }, 60000));
    ASSERT_EQ (syxFilesIn (folder).size(), 1);
    EXPECT_EQ (statuses[0], syxFilesIn (folder)[0].getFileName() + " has been saved.");

    // Canceled after the bank in hand.
    auto hurry = std::make_shared<std::atomic<bool>> (false);
    streamBankHeldBack (device, heldReplies, 30, hurry);
    ASSERT_TRUE (startKT4Backup (firstBankSet(), folder));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return device.getSentCount() > 10 && enabled ("Cancel"); }));
    ASSERT_TRUE (press ("Cancel"));
    hurry->store (true);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return statuses.size() == 2 && enabled ("Device Label"); }, 60000));
    EXPECT_EQ (statuses[1], "Backup canceled. 1 preset bank(s) written to disk.");
    EXPECT_EQ (labelText ("Progress"), statuses[1]) << "the end line stays";
    EXPECT_FALSE (enabled ("Cancel"));
    dialogs.onBox = nullptr;
}

TEST_F (ConsoleDeviceTest, SteppedBackupJobsRetryThreeTimesOthersEndAtTheFirstTimeOut)
{
    auto& device = plugDevice (8, "KT4 MIDI");
    open();
    chooseFromMenu (8);
    device.setSilent (true);

    console().getTransfers().getBackupRun()->setStepTimeoutMs (50);
    ASSERT_TRUE (userFolder.createDirectory().wasOk());
    ASSERT_TRUE (startKT4Backup (onePresetBank (0), userFolder));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! dialogs.boxes.empty(); }));
    EXPECT_EQ (dialogs.boxes[0].text, "Message timeout.");
    EXPECT_EQ (device.getReceivedCount (0x1C), 1);
    EXPECT_TRUE (enabled ("Device Label"));

    // A KT4 bank-set step is sent again up to three times; "Cancel" would stop after it.
    ASSERT_TRUE (startKT4Backup (firstBankSet(), userFolder));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return dialogs.boxes.size() == 2; }));
    EXPECT_EQ (dialogs.boxes[1].text, "Message timeout.");
    EXPECT_EQ (device.getReceivedCount (0x1C), 1 + 4);
    EXPECT_TRUE (syxFilesIn (userFolder).isEmpty());
}

TEST_F (ConsoleDeviceTest, CancelDuringAKT4BankSetAsksToStopAfterTheCurrentBank)
{
    auto& device = plugDevice (8, "KT4 MIDI");
    auto hurry = std::make_shared<std::atomic<bool>> (false);
    streamBankHeldBack (device, heldReplies, 30, hurry);
    open();
    chooseFromMenu (8);

    ASSERT_TRUE (userFolder.createDirectory().wasOk());
    ASSERT_TRUE (startKT4Backup (firstBankSet(), userFolder));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return device.getSentCount() > 10; }));

    ASSERT_TRUE (press ("Cancel"));
    EXPECT_EQ (labelText ("Progress"), "The backup will cancel following the completion of the current bank.");
    EXPECT_TRUE (console().getTransfers().isBackupRunning()) << "the bank in progress goes on";
    EXPECT_TRUE (dialogs.boxes.empty());

    // The bank in hand is written; the run stops after it and says so.
    hurry->store (true);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().getTransfers().isBackupRunning(); }, 60000));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Backup canceled. 1 preset bank(s) written to disk.");
    EXPECT_EQ (syxFilesIn (userFolder).size(), 1);
    EXPECT_EQ (device.getReceivedCount (0x1C), 1) << "no bank after the one in hand";
}

TEST_F (ConsoleDeviceTest, AFileThatCannotBeWrittenIsReportedAndEndsTheRun)
{
    plugDevice (8, "KT4 MIDI");
    open();
    chooseFromMenu (8);

    // A plain file where the backup folder should be.
    ASSERT_TRUE (userFolder.createDirectory().wasOk());
    const auto notAFolder = userFolder.getChildFile ("backups");
    ASSERT_TRUE (notAFolder.replaceWithText ("x"));
    KT4BackupSelection system;
    system.system = 1;
    ASSERT_TRUE (startKT4Backup (system, notAFolder.getChildFile ("inner")));

    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! dialogs.boxes.empty(); }));
    EXPECT_EQ (dialogs.boxes.back().text, "An error was encountered while writing the file to disk.");
    EXPECT_TRUE (runMessageLoopUntil ([this] { return enabled ("Device Label"); }));
}

TEST_F (ConsoleDeviceTest, ClosingDuringAFootControllerDumpAsksFirst)
{
    struct CountListener : public DumpProgressThread::Listener
    {
        void dumpByteCountChanged (juce::uint32 count, const juce::String& text) override
        {
            lastCount = count;
            lastText = text;
        }

        juce::uint32 lastCount = 0;
        juce::String lastText;
    };

    auto& qmr = plugDevice (4, "QMR-303 MK3 MIDI");
    open();
    chooseFromMenu (4);
    console().showReceivePage();
    juce::StringArray inputs;
    link->getInputDeviceNames (inputs);
    dialogs.menuChoices = { inputs.indexOf (qmr.getPortName()) + 1 };
    console().showInputPortMenu();
    ASSERT_EQ (link->isInputConnected(), 1);

    CountListener listener;
    ASSERT_TRUE (console().getTransfers().startDumpCounter (listener));
    qmr.sendUnsolicited (qmr.makeMessage (0x30, { 1, 2, 3, 4 }));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return listener.lastCount > 0; }));
    EXPECT_EQ (listener.lastText, juce::String (listener.lastCount) + " bytes received");
    EXPECT_TRUE (console().getTransfers().isDumpRunning());

    dialogs.answers = { false };
    window->closeButtonPressed();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Closing the application will cancel the current transfer.");
    EXPECT_EQ (services.quits, 0);

    console().getTransfers().stopDumpCounter();
    EXPECT_FALSE (link->isMonitoring());
    EXPECT_TRUE (enabled ("Device Label"));
    window->closeButtonPressed();
    EXPECT_EQ (services.quits, 1);
    EXPECT_EQ (dialogs.boxes.size(), 1u) << "nothing runs: no question";
}
} // namespace

TEST_F (ConsoleDeviceTest, TheDevicePollSleepsWhileNoPortIsWatchedAndWakesWhenThatMayChange)
{
    auto& device = plugDevice (16, "Orvix III MIDI 1");
    open();

    // No device chosen: one poll turns off what needs a device, then there is nothing to poll.
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().isTimerRunning (ConsoleTimers::devicePollTimer); }));
    EXPECT_FALSE (enabled ("Transmit") || enabled ("Cancel"));
    EXPECT_FALSE (visible ("Connected Label"));

    // A control that needs a device, turned on while none is connected, is turned off again.
    // ("Cancel" is the transfer's, enabled only while one runs.)
    for (const auto* name : { "Transmit" })
    {
        child (name)->setEnabled (true);
        EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer)) << name;
        ASSERT_TRUE (runMessageLoopUntil ([&] { return ! enabled (name); })) << name;
        ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().isTimerRunning (ConsoleTimers::devicePollTimer); })) << name;
    }

    child ("Connected Label")->setVisible (true);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! visible ("Connected Label"); }));

    // Choosing the device opens its ports: the poll runs, finds it, and goes on while the link
    // watches the ports, also while the device is away.
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().isTimerRunning (ConsoleTimers::devicePollTimer); }));
    chooseFromMenu (16);
    EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getDeviceInfo().isConnected(); }));
    EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer));

    device.unplug();
    link->timerCallback();
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().getDeviceInfo().isConnected(); }));
    EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer));

    device.replug();
    link->timerCallback();
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getDeviceInfo().isConnected(); }));

    // Giving up the ports: the poll finds nothing connected, turns things off and sleeps again.
    console().resetPorts();
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().isTimerRunning (ConsoleTimers::devicePollTimer); }));
    EXPECT_FALSE (console().getDeviceInfo().isConnected());
    EXPECT_FALSE (enabled ("Transmit"));
}

TEST_F (ConsoleDeviceTest, AtRestTheConsoleHoldsNoTextEditorAndRunsNoTimerOfItsOwn)
{
    // Every juce::TextEditor keeps the desktop asking where the pointer is, ten times a second.
    std::function<int (juce::Component&)> textEditorsIn = [&] (juce::Component& component)
    {
        int count = dynamic_cast<juce::TextEditor*> (&component) != nullptr ? 1 : 0;

        for (auto* c : component.getChildren())
            count += textEditorsIn (*c);

        return count;
    };

    const auto noTimerOfItsOwn = [this]
    {
        for (int id = ConsoleTimers::logoTimer; id <= ConsoleTimers::firmwareNotice5; ++id)
            if (console().isTimerRunning (id))
                return false;

        return true;
    };

    plugDevice (16, "Orvix III MIDI 1");

    // A pointer that the window appears under is a hovering mouse the tips must follow: the
    // pointer is put in the screen's corner, away from the centred window.
    juce::Desktop::setMousePosition ({ 0, 0 });
    open();

    auto* tooltips = dynamic_cast<HoverTooltipWindow*> (child ("tooltip"));
    ASSERT_NE (tooltips, nullptr);

    // Without a device: the logo's one tick and the poll that turns off what needs a device, then
    // nothing; the tips look at the mouse only until it has come to rest (a pointer the window
    // appeared under, or one the framework still places there from an earlier window).
    ASSERT_TRUE (runMessageLoopUntil ([&] { return noTimerOfItsOwn() && ! tooltips->isWatchingMouse(); }));
    EXPECT_EQ (textEditorsIn (*window), 0);

    // The pointer moves onto a control and rests there (as the window system tells the window):
    // the tips look at it until nothing is left to show, and nothing else wakes.
    auto* control = child ("Device Label");
    ASSERT_NE (control, nullptr);

    for (auto onControl : { control->getScreenBounds().getTopLeft() + juce::Point<int> (2, 2), control->getScreenBounds().getCentre() })
    {
        juce::Desktop::setMousePosition (onControl);
        window->getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                                             window->getPeer()->globalToLocal (onControl.toFloat()), {},
                                             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                             juce::Time::currentTimeMillis());
    }

    EXPECT_TRUE (tooltips->isWatchingMouse());
    EXPECT_TRUE (noTimerOfItsOwn());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return ! tooltips->isWatchingMouse(); }));
    EXPECT_TRUE (noTimerOfItsOwn());

    // The device connected and the File field in use: still no editor.
    chooseFromMenu (16);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getDeviceInfo().isConnected(); }));
    EXPECT_TRUE (enabled ("File"));
    EXPECT_EQ (textEditorsIn (*window), 0);
}
