#include "ConsoleRig.h"
#include "DeviceQueries.h"
#include "DeviceQueryAnswers.h"
#include "DumpBuilders.h"
#include "ManualLinkClock.h"
#include "PacedReplies.h"
#include "RunningLinkClock.h"
#include "SendOptionsDialog.h"
#include "SendFileIntake.h"
#include "SendPlan.h"
#include "SysExFileCheck.h"
#include "TransferReport.h"

#if JUCE_LINUX || JUCE_MAC
 #include <sys/stat.h>
#endif

using namespace morvane::test;

namespace
{
juce::MemoryBlock messages (juce::uint8 model, std::initializer_list<int> functions)
{
    juce::MemoryBlock file;
    int i = 0;

    for (auto f : functions)
    {
        const auto message = makeSysExMessage (model, (juce::uint8) f, { 0, (juce::uint8) (i++ & 0x7F), 1, 2, 3 });
        file.append (message.getData(), message.getSize());
    }

    return file;
}

/** The send page of the console with one device that answers its queries and its sends. */
class SendRoadTest : public ConsoleRig
{
protected:
    ~SendRoadTest() override
    {
        replies.reset();
        folder.deleteRecursively();
    }

    SimulatedDevice& connect (juce::uint8 model, const juce::String& port, int major = 20, int minor = 0)
    {
        auto& device = plugDevice (model, port);
        answers = std::make_unique<DeviceQueryAnswers> (device, major, minor);
        replies = std::make_unique<PacedReplies> (device);
        open();

        if (model == 2 || model == 4 || model == 255)
        {
            dialogs.modifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
            chooseFromMenu (model);
            chooseOutput (port);
        }
        else
        {
            chooseFromMenu (model);
        }

        return device;
    }

    juce::File write (const juce::MemoryBlock& data, const juce::String& name = "file.syx")
    {
        folder.createDirectory();
        auto file = folder.getChildFile (name);
        file.replaceWithData (data.getData(), data.getSize());
        return file;
    }

    /** Loads the file, presses BEGIN with the options the runner chooses, and waits for the end. */
    bool send (const juce::MemoryBlock& data, std::function<int (SendOptionsDialog&)> options = {})
    {
        console().sendOptionsRunner = options != nullptr ? options : [] (SendOptionsDialog&) { return 1; };
        const auto boxesBefore = dialogs.boxes.size();

        if (! console().chooseFileToSend (write (data)))
            return false;

        console().transmit();
        return waitForEnd (boxesBefore);
    }

    /** Waits until the send has ended and its poll has stopped. */
    bool waitForEnd (size_t boxesBefore)
    {
        return runMessageLoopUntil ([&]
        {
            return ! console().getTransfers().isSendRunning() && console().getTransfers().getSendRoad().getLastState() >= 3
                && ! console().getTransfers().getSendRoad().isPolling()
                && (dialogs.boxes.size() > boxesBefore || console().isTimerRunning (ConsoleTimers::firmwareNotice4));
        }, 30000);
    }

