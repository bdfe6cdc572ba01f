#include "BackupDumpServer.h"
#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"
#include "PacedReplies.h"
#include "SendOptionsDialog.h"

using namespace morvane::test;

namespace
{
/** An Orvix II XL and a KT4 on the same ports hub, behind one console: a cab bank is backed up
    from the one by the console's backup run and the file it wrote is sent to the other.
*/
class CabBankBackupSendTest : public ConsoleRig
{
protected:
    ~CabBankBackupSendTest() override
    {
        server.reset();
        kt4Replies.reset();
        kt4Answers.reset();
        xlAnswers.reset();
        window.reset();
        link.reset();

        for (auto& device : devices)
            device->unplug();

        devices.clear();
        folder.deleteRecursively();
    }

    /** Plugs both devices and opens the console; withServer answers the XL's dumps with the
        backup server's cabs instead of the device's own.
    */
    void plugBoth (bool withServer)
    {
        xl = &plugDevice (6, "ORVIX II MIDI 2");
        kt4 = &plugDevice (8, "KT4 MIDI");
        xlAnswers = std::make_unique<DeviceQueryAnswers> (*xl, 20, 0);
        kt4Answers = std::make_unique<DeviceQueryAnswers> (*kt4, 2, 0);
        kt4Replies = std::make_unique<PacedReplies> (*kt4);

        if (withServer)
            server = std::make_unique<BackupDumpServer> (*xl, 170);

        open();
    }

    /** Backs up the XL's second cab bank through the console's backup run; the file it wrote. */
    juce::File backUpSecondCabBank()
    {
        chooseFromMenu (6);
        folder.createDirectory();

        BackupJobPlan::Context context;
        context.model = 6;
        context.firmwareModel = 6;
        context.userCabCount = 512;
        context.orvixII.cabBanks[1] = 1;

        auto* run = console().getTransfers().getBackupRun();

        if (run == nullptr || ! run->startOrvixIIBackup (context.orvixII, context, folder.getFullPathName()))
        {
            ADD_FAILURE() << "the backup did not start";
            return {};
        }

        if (! runMessageLoopUntil ([this] { return ! console().getTransfers().isBackupRunning() && ! dialogs.boxes.empty(); }, 60000))
        {
            ADD_FAILURE() << "the backup did not end";
            return {};
        }

        const auto name = run->getBaseName() + "-cab-bank-B.syx";
        EXPECT_EQ (boxTexts().joinIntoString ("|"), name + " has been saved.");
        EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, true).size(), 1);
        return folder.getChildFile (name);
    }

    /** Sends the file to the KT4 into its second cab bank and waits for the send to end. */
    void sendToSecondBankOfKT4 (const juce::File& file)
    {
        dialogs.boxes.clear();
        chooseFromMenu (8);

        if (auto* delay = dynamic_cast<juce::Slider*> (child ("MIDI Buffer Delay")))
            delay->setValue (0.0, juce::sendNotificationSync);

        console().sendOptionsRunner = [this] (SendOptionsDialog& dialog)
        {
            ++transmitDialogs;
            EXPECT_TRUE (dialog.chooseBank (1));
            EXPECT_TRUE (dialog.confirm());
            return 1;
        };

        ASSERT_TRUE (console().chooseFileToSend (file)) << boxTexts().joinIntoString ("|");
        console().transmit();

        ASSERT_TRUE (runMessageLoopUntil ([this]
        {
            auto& road = console().getTransfers().getSendRoad();
            return ! console().getTransfers().isSendRunning() && road.getLastState() >= 3 && ! road.isPolling()
                   && ! dialogs.boxes.empty();
        }, 120000)) << "the send did not end";
    }

    /** What the KT4 must have received: 128 cabs of the XL's bank, converted into its second bank. */
    void expectBankArrived (const juce::String& namePrefix, int firstNumber)
    {
        EXPECT_EQ (transmitDialogs, 1);
        ASSERT_EQ (dialogs.boxes.size(), 1u) << boxTexts().joinIntoString ("|");
        EXPECT_TRUE (dialogs.boxes.back().text.endsWith ("The cab bank has been sent to the KT4.")) << dialogs.boxes.back().text;

        const auto cabs = PacedReplies::cabs (kt4->getReceived());
        ASSERT_EQ (cabs.size(), 128u);

        for (size_t i = 0; i < cabs.size(); ++i)
        {
            SCOPED_TRACE (i);
            EXPECT_EQ (cabs[i].slot, 128 + (int) i) << "the KT4's second bank, in order";
            EXPECT_TRUE (cabs[i].wellFormed);
            EXPECT_EQ (cabs[i].name, namePrefix + juce::String (firstNumber + (int) i));
        }

        int foreign = 0;

        for (const auto& message : PacedReplies::sentFile (kt4->getReceived()))
            foreign += message.getRawData()[4] != 8 ? 1 : 0;

        EXPECT_EQ (foreign, 0) << "every message is the KT4's";
    }

    juce::File folder { juce::File::createTempFile ("cabbank") };
    SimulatedDevice* xl = nullptr;
    SimulatedDevice* kt4 = nullptr;
    std::unique_ptr<DeviceQueryAnswers> xlAnswers, kt4Answers;
    std::unique_ptr<PacedReplies> kt4Replies;
    std::unique_ptr<BackupDumpServer> server;
    int transmitDialogs = 0;
};

//==============================================================================
TEST_F (CabBankBackupSendTest, AnOrvixIIXLCabBankBackedUpFromTheDeviceArrivesOnTheKT4)
{
    plugBoth (false);
    const auto file = backUpSecondCabBank();
    ASSERT_TRUE (file.existsAsFile());

    sendToSecondBankOfKT4 (file);
    expectBankArrived ("Cab ", 0);
}

TEST_F (CabBankBackupSendTest, AnOrvixIIXLCabBankBackedUpFromTheBackupServerArrivesOnTheKT4)
{
    plugBoth (true);
    const auto file = backUpSecondCabBank();
    ASSERT_TRUE (file.existsAsFile());

    sendToSecondBankOfKT4 (file);
    expectBankArrived ("Cab ", 128);
}
} // namespace
