#include "ConsoleRig.h"
#include "DamagedFiles.h"
#include "DeviceQueryAnswers.h"
#include "DumpBuilders.h"
#include "PacedReplies.h"
#include "SendOptionsDialog.h"
#include "SysExFileCheck.h"

using namespace morvane::test;

namespace
{
/** The send page with one device that answers its queries and its sends, and a count of the
    Transmit dialogs that were offered.
*/
class DamagedFileSendTest : public ConsoleRig
{
protected:
    ~DamagedFileSendTest() override
    {
        closeAll();
        folder.deleteRecursively();
    }

    SimulatedDevice& connect (juce::uint8 model, const juce::String& port, int major)
    {
        auto& device = plugDevice (model, port);
        answers = std::make_unique<DeviceQueryAnswers> (device, major, 0);
        replies = std::make_unique<PacedReplies> (device);
        open();

        if (model == 255)
        {
            dialogs.modifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
            chooseFromMenu (model);
            chooseOutput (port);
        }
        else
        {
            chooseFromMenu (model);
        }

        // No pause between the messages: the Utility's sends are paced by it alone.
        if (auto* delay = dynamic_cast<juce::Slider*> (child ("MIDI Buffer Delay")))
            delay->setValue (0.0, juce::sendNotificationSync);

        console().sendOptionsRunner = [this] (SendOptionsDialog& dialog)
        {
            ++transmitDialogs;
            EXPECT_TRUE (dialog.chooseBank (bankToChoose));
            EXPECT_TRUE (dialog.confirm());
            return 1;
        };

        return device;
    }

    juce::File write (const juce::MemoryBlock& data)
    {
        folder.createDirectory();
        auto file = folder.getChildFile ("file.syx");
        file.replaceWithData (data.getData(), data.getSize());
        return file;
    }

    /** Offers the file and presses BEGIN; true when the file was taken. */
    bool chooseAndBegin (const juce::MemoryBlock& data)
    {
        const bool taken = console().chooseFileToSend (write (data));
        console().transmit();
        return taken;
    }

    bool waitForEnd()
    {
        return runMessageLoopUntil ([this]
        {
            auto& road = console().getTransfers().getSendRoad();
            return ! console().getTransfers().isSendRunning() && road.getLastState() >= 3 && ! road.isPolling()
                   && ! dialogs.boxes.empty();
        }, 60000);
    }

    juce::File folder { juce::File::createTempFile ("damaged") };
    int transmitDialogs = 0;
    int bankToChoose = 0;
};

juce::MemoryBlock joined (const std::vector<juce::MidiMessage>& messages)
{
    juce::MemoryBlock all;

    for (const auto& message : messages)
        all.append (message.getRawData(), (size_t) message.getRawDataSize());

    return all;
}

//==============================================================================
TEST_F (DamagedFileSendTest, NoDamagedFileReachesADeviceAndTheUtilitySendsOnlyWholeFiles)
{
    const auto bank = makeBankDump (16, 0, 2);

    for (const auto& damaged : damagedCopiesOf (bank, 8))
    {
        SCOPED_TRACE (damaged.what);

        {
            auto& device = connect (16, "Orvix III MIDI 1", 20);
            const auto receivedBefore = device.getReceived().size();

            EXPECT_FALSE (chooseAndBegin (damaged.file));
            ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
            EXPECT_EQ (lastText(), SysExFileCheck::cutShortText());
            EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::WarningIcon);

            runMessageLoopFor (100);
            EXPECT_EQ (transmitDialogs, 0) << "no Transmit dialog is offered";
            EXPECT_FALSE (console().getTransfers().isSendRunning());
            EXPECT_EQ (device.getReceived().size(), receivedBefore) << "nothing reached the device";
            closeAll();
        }

        // The Utility sends a file of whole messages as it is, all of it, or nothing.
        {
            auto& device = connect (255, "Utility MIDI", 20);
            EXPECT_EQ (chooseAndBegin (damaged.file), damaged.wholeMessagesForTheUtility);

            if (damaged.wholeMessagesForTheUtility)
            {
                ASSERT_TRUE (waitForEnd());
                EXPECT_EQ (joined (device.getReceived()), damaged.file) << "every byte, message by message";
            }
            else
            {
                EXPECT_EQ (lastText(), SysExFileCheck::cutShortText());
                runMessageLoopFor (100);
                EXPECT_TRUE (device.getReceived().empty());
            }

            closeAll();
        }
    }
}

TEST_F (DamagedFileSendTest, AnOrvixIIXLCabBankIsConvertedIntoTheKT4BankChosen)
{
    auto& device = connect (8, "KT4 MIDI", 2);
    bankToChoose = 1;

    EXPECT_TRUE (chooseAndBegin (makeCabBankDump (6, 0, 4)));
    ASSERT_TRUE (waitForEnd());
    EXPECT_EQ (transmitDialogs, 1);
    EXPECT_TRUE (lastText().endsWith ("The cab bank has been sent to the KT4.")) << lastText();

    const auto cabs = PacedReplies::cabs (device.getReceived());
    ASSERT_EQ (cabs.size(), 4u);

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (cabs[(size_t) i].slot, 128 + i) << "the second bank";
        EXPECT_TRUE (cabs[(size_t) i].wellFormed);
        EXPECT_EQ (cabs[(size_t) i].name, "Cab " + juce::String (i));
    }

    for (const auto& message : PacedReplies::sentFile (device.getReceived()))
        EXPECT_EQ (message.getRawData()[4], 8) << "every message is the KT4's";
}

TEST_F (DamagedFileSendTest, ACabBankWithACabThatDoesNotReadIsRefusedBeforeTheTransmitDialog)
{
    auto& device = connect (8, "KT4 MIDI", 2);

    // The second cab's CABIR_END, a message whose own checksum holds, does not match its words.
    juce::MemoryBlock file;
    int ends = 0;

    for (const auto& message : splitMessages (makeCabBankDump (6, 0, 4)))
    {
        const auto piece = message[5] == (char) 0x7C && ends++ == 1 ? makeSysExMessage (6, 0x7C, { 1, 0, 0, 0, 0 }) : message;
        file.append (piece.getData(), piece.getSize());
    }

    const auto receivedBefore = device.getReceived().size();
    EXPECT_FALSE (chooseAndBegin (file));
    ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
    EXPECT_EQ (lastText(), SysExFileCheck::damagedCabText (8));

    runMessageLoopFor (100);
    EXPECT_EQ (transmitDialogs, 0);
    EXPECT_EQ (device.getReceived().size(), receivedBefore) << "not even a mute";
}
} // namespace