    juce::File folder { juce::File::createTempFile ("send") };
};

std::function<int (SendOptionsDialog&)> pickBank (int index)
{
    return [index] (SendOptionsDialog& dialog)
    {
        EXPECT_FALSE (dialog.isSendEnabled()) << "Send waits for the bank";
        EXPECT_TRUE (dialog.chooseBank (index));
        EXPECT_TRUE (dialog.confirm());
        return 1;
    };
}

//==============================================================================
TEST_F (SendRoadTest, EachRouteReachesItsDeviceAsTheDeviceExpects)
{
    struct Route
    {
        const char* what;
        juce::uint8 model;
        const char* port;
        int major;
        juce::MemoryBlock file;
        std::function<int (SendOptionsDialog&)> options;
        std::function<void (const std::vector<juce::MidiMessage>&)> check;
        juce::String text;
        int programChanges = 0;     // sent after the completion, without being waited for
    };

    const auto orvixIIPreset = makePresetDump (3, makePresetWords (3, "Lead", 1), 40);
    const auto xlPlusBank = makeBankDump (7, 0, 2);
    const auto kt4Bank = makeBankDump (8, 0, 8);
    const auto lm6Bank = makeBankDump (10, 0, 8);
    const auto orvixIIICab = makeCabDump (16, makeCabWords ("Room", 3), 0);
    const auto kt4CabBank = makeCabBankDump (8, 0, 3);
    const auto compressed = makeCompressedOrvixIIPreset ("Clean", makeCompressibleValues (4), 4);
    const auto orvixIIForXL = makePresetDump (3, compressed, 7);
    const juce::String complete ("Transfer complete!  ");

    const Route routes[] = {
        { "Orvix II preset to the edit buffer", 3, "ORVIX II MIDI 1", 12, orvixIIPreset, {},
          [] (const auto& received)
          {
              const auto starts = PacedReplies::patchStarts (received);
              ASSERT_EQ (starts.size(), 1u);
              EXPECT_EQ (starts[0].byte6, 127);
              EXPECT_TRUE (starts[0].checksumOk);
              EXPECT_EQ (PacedReplies::sentFile (received).size(), 34u);
          },
          complete + "Your preset has been sent to the edit buffer of the Orvix II Original/MK II. If you wish to store the preset, please do so before continuing." },

        { "Orvix II preset converted for an XL", 6, "ORVIX II MIDI 1", 20, orvixIIForXL, {},
          [] (const auto& received)
          {
              const auto starts = PacedReplies::patchStarts (received);
              ASSERT_EQ (starts.size(), 1u);
              EXPECT_EQ (starts[0].model, 6);
              EXPECT_EQ (starts[0].byte6, 127);
              EXPECT_EQ (PacedReplies::sentFile (received).size(), 66u) << "the XL layout";
          },
          complete + "Your preset has been sent to the edit buffer of the Orvix II XL. If you wish to store the preset, please do so before continuing." },

        { "XL+ bank into the third bank of an XL, then a Program Change", 6, "ORVIX II MIDI 1", 20, xlPlusBank, pickBank (2),
          [] (const auto& received)
          {
              const auto starts = PacedReplies::patchStarts (received);
              ASSERT_EQ (starts.size(), 2u);

              for (const auto& start : starts)
              {
                  EXPECT_EQ (start.model, 6);
                  EXPECT_EQ (start.byte6, 2);
                  EXPECT_TRUE (start.checksumOk);
              }

              EXPECT_EQ (PacedReplies::programChanges (received), 1);
          },
          complete + "The bank has been sent to the Orvix II XL.", 1 },

        { "KT4 bank into bank 10, muted around it", 8, "KT4 MIDI", 2, kt4Bank, pickBank (9),
          [] (const auto& received)
          {
              for (const auto& start : PacedReplies::patchStarts (received))
                  EXPECT_EQ (start.byte6, 9);

              EXPECT_EQ (PacedReplies::patchStarts (received).size(), 8u);
              EXPECT_EQ (PacedReplies::programChanges (received), 0);
          },
          complete + "The bank has been sent to the KT4." },

        { "LM6 MK II bank into bank C of an LM6", 5, "LM6 MIDI", 2, lm6Bank, pickBank (2),
          [] (const auto& received)
          {
              const auto starts = PacedReplies::patchStarts (received);
              ASSERT_EQ (starts.size(), 8u);

              for (int i = 0; i < 8; ++i)
              {
                  EXPECT_EQ (starts[(size_t) i].model, 5);
                  EXPECT_EQ (starts[(size_t) i].byte7, 16 + i);
              }
          },
          complete + "The bank has been sent to the LM6." },

        { "Orvix III cab into user bank 2, location 5", 16, "Orvix III MIDI 1", 1, orvixIIICab,
          [] (SendOptionsDialog& dialog)
          {
              dialog.setCabNumber (1, "5");
              dialog.setUserBank (1);
              EXPECT_TRUE (dialog.confirm());
              return 1;
          },
          [] (const auto& received)
          {
              const auto cabs = PacedReplies::cabs (received);
              ASSERT_EQ (cabs.size(), 1u);
              EXPECT_EQ (cabs[0].slot, 2048 + 1028) << "user locations start at slot 2048 on the Orvix III";
              EXPECT_TRUE (cabs[0].wellFormed);
              EXPECT_EQ (cabs[0].name, "Room");
          },
          complete + "The cab IR has been sent to the Orvix III." },

        { "KT4 cab bank into the third bank", 8, "KT4 MIDI", 2, kt4CabBank, pickBank (2),
          [] (const auto& received)
          {
              const auto cabs = PacedReplies::cabs (received);
              ASSERT_EQ (cabs.size(), 3u);

              for (int i = 0; i < 3; ++i)
              {
                  EXPECT_EQ (cabs[(size_t) i].slot, 256 + i);
                  EXPECT_TRUE (cabs[(size_t) i].wellFormed);
              }
          },
          complete + "The cab bank has been sent to the KT4." },

        { "Orvix II firmware after its lead-in", 3, "ORVIX II MIDI 1", 12, messages (3, { 0x7D, 0x7E, 0x7E, 0x7F }), {},
          [] (const auto& received)
          {
              const auto sent = PacedReplies::sentFile (received);
              ASSERT_EQ (sent.size(), 5u);
              EXPECT_EQ (sent[0].getRawData()[5], 0x25) << "SYSEX_FW_UPDATE first";
          },
          "IMPORTANT! The transfer is complete but the Orvix II Original/MK II needs time to process and program the new firmware. "
          "Please watch the screen of your Orvix II Original/MK II for the \"UPDATE COMPLETE\" message with further instructions." },
    };

    for (const auto& route : routes)
    {
        SCOPED_TRACE (route.what);
        auto& device = connect (route.model, route.port, route.major, 0);
        juce::String statusUnderBox;
        dialogs.onBox = [&] (const ScriptedUserDialogs::Box&) { statusUnderBox = labelText ("Progress"); };
        ASSERT_TRUE (send (route.file, route.options));

        if (route.text.startsWith ("IMPORTANT"))
        {
            EXPECT_EQ (lastText(), juce::String()) << "the device is still programming";
            EXPECT_EQ (labelText ("Progress"), "Please wait...");
            console().showFirmwareNotice (ConsoleTimers::firmwareNotice4);
        }

        EXPECT_EQ (lastText(), route.text);
        EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::InfoIcon);
        EXPECT_EQ (statusUnderBox, "Transfer complete!") << "no step of the send under its end";
        dialogs.onBox = nullptr;

        // The link may still be sending a Program Change queued as the send ended.
        EXPECT_TRUE (runMessageLoopUntil ([&] { return PacedReplies::programChanges (device.getReceived()) >= route.programChanges; }, 20000));
        route.check (device.getReceived());

        EXPECT_EQ (answers->getMuteBytes(), route.model == 8 ? (std::vector<int> { 0, 1 }) : std::vector<int>());

        EXPECT_TRUE (enabled ("Transmit")) << "the page is usable again";

        closeAll();
    }
}
//==============================================================================
// What the device answers decides how a send ends.

