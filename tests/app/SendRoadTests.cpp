#include "ConsoleRig.h"
#include "DeviceQueries.h"
#include "DeviceQueryAnswers.h"
#include "DumpBuilders.h"
#include "ManualLinkClock.h"
#include "PacedReplies.h"
#include "RunningLinkClock.h"
#include "SendOptionsDialog.h"
#include "SendPlan.h"
#include "TransferReport.h"

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
            return ! console().isSendRunning() && console().getSendRoad().getLastState() >= 3
                && ! console().isTimerRunning (ConsoleTimers::transferPollTimer)
                && (dialogs.boxes.size() > boxesBefore || console().isTimerRunning (ConsoleTimers::firmwareNotice4));
        }, 30000);
    }

    juce::String lastText() const { return dialogs.boxes.empty() ? juce::String() : dialogs.boxes.back().text; }

    juce::File folder { juce::File::createTempFile ("send") };
    std::unique_ptr<DeviceQueryAnswers> answers;
    std::unique_ptr<PacedReplies> replies;
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
    };

    const auto orvixIIPreset = makePresetDump (3, makePresetWords (3, "Lead", 1), 40);
    const auto xlPlusBank = makeBankDump (7, 0, 2);
    const auto kt4Bank = makeBankDump (8, 0, 8);
    const auto lm6Bank = makeBankDump (10, 0, 8);
    const auto orvixIIICab = makeCabDump (16, makeCabWords ("Room", 3), 0);
    const auto kt4CabBank = makeCabBankDump (8, 0, 3);
    const auto compressed = makeCompressedOrvixIIPreset ("Clean", makeCompressibleValues (4), 4);
    const auto orvixIIForXL = makePresetDump (3, compressed, 7);
    const juce::String complete (TransferReport::completionText);

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
          complete + "The bank has been sent to the Orvix II XL." },

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
        ASSERT_TRUE (send (route.file, route.options));

        if (route.text.startsWith ("IMPORTANT"))
        {
            EXPECT_EQ (lastText(), juce::String()) << "the device is still programming";
            EXPECT_EQ (labelText ("Progress"), "Please wait...");
            console().showFirmwareNotice (ConsoleTimers::firmwareNotice4);
        }

        EXPECT_EQ (lastText(), route.text);
        EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::InfoIcon);
        route.check (device.getReceived());

        EXPECT_EQ (answers->getMuteBytes(), route.model == 8 ? (std::vector<int> { 0, 1 }) : std::vector<int>());

        EXPECT_TRUE (enabled ("Transmit")) << "the page is usable again";

        replies.reset();
        window.reset();
        link.reset();
        devices.clear();
        dialogs.boxes.clear();
    }
}
} // namespace
