#include "AppTestDoubles.h"
#include "BackupChooser.h"
#include "BackupDumpServer.h"
#include "BackupRun.h"
#include "BackupTestSupport.h"
#include "MainAppWindow.h"
#include "MidiProcessing.h"
#include "MorvaneDialog.h"
#include "SysExMessage.h"
#include "Transfers.h"
#include "VirtualMidiPorts.h"
#include "WindowsOnScreen.h"

namespace morvane::test
{
/** Clicks OK in the backup chooser's dialog as soon as the chooser shows it. The dialog runs
    modally: one that never shows, or that the click leaves open, fails with what is on the screen
    and has its modal loop ended, so the test never waits past its bound.
*/
class OkWhenShown : private juce::Timer
{
public:
    explicit OkWhenShown (MorvaneDialog& consoleToWatch) : console (consoleToWatch) { startTimer (20); }
    ~OkWhenShown() override { stopTimer(); }

    bool clicked = false;

private:
    void timerCallback() override
    {
        ++ticks;
        auto* dialog = console.getBackupChooser().getShownDialog();

        if (clicked)
        {
            if (dialog == nullptr || ! dialog->isShowing())
            {
                stopTimer();
            }
            else if (ticks > 500)   // 10 s
            {
                stopTimer();
                ADD_FAILURE() << "OK did not close the backup dialog: " << describeWindows();
                endModalLoop();
            }

            return;
        }

        if (dialog != nullptr && dialog->isShowing())
        {
            if (auto* ok = findWidget<juce::Button> (*dialog, "okayButton"))
            {
                clicked = true;
                ticks = 0;
                ok->triggerClick();
                return;
            }
        }

        if (ticks > 1000)   // 20 s
        {
            stopTimer();
            ADD_FAILURE() << "the backup dialog never showed its OK button: " << describeWindows();
            endModalLoop();
        }
    }

    static void endModalLoop()
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (0);
    }

    MorvaneDialog& console;
    int ticks = 0;
};

TEST (BackupConsoleTest, BeginOnTheReceivePageBacksUpAKT4IntoTheChosenFolder)
{
    const auto previousModel = currentDeviceModel.load();
    const juce::File userFolder (juce::File::createTempFile ("user"));
    const juce::File folder (juce::File::createTempFile ("backups"));
    folder.createDirectory();

    {
        VirtualMidiPorts hub;
        SimulatedDevice device (hub, 8, "KT4 MIDI");
        BackupDumpServer server (device);
        MidiProcessing link (hub.createBackend());
        link.timerCallback();
        ScriptedUserDialogs dialogs;
        RecordingSystemServices services;
        MainAppWindow window (&generatedSkin(), &link, dialogs, services, userFolder);
        auto& console = *window.getConsole();

        dialogs.menuChoices = { 8 };
        console.showDeviceMenu();
        console.showReceivePage();
        console.setReceiveFolder (folder.getFullPathName());
        ASSERT_TRUE (console.isReceiveFolderChosen());

        auto* begin = findWidget<juce::Button> (console, "Transmit");
        ASSERT_NE (begin, nullptr);
        // The device poll finds the device connected and offers BEGIN.
        ASSERT_TRUE (runMessageLoopUntil ([&] { return begin->isEnabled(); }, 20000));

        // The second dump waits until the page has been checked while the run goes on. The device
        // is silent while held, and on a busy machine (or under a sanitizer) the check may take
        // longer than the run's usual patience with a silent device: the run gets more.
        ASSERT_NE (console.getTransfers().getBackupRun(), nullptr);
        console.getTransfers().getBackupRun()->setStepTimeoutMs (60000);
        server.holdRequest (2);
        OkWhenShown okClicker (console);
        begin->triggerClick();
        ASSERT_TRUE (runMessageLoopUntil ([&] { return server.getRequestCount() >= 2; }, 30000));
        EXPECT_TRUE (okClicker.clicked);
        EXPECT_TRUE (console.getTransfers().isBackupRunning());

        for (auto* name : { "Device To Update", "Select an Input Port", "Select an Output Port", "Transmit" })
            EXPECT_FALSE (findWidget (console, name)->isEnabled()) << name;

        // Two dumps of about 34,000 small messages each: a second in a plain build, up to a minute
        // under a sanitizer on busy cores. The wait lasts for as long as the device sends and the
        // run moves on.
        server.release();
        auto* run = console.getTransfers().getBackupRun();
        ASSERT_TRUE (runWhileMoving ([&] { return ! console.getTransfers().isBackupRunning() && ! dialogs.boxes.empty(); },
                                     [&] { return device.getSentCount() + run->getProgress(); }))
            << "the backup stood still for 30 s";

        ASSERT_EQ (dialogs.boxes.size(), 1u);
        EXPECT_EQ (dialogs.boxes[0].text, "Backup complete.");
        EXPECT_TRUE (findWidget (console, "Device To Update")->isEnabled());

        const auto base = console.getTransfers().getBackupRun()->getBaseName();
        juce::StringArray files;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, false))
            files.add (file.getFileName());

        files.sort (false);
        EXPECT_EQ (files.joinIntoString (" | "), base + "-All-Cab-Banks.syx | " + base + "-All-Preset-Banks.syx | " + base + "-system.syx");

        // The files hold what the device sent, in the run's order: system, cab banks, preset banks.
        const auto exchanges = server.getExchanges();
        ASSERT_EQ (exchanges.size(), 3u);
        juce::MemoryBlock written;
        folder.getChildFile (base + "-All-Cab-Banks.syx").loadFileAsData (written);
        EXPECT_TRUE (written == exchanges[1].replies);
    }

    folder.deleteRecursively();
    userFolder.deleteRecursively();
    currentDeviceModel = previousModel;
}
} // namespace morvane::test