TEST_F (SendRoadTest, TheDevicesAnswersDecideTheEndAndAreNeverTakenForSuccessWhenMalformed)
{
    using Fault = PacedReplies::Fault;
    ManualLinkClock clock;

    struct Case
    {
        const char* what;
        std::function<void (PacedReplies&)> arrange;
        juce::String text;
    };

    const juce::String error ("An error has occurred during file transmission.  ");
    const juce::String noResponse ("An error has occurred during file transmission.  No response received.\n"
                                  "Please ensure the Orvix III is connected and powered on, then try again.");
    const auto success = juce::String ("Transfer complete!  ");

    const Case cases[] = {
        { "result code 7 on message 3", [] (PacedReplies& r) { r.setResultCode (3, 7); },
          error + "Please reboot the Orvix III and try again.\n(Status code: 7)" },
        { "silence on message 3", [] (PacedReplies& r) { r.setFault (3, Fault::silent); }, noResponse },
        { "a reply to another function", [] (PacedReplies& r) { r.setFault (3, Fault::wrongFunction); }, noResponse },
        { "a reply with a bad checksum", [] (PacedReplies& r) { r.setFault (3, Fault::badChecksum); }, noResponse },
        { "a reply shorter than 8 bytes", [] (PacedReplies& r) { r.setFault (3, Fault::tooShort); }, noResponse },
        { "a reply without F7", [] (PacedReplies& r) { r.setFault (3, Fault::noF7); }, noResponse },
        { "a duplicated reply", [] (PacedReplies& r) { r.setFault (3, Fault::duplicate); }, success },
        { "another maker's SysEx before the reply", [] (PacedReplies& r) { r.setFault (3, Fault::foreignFirst); }, success },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto& device = connect (16, "Orvix III MIDI 1", 1, 3);
        c.arrange (*replies);
        console().sendOptionsRunner = pickBank (1);
        ASSERT_TRUE (console().chooseFileToSend (write (makeBankDump (16, 0, 2))));
        console().transmit();

        // The clock stands still until the device has given its answer to message 3; then,
        // where that answer does not count, it moves on until the link gives the message up.
        ASSERT_TRUE (runMessageLoopUntil ([&]
        {
            if (c.text == noResponse && replies->getMessageCount() >= 3 && device.isIdle())
                clock.advance (200);

            return ! console().getTransfers().isSendRunning() && console().getTransfers().getSendRoad().getLastState() >= 3
                && ! console().getTransfers().getSendRoad().isPolling() && ! dialogs.boxes.empty();
        }, 30000));

        EXPECT_EQ (lastText(), c.text);
        EXPECT_EQ (dialogs.boxes.back().icon, c.text == noResponse ? juce::MessageBoxIconType::WarningIcon
                                                                   : juce::MessageBoxIconType::InfoIcon);

        if (c.text == success)
        {
            EXPECT_EQ (PacedReplies::sentFile (device.getReceived()).size(), 36u);
        }

        EXPECT_TRUE (enabled ("Transmit"));
        EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer));
        closeAll();
    }
}

TEST_F (SendRoadTest, RepliesJustInsideTheirKindsTimeOutPassAndJustOutsideFail)
{
    ManualLinkClock clock;

    struct Case
    {
        juce::uint8 model;
        const char* port;
        juce::MemoryBlock file;
        int delayedMessage;
        juce::uint32 timeoutMs;
    };

    const Case cases[] = {
        { 16, "Orvix III MIDI 1", makePresetDump (16, makePresetWords (16, "One", 1), 0), 1, 3000 },
        { 6, "ORVIX II MIDI 1", messages (6, { 0x61, 0x62, 0x63 }), 2, 9000 },
        { 5, "LM6 MIDI", messages (5, { 0x61, 0x62, 0x63 }), 2, 15000 },
        { 16, "Orvix III MIDI 1", messages (16, { 0x7D, 0x7E, 0x7F }), 3, 60000 },
    };

    for (const auto& c : cases)
    {
        for (const bool inside : { true, false })
        {
            SCOPED_TRACE (juce::String (c.timeoutMs) + (inside ? " inside" : " outside"));
            connect (c.model, c.port, 20, 0);
            replies->setDelayMs (c.delayedMessage, inside ? c.timeoutMs - 500 : c.timeoutMs + 500);
            console().sendOptionsRunner = [] (SendOptionsDialog&) { return 1; };
            ASSERT_TRUE (console().chooseFileToSend (write (c.file)));
            console().transmit();

            // Once the device holds the reply, the clock jumps just short of it: inside the
            // time-out the reply then arrives in time; outside, the link gives the message up
            // first, and only then is the late reply let go.
            bool jumped = false;

            ASSERT_TRUE (runMessageLoopUntil ([&]
            {
                if (replies->isWaitingOnClock() && ! jumped)
                {
                    clock.advance (inside ? c.timeoutMs - 500 : c.timeoutMs + 100);
                    jumped = true;
                }

                return ! console().getTransfers().isSendRunning() && console().getTransfers().getSendRoad().getLastState() >= 3
                    && ! console().getTransfers().getSendRoad().isPolling();
            }, 30000));

            EXPECT_EQ (console().getTransfers().getSendRoad().getLastState(), inside ? TransferStates::finished : TransferStates::requestFailed);

            if (! inside)
            {
                EXPECT_EQ (lastText(), TransferReport::noResponseText (c.model));
            }

            clock.advance (c.timeoutMs);   // lets a late reply go
            closeAll();
        }
    }
}

TEST_F (SendRoadTest, CancelAndALostDeviceEndTheSendAndHandThePageBack)
{
    ManualLinkClock clock;

    const struct
    {
        const char* what;
        juce::MemoryBlock file;
        bool unplug;
    } cases[] = {
        { "bank cancelled", makeBankDump (8, 0, 8), false },
        { "bank unplugged", makeBankDump (8, 0, 8), true },
        { "cab bank unplugged", makeCabBankDump (8, 0, 3), true },
        { "firmware unplugged", messages (8, { 0x7D, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7F }), true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const bool unplug = c.unplug;
        auto& device = connect (8, "KT4 MIDI", 2, 0);
        replies->setFault (3, PacedReplies::Fault::silent);   // the send waits at message 3: the clock stands still
        console().sendOptionsRunner = pickBank (1);
        ASSERT_TRUE (console().chooseFileToSend (write (c.file)));
        console().transmit();
        ASSERT_TRUE (runMessageLoopUntil ([&] { return replies->getMessageCount() >= 3; }));
        EXPECT_FALSE (enabled ("Device Label")) << "the page is locked";
        EXPECT_TRUE (enabled ("Cancel"));
        const auto muteBytes = answers->getMuteBytes();

        juce::String statusUnderBox;
        dialogs.onBox = [&] (const ScriptedUserDialogs::Box&) { statusUnderBox = labelText ("Progress"); };
        std::unique_ptr<RunningLinkClock> running;

        if (unplug)
        {
            // The link's presence check finds the port gone; the message in flight then times out.
            device.unplug();
            link->timerCallback();
            clock.advance (1100);
            ASSERT_TRUE (runMessageLoopUntil ([&] { return link->isOutputConnected() == 0; }));
            clock.advance (3000);
        }
        else
        {
            ASSERT_TRUE (press ("Cancel"));

            // The stopped transfer's last message holds the link until its time-out; the unmute
            // goes after it.
            running = std::make_unique<RunningLinkClock>();
        }

        ASSERT_TRUE (runMessageLoopUntil ([&]
        {
            return ! console().getTransfers().getSendRoad().isPolling() && ! dialogs.boxes.empty();
        }, 30000));
        dialogs.onBox = nullptr;

        EXPECT_TRUE (enabled ("Device Label")) << "the page is usable again";
        EXPECT_FALSE (enabled ("Cancel"));
        EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer));
        EXPECT_EQ (muteBytes, std::vector<int> { 0 });
        EXPECT_EQ (labelText ("Progress"), statusUnderBox) << "the end line is shown with the box and stays";

        if (! unplug)
        {
            // Where it stopped and what that means, after the cancel text, in the box and the line.
            EXPECT_TRUE (lastText().startsWith ("File transmission has been canceled.\n\nThe transfer stopped at ")) << lastText();
            EXPECT_TRUE (lastText().endsWith (" %, so the data on the device may be incomplete.")) << lastText();
            EXPECT_TRUE (statusUnderBox.startsWith ("File transmission has been canceled. The transfer stopped at ")) << statusUnderBox;
            EXPECT_EQ (answers->getMuteBytes(), (std::vector<int> { 0, 1 })) << "unmuted once after the cancel";
            closeAll();
            continue;
        }

        // One box: the lost connection, how far the send got and what that means; nothing is
        // asked of the device that is gone.
        ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
        EXPECT_TRUE (lastText().startsWith (TransferReport::lostCommunicationText)) << lastText();
        EXPECT_TRUE (lastText().contains ("stopped at ") && lastText().contains (" %, so the data on the device may be incomplete")) << lastText();
        EXPECT_TRUE (statusUnderBox.startsWith ("Transfer stopped at ")) << statusUnderBox;
        EXPECT_EQ (answers->getMuteBytes(), muteBytes);

        // The pickers show the ports gone and keep the choice; the page is ready once they are back.
        EXPECT_FALSE (enabled ("Transmit") || enabled ("Browse") || visible ("Connected Label")) << "at once";
        EXPECT_FALSE (visible ("Input Check") || visible ("Output Check"));
        EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
        EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");

        device.replug();
        link->timerCallback();
        EXPECT_TRUE (runMessageLoopUntil ([&]
        {
            clock.advance (100);
            return visible ("Input Check") && visible ("Output Check") && enabled ("Transmit");
        }, 20000));
        EXPECT_EQ (labelText ("Output Port Label"), "KT4 MIDI") << "the port taken again by its name";

        closeAll();
    }
}

TEST_F (SendRoadTest, ASendAfterAUtilityOrQMR303SendExpectsRepliesAgain)
{

    for (const juce::uint8 first : { (juce::uint8) 255, (juce::uint8) 4 })
    {
        SCOPED_TRACE ((int) first);
        auto& device = connect (16, "Orvix III MIDI 1", 1, 3);

        // The first send goes out as the Utility or the QMR-303 sends it, expecting no replies.
        dialogs.modifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
        chooseFromMenu (first);
        chooseOutput (device.getPortName());
        ASSERT_TRUE (send (first == 255 ? messages (2, { 0x10, 0x11 }) : messages (4, { 0x7D, 0x7E, 0x7F })));
        EXPECT_EQ (lastText(), first == 255 ? juce::String ("The transfer is complete.")
                                            : TransferReport::successText (4, PayloadKinds::qmr303Firmware));

        // Then a device that answers nothing: the send must wait for replies, and fail.
        dialogs.modifiers = {};
        chooseFromMenu (16);
        device.setSilent (true);
        RunningLinkClock running;
        ASSERT_TRUE (send (makePresetDump (16, makePresetWords (16, "One", 1), 0)));
        EXPECT_EQ (lastText(), TransferReport::noResponseText (16));

        closeAll();
    }
}

TEST_F (SendRoadTest, AnOrvixIIIUSBFirmwareIsRetriedFourTimesThenGivenUp)
{
    ManualLinkClock clock;   // moves only 10 ms a reply: every transfer ends "too soon"
    auto& device = connect (16, "Orvix III MIDI 1", 1, 3);
    replies->setDelayMs (0, 10);
    ASSERT_TRUE (console().chooseFileToSend (write (messages (16, { 0x6D, 0x6E, 0x6F }))));
    console().transmit();

    // The status line counts the retries. It is read while a reply waits on the clock, that is
    // inside each transfer: one pass of the message loop can hold a whole retry.
    // The clock moves once for each waiting reply, however slowly the reply notices.
    juce::StringArray statuses;
    int lastMoved = 0;
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + 30000;

    while (dialogs.boxes.empty() && juce::Time::getMillisecondCounterHiRes() < deadline)
    {
        if (replies->isWaitingOnClock() && replies->getMessageCount() != lastMoved)
        {
            statuses.addIfNotAlreadyThere (labelText ("Progress"));
            lastMoved = replies->getMessageCount();
            clock.advance (10);
        }

        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    ASSERT_FALSE (dialogs.boxes.empty());
    EXPECT_EQ (lastText(), "The Orvix III USB firmware failed to download.\nPlease reboot the device and try again.");
    EXPECT_TRUE (statuses.contains ("Transferring sysex...")) << statuses.joinIntoString ("|");

    for (int retry = 1; retry <= 4; ++retry)
        EXPECT_TRUE (statuses.contains ("Transferring sysex (retry " + juce::String (retry) + ")...")) << statuses.joinIntoString ("|");

    EXPECT_EQ (device.getReceivedCount (0x6D), 5) << "the first send and four retries";
    EXPECT_EQ (console().getTransfers().getSendRoad().getUsbFirmwareRetries(), 4);
    EXPECT_TRUE (enabled ("Device Label"));
    EXPECT_TRUE (console().isTimerRunning (ConsoleTimers::devicePollTimer)) << "the device poll is back";

    // A device that takes its time has taken the image: the notice follows.
    dialogs.boxes.clear();
    replies->setDelayMs (device.getReceivedCount (0x6D) * 3 + 3, 3000);
    console().transmit();
    ASSERT_TRUE (runMessageLoopUntil ([&]
    {
        if (replies->isWaitingOnClock())
            clock.advance (100);

        return ! dialogs.boxes.empty();
    }, 30000));
    EXPECT_EQ (lastText(), "IMPORTANT! The transfer is complete. Please power off the Orvix III, wait 5 seconds, and then power the unit back on.");
    closeAll();   // the link's worker reads the clock: it stops before the clock goes
}

TEST_F (SendRoadTest, RefusedSendsSayWhyAndSendNothing)
{

    auto truncatedKT4Bank = makeBankDump (8, 0, 8);
    const auto splitAt = (size_t) (splitMessages (truncatedKT4Bank).size() - 66) ;
    size_t offset = 0;

    for (size_t i = 0; i < splitAt; ++i)
        offset += splitMessages (truncatedKT4Bank)[i].getSize();

    truncatedKT4Bank.setSize (offset + 9);   // the last PATCH_START ends, closed, after 9 bytes
    truncatedKT4Bank[(int) offset + 7] = (char) sysExChecksum (static_cast<const juce::uint8*> (truncatedKT4Bank.getData()) + offset, 7);
    truncatedKT4Bank[(int) offset + 8] = (char) 0xF7;

    // The first preset does not convert for an XL, the last does: the bank is still refused.
    auto partlyConvertible = makePresetDump (3, makePresetWords (3, "Raw", 1), 0);
    const auto convertible = makePresetDump (3, makeCompressedOrvixIIPreset ("Clean", makeCompressibleValues (4), 4), 1);
    partlyConvertible.append (convertible.getData(), convertible.getSize());

    auto brokenCabBank = makeCabBankDump (8, 0, 2);
    static_cast<juce::uint8*> (brokenCabBank.getData())[200] ^= 0x01;

    struct Case
    {
        const char* what;
        juce::uint8 model;
        const char* port;
        juce::MemoryBlock file;
        std::function<int (SendOptionsDialog&)> options;
        std::function<void (SimulatedDevice&)> arrange;
        juce::String text;
    };

    const Case cases[] = {
        { "an Orvix II bank that does not convert for an XL", 6, "ORVIX II MIDI 1", makeBankDump (3, 0, 2), pickBank (0), {},
          "An error was encountered while converting preset format." },
        { "an Orvix II bank of which only the last preset converts for an XL", 6, "ORVIX II MIDI 1", partlyConvertible,
          pickBank (0), {}, "An error was encountered while converting preset format." },
        { "a KT4 bank cut short", 8, "KT4 MIDI", truncatedKT4Bank, pickBank (0), {}, SendPlan::truncatedFileText },
        { "a cab bank with a broken cab", 8, "KT4 MIDI", brokenCabBank, pickBank (0), {}, SysExFileCheck::cutShortText() },
        { "a KT4 that does not answer its mute", 8, "KT4 MIDI", makeCabBankDump (8, 0, 2), pickBank (0),
          [] (SimulatedDevice& d) { d.setReplyHandler (0x3E, [] (const juce::MidiMessage&, const SimulatedDevice::Emit&) {}); },
          "Morvane is not able to mute the connected device and cannot proceed with the transfer. Please reboot the KT4." },
        { "a file of another maker", 16, "Orvix III MIDI 1", juce::MemoryBlock ("\xF0\x41\x10\x42\x12\x00\x00\xF7", 8), {}, {},
          "The selection does not appear to be a valid file for the Orvix III.\n\nPlease choose a different file." },
        { "a USB firmware of another model", 16, "Orvix III MIDI 1", messages (17, { 0x6D, 0x6F }), {}, {},
          "The selection does not appear to be a valid file for the Orvix III.\n\nPlease choose a different file." },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto& device = connect (c.model, c.port, 20, 0);

        std::unique_ptr<RunningLinkClock> running;   // only where the device is to stay silent

        if (c.arrange != nullptr)
        {
            c.arrange (device);
            running = std::make_unique<RunningLinkClock>();
        }

        console().sendOptionsRunner = c.options != nullptr ? c.options : [] (SendOptionsDialog&) { return 1; };

        if (console().chooseFileToSend (write (c.file)))
            console().transmit();

        ASSERT_FALSE (dialogs.boxes.empty());
        EXPECT_EQ (lastText(), c.text);
        EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::WarningIcon);
        EXPECT_TRUE (PacedReplies::sentFile (device.getReceived()).empty()) << "nothing was sent";
        EXPECT_FALSE (console().getTransfers().getSendRoad().isPolling());

        closeAll();
    }
}

TEST_F (SendRoadTest, ABankCutInsideItsLastMessageIsRefusedAndNothingAtAllIsSent)
{
    auto& device = connect (16, "Orvix III MIDI 1", 20, 0);
    auto bank = makeBankDump (16, 0, 128);
    bank.setSize (bank.getSize() - 1);   // only the final F7 is missing
    const auto receivedBefore = device.getReceived().size();

    EXPECT_FALSE (console().chooseFileToSend (write (bank)));
    ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
    EXPECT_EQ (lastText(), SysExFileCheck::cutShortText());
    EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::WarningIcon);

    console().sendOptionsRunner = pickBank (0);
    console().transmit();
    runMessageLoopFor (200);
    EXPECT_FALSE (console().getTransfers().isSendRunning());
    EXPECT_EQ (device.getReceived().size(), receivedBefore) << "nothing reached the device, not even a mute";
    closeAll();
}

TEST_F (SendRoadTest, BeginWithThePortsAlreadyGoneSaysSoOnceAndSendsNothing)
{
    ManualLinkClock clock;
    auto& device = connect (16, "Orvix III MIDI 1", 1, 3);
    ASSERT_TRUE (console().chooseFileToSend (write (makePresetDump (16, makePresetWords (16, "One", 1), 0))));

    // The link's presence check finds both ports gone before BEGIN is pressed.
    device.unplug();
    link->timerCallback();
    clock.advance (1100);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return link->isOutputConnected() == 0 && link->isInputConnected() == 0; }));
    const auto receivedBefore = device.getReceived().size();
    dialogs.boxes.clear();

    console().transmit();
    runMessageLoopFor (200);

    ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
    EXPECT_EQ (lastText(), "Morvane has lost communication with the device.  "
                           "Please make sure the device is powered on and connected to the computer.");
    EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_FALSE (console().getTransfers().getSendRoad().isPolling()) << "no transfer poll";
    EXPECT_FALSE (console().getTransfers().isSendRunning());
    EXPECT_EQ (link->getMultiMsgTimer().getState(), TransferStates::idle) << "nothing was handed to the sender";
    EXPECT_EQ (device.getReceived().size(), receivedBefore) << "nothing reached the device";
    closeAll();
}

TEST_F (SendRoadTest, ACabNumberOutsideItsFieldKeepsTheOptionsOpen)
{
    connect (3, "ORVIX II MIDI 1", 20, 0);
    answers.reset();
    ASSERT_TRUE (console().chooseFileToSend (write (makeCabDump (3, makeCabWords ("Cab", 1), 0))));

    console().sendOptionsRunner = [this] (SendOptionsDialog& dialog)
    {
        EXPECT_FALSE (dialog.confirm()) << "no destination chosen yet";

        for (const auto* text : { "", "0", "129" })
        {
            dialogs.boxes.clear();
            dialog.setCabNumber (1, text);
            EXPECT_FALSE (dialog.confirm()) << text;
            EXPECT_EQ (lastText(), "Please enter a valid user cab number between 1 and 128") << text;
        }

        dialog.setCabNumber (1, "128");
        EXPECT_TRUE (dialog.confirm());
        EXPECT_EQ (dialog.getChoices().destinationSlot, 128);
        EXPECT_EQ (dialog.getChoices().destinationMode, 2);
        return 0;   // closed without sending
    };

    console().transmit();
    EXPECT_FALSE (console().getTransfers().isSendRunning());
}

TEST_F (SendRoadTest, AFirmwareImageInMemoryIsSentAtOnceOrRefused)
{
    auto& device = connect (8, "KT4 MIDI", 2, 0);

    EXPECT_FALSE (console().getSendPage().sendFirmwareImage (messages (3, { 0x7D, 0x7F }), "Orvix II firmware 1.0"));
    EXPECT_EQ (lastText(), "The selected file is for a Orvix II Original/MK II and is not valid for the KT4.\n\nPlease choose a different file.");

    dialogs.boxes.clear();
    ASSERT_TRUE (console().getSendPage().sendFirmwareImage (messages (8, { 0x7D, 0x7E, 0x7F }), "KT4 firmware 2.10"));
    auto* field = dynamic_cast<ReadOnlyTextField*> (child ("File"));
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "KT4 firmware 2.10");
    ASSERT_TRUE (waitForEnd (0));
    const auto sent = PacedReplies::sentFile (device.getReceived());
    ASSERT_EQ (sent.size(), 4u);
    EXPECT_EQ (sent[0].getRawData()[5], 0x25) << "the firmware lead-in";
    EXPECT_EQ (answers->getMuteBytes(), (std::vector<int> { 0 })) << "a KT4 firmware is muted first and never unmuted";
}

TEST (SendPlanCabBank, ABankLargerThanTheRoomLeftIsRefused)
{
    juce::MemoryBlock file;

    for (int i = 0; i < 129; ++i)
    {
        const auto start = makeSysExMessage (8, 0x7A, { 0, (juce::uint8) (i & 0x7F), 0, 16 });
        file.append (start.getData(), start.getSize());
    }

    SendPlan::Device device;
    device.model = 8;
    device.version.model = 8;
    SendPlan::Choices choices;
    choices.destinationBank = 0;
    choices.destinationChosen = true;

    const auto result = SendPlan::prepareCabBank (file, device, choices);
    EXPECT_FALSE (result.send);
    EXPECT_EQ (result.errorText, SendPlan::cabBankTooLargeText);

    choices.destinationChosen = false;
    EXPECT_FALSE (SendPlan::prepareCabBank (file, device, choices).send) << "no bank chosen, nothing sent";
}
//==============================================================================
TEST_F (SendRoadTest, AFileDroppedOnTheWindowIsSentWithBegin)
{
    auto& device = connect (16, "Orvix III MIDI 1", 1, 3);
    auto* peer = window->getPeer();
    ASSERT_NE (peer, nullptr) << "the window is on the display";
    ASSERT_TRUE (runMessageLoopUntil ([this] { console().getDeviceInfo().pollDeviceInfo(); return console().getDeviceInfo().isConnected(); }));

    // The platform hands a drop to the window's peer, which finds the console under the point.
    const auto file = write (makePresetDump (16, makePresetWords (16, "Dropped", 2), 9), "dropped.syx");
    const auto consoleOrigin = console().getScreenPosition() - window->getScreenPosition();

    // Anywhere on the console, not only on the file panel; the drop is delivered after the
    // platform's drag has ended.
    juce::ComponentPeer::DragInfo drop;
    drop.files.add (file.getFullPathName());
    drop.position = consoleOrigin + juce::Point<int> (100, 100);
    peer->handleDragMove (drop);
    EXPECT_TRUE (peer->handleDragDrop (drop));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getTransfers().getSendFile().isLoaded(); }));
    EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), "dropped.syx");

    console().getDeviceInfo().pollDeviceInfo();
    auto* begin = dynamic_cast<juce::Button*> (child ("Transmit"));
    ASSERT_TRUE (begin != nullptr && begin->isEnabled());
    begin->triggerClick();

    ASSERT_TRUE (waitForEnd (0));
    EXPECT_EQ (lastText(), TransferReport::successText (16, PayloadKinds::preset));
    const auto starts = PacedReplies::patchStarts (device.getReceived());
    ASSERT_EQ (starts.size(), 1u);
    EXPECT_EQ (starts[0].byte6, 127);
}
TEST_F (SendRoadTest, AFileFarLargerThanAnyDevicesIsRefusedBeforeItIsRead)
{
    connect (16, "Orvix III MIDI 1", 1, 3);
    folder.createDirectory();
    const auto huge = folder.getChildFile ("huge.syx");

    {
        // A sparse file: its size is what counts, not its content.
        juce::FileOutputStream out (huge);
        ASSERT_TRUE (out.openedOk());
        out.write ("\xF0\x00\x01\x74\x10\x77\x00\x00", 8);
        ASSERT_TRUE (out.setPosition (SysExFileCheck::maxFileBytes));
        out.writeByte ((char) 0xF7);
    }

    EXPECT_FALSE (console().chooseFileToSend (huge));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (lastText(), SysExFileCheck::tooLargeText());
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());
}
} // namespace

TEST_F (SendRoadTest, PathsThatCannotBeSentAreRefusedWithTheirReasonAndNothingBlocks)
{
    connect (16, "Orvix III MIDI 1", 1, 3);
    folder.createDirectory();
    const auto good = write (messages (16, { 0x77 }), "good.syx");
    ASSERT_TRUE (console().chooseFileToSend (good));

    using Refusal = SendFileIntake::Refusal;
    std::vector<std::pair<juce::File, juce::String>> refused;
    refused.push_back ({ folder, SendFileIntake::textFor (Refusal::folder) });

    const auto empty = folder.getChildFile ("empty.syx");
    ASSERT_TRUE (empty.create());
    refused.push_back ({ empty, SendFileIntake::textFor (Refusal::empty) });

    // Shorter than one message: the device's own refusal.
    refused.push_back ({ write (juce::MemoryBlock (messages (16, { 0x77 }).getData(), 2), "short.syx"),
                         SysExFileCheck::refusalText ({}, 16) });

    const auto dangling = folder.getChildFile ("dangling.syx");
    ASSERT_TRUE (juce::File::createSymbolicLink (dangling, folder.getChildFile ("gone.syx").getFullPathName(), true));
    refused.push_back ({ dangling, SendFileIntake::textFor (Refusal::brokenLink) });
   #if JUCE_LINUX || JUCE_MAC
    // A pipe without a writer: opening it would hold the message thread until someone writes.
    const auto pipe = folder.getChildFile ("pipe.syx");
    ASSERT_EQ (::mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
    refused.push_back ({ pipe, SendFileIntake::textFor (Refusal::notAFile) });
   #endif

    for (const auto& [file, text] : refused)
    {
        const auto boxesBefore = dialogs.boxes.size();
        EXPECT_FALSE (console().chooseFileToSend (file)) << file.getFileName();
        ASSERT_EQ (dialogs.boxes.size(), boxesBefore + 1) << file.getFileName() << " was refused without a word";
        EXPECT_EQ (lastText(), text);
    }

    // A chooser that is cancelled changes nothing either.
    EXPECT_FALSE (console().chooseFileToSend ({}));
    EXPECT_EQ (dialogs.openChooser, "Select a file... *.syx");

    // The file taken before stays loaded.
    EXPECT_TRUE (console().getTransfers().getSendFile().isLoaded());
    EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), "good.syx");
}
