#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"
#include "DumpBuilders.h"
#include "ManualLinkClock.h"
#include "PacedReplies.h"
#include "RunningLinkClock.h"
#include "SendOptionsDialog.h"
#include "TPXProgressBar.h"

using namespace morvane::test;

namespace
{
/** How a road's ending looks on the console: the line, the bar, the mark and the controls. */
struct Looks
{
    juce::String line;
    double bar = 0.0;
    bool tick = false, begin = false, browse = false, cancel = false;

    juce::String describe() const
    {
        return "\"" + line + "\" bar " + juce::String (bar, 4) + (tick ? " tick" : "") + (begin ? " BEGIN" : "")
             + (browse ? " BROWSE" : "") + (cancel ? " Cancel" : "");
    }
};

/** What the user changes after an ending. */
enum class Change
{
    page,
    file,
    device
};

/** The console on an Orvix III that answers its queries and its sends, or on a KT4 for backups. */
class ConsoleEndingsTest : public ConsoleRig
{
protected:
    ~ConsoleEndingsTest() override
    {
        closeAll();
        folder.deleteRecursively();
    }

    SimulatedDevice& connect (juce::uint8 model, const juce::String& port)
    {
        auto& device = plugDevice (model, port);
        answers = std::make_unique<DeviceQueryAnswers> (device, 1, 3);
        replies = std::make_unique<PacedReplies> (device);
        open();
        chooseFromMenu (model);
        return device;
    }

    juce::File write (const juce::MemoryBlock& data, const juce::String& name)
    {
        folder.createDirectory();
        auto file = folder.getChildFile (name);
        file.replaceWithData (data.getData(), data.getSize());
        return file;
    }

    TPXProgressBar* bar()
    {
        for (auto* c : console().getChildren())
            if (auto* found = dynamic_cast<TPXProgressBar*> (c))
                return found;

        return nullptr;
    }

    Looks looks()
    {
        Looks l;
        l.line = labelText ("Progress");
        l.bar = bar() != nullptr ? bar()->getProgress() : -1.0;
        l.tick = visible ("Check3");
        l.begin = enabled ("Transmit");
        l.browse = enabled ("Browse");
        l.cancel = enabled ("Cancel");
        return l;
    }

    void expectLooks (const Looks& expected)
    {
        const auto seen = looks();
        EXPECT_EQ (seen.line, expected.line);
        EXPECT_NEAR (seen.bar, expected.bar, 1.0e-9);
        EXPECT_EQ (seen.tick, expected.tick);
        EXPECT_EQ (seen.begin, expected.begin);
        EXPECT_EQ (seen.browse, expected.browse);
        EXPECT_EQ (seen.cancel, expected.cancel);

        // The bar's own percentage is the one the line tells, when it tells one.
        if (seen.line.contains (" %"))
        {
            EXPECT_TRUE (seen.line.contains (juce::String (juce::roundToInt (seen.bar * 100.0)) + " %")) << seen.describe();
        }
    }

    /** The user changes the page (and comes back), the file or folder, or the device. */
    void makeChange (Change change, bool receivePage)
    {
        switch (change)
        {
            case Change::page:
                receivePage ? console().showSendPage() : console().showReceivePage();
                break;

            case Change::file:
                if (receivePage)
                    console().setReceiveFolder (folder.getChildFile ("other").getFullPathName());
                else
                    ASSERT_TRUE (console().chooseFileToSend (write (makeBankDump (16, 0, 2), "other.syx")));
                break;

            case Change::device:
                chooseFromMenu (console().getDeviceModel());
                break;
        }
    }

    juce::File folder { juce::File::createTempFile ("endings") };
};

int messageCount (const juce::MemoryBlock& data)
{
    int count = 0;

    for (size_t i = 0; i < data.getSize(); ++i)
        count += data[i] == (char) 0xF0 ? 1 : 0;

    return count;
}

//==============================================================================
TEST_F (ConsoleEndingsTest, EverySendEndingShowsOneStoryUntilTheUserChangesSomething)
{
    const auto bank = makeBankDump (16, 0, 2);
    const int n = messageCount (bank);
    constexpr int k = 3;    // the message the send stops at
    const auto at = [n] (int message) { return juce::String (((message - 1) * 100) / n) + " %"; };
    const auto barAt = [n] (int message) { return (((message - 1) * 100) / n) / 100.0; };

    enum class Act { none, goneBeforeBegin, cancel, unplug, silence };

    struct Row
    {
        const char* what;
        std::function<void (PacedReplies&, int message)> arrange;
        Act act;
        Looks after;
    };

    const Row rows[] = {
        { "complete", [] (PacedReplies&, int) {}, Act::none,
          { "Transfer complete!", 1.0, true, true, true, false } },
        { "refused before sending", [] (PacedReplies&, int) {}, Act::goneBeforeBegin,
          { "", 0.0, false, false, false, false } },
        { "device error", [] (PacedReplies& r, int m) { r.setResultCode (m, 7); }, Act::none,
          { "An error has occurred during file transmission. The transfer stopped at " + at (k) + ".", barAt (k), false, true, true, false } },
        { "user's Cancel", [] (PacedReplies& r, int m) { r.setFault (m, PacedReplies::Fault::silent); }, Act::cancel,
          { "File transmission has been canceled. The transfer stopped at " + at (k) + ".", barAt (k), false, true, true, false } },
        { "unplug", [] (PacedReplies& r, int m) { r.setFault (m, PacedReplies::Fault::silent); }, Act::unplug,
          { "Transfer stopped at " + at (k) + ": communication with the device was lost.", barAt (k), false, false, false, false } },
        { "time-out", [] (PacedReplies& r, int m) { r.setFault (m, PacedReplies::Fault::silent); }, Act::silence,
          { "An error has occurred during file transmission. The transfer stopped at " + at (k) + ".", barAt (k), false, true, true, false } },
    };

    for (const auto& row : rows)
    {
        for (const auto change : { Change::page, Change::file, Change::device })
        {
            SCOPED_TRACE (juce::String (row.what) + ", then a change of " + (change == Change::page ? "page" : change == Change::file ? "file" : "device"));
            ManualLinkClock clock;
            auto& device = connect (16, "Orvix III MIDI 1");
            ASSERT_TRUE (runMessageLoopUntil ([&] { return visible ("Connected Label"); }, 20000)) << "the device answers";
            console().sendOptionsRunner = [] (SendOptionsDialog& dialog) { return dialog.chooseBank (1) && dialog.confirm() ? 1 : 0; };

            // An earlier send's ending is on the page when the next begins.
            ASSERT_TRUE (console().chooseFileToSend (write (bank, "bank.syx")));
            console().transmit();
            ASSERT_TRUE (runMessageLoopUntil ([&] { return ! dialogs.boxes.empty() && ! console().getTransfers().getSendRoad().isPolling(); }, 30000));
            ASSERT_EQ ((int) PacedReplies::sentFile (device.getReceived()).size(), n) << "n counts what a send sends";
            ASSERT_EQ (labelText ("Progress"), "Transfer complete!");

            // The device counts messages from its first: message k of this send comes after those.
            const auto before = replies->getMessageCount();
            row.arrange (*replies, before + k);
            const auto boxes = dialogs.boxes.size();

            if (row.act == Act::goneBeforeBegin)
            {
                // The link's presence check finds both ports gone before BEGIN: the send is refused.
                device.unplug();
                link->timerCallback();
                clock.advance (1100);
                ASSERT_TRUE (runMessageLoopUntil ([&] { return link->isOutputConnected() == 0 && link->isInputConnected() == 0; }));
            }

            console().transmit();

            if (row.act != Act::none && row.act != Act::goneBeforeBegin)
            {
                ASSERT_TRUE (runMessageLoopUntil ([&] { return replies->getMessageCount() >= before + k && device.isIdle(); }));
                EXPECT_TRUE (enabled ("Cancel"));
                EXPECT_FALSE (visible ("Check3")) << "no mark while the send runs";
            }

            std::unique_ptr<RunningLinkClock> running;

            if (row.act == Act::cancel)
            {
                ASSERT_TRUE (press ("Cancel"));
                running = std::make_unique<RunningLinkClock>();
            }
            else if (row.act == Act::unplug)
            {
                device.unplug();
                link->timerCallback();
                clock.advance (1100);
                ASSERT_TRUE (runMessageLoopUntil ([&] { return link->isOutputConnected() == 0; }));
                clock.advance (3000);
            }
            else if (row.act == Act::silence)
            {
                clock.advance (4000);
            }

            ASSERT_TRUE (runMessageLoopUntil ([&]
            {
                return dialogs.boxes.size() > boxes && ! console().getTransfers().getSendRoad().isPolling();
            }, 30000));

            expectLooks (row.after);

            if (row.act == Act::unplug || row.act == Act::goneBeforeBegin)
            {
                EXPECT_FALSE (visible ("Connected Label")) << "the gone device is not shown connected";
                EXPECT_FALSE (visible ("Input Check") || visible ("Output Check"));

                // Nor a moment later, when the device poll has looked.
                runMessageLoopFor (1000);
                EXPECT_FALSE (visible ("Connected Label") || enabled ("Transmit") || enabled ("Browse"));
            }

            if (row.act == Act::cancel)
            {
                EXPECT_TRUE (dialogs.boxes.back().text.startsWith ("File transmission has been canceled.\n\nThe transfer stopped at "
                                                                  + at (k) + ", so the data on the device may be incomplete."))
                    << dialogs.boxes.back().text;
            }

            running.reset();
            makeChange (change, false);

            if (change == Change::page)
                console().showSendPage();

            const auto after = looks();
            EXPECT_EQ (after.line, "");
            EXPECT_EQ (after.bar, 0.0);
            EXPECT_FALSE (after.tick);
            EXPECT_FALSE (after.cancel);
            closeAll();
        }
    }
}

TEST_F (ConsoleEndingsTest, EveryBackupEndingShowsOneStoryUntilTheUserChangesSomething)
{
    struct Row
    {
        const char* what;
        std::function<bool (SimulatedDevice&, const juce::File&)> start;
        std::function<Looks (const juce::File&)> after;
    };

    const auto startSystem = [this] (SimulatedDevice&, const juce::File& into)
    {
        KT4BackupSelection system;
        system.system = 1;
        BackupJobPlan::Context context;
        context.model = context.firmwareModel = 8;
        return console().getTransfers().getBackupRun()->startKT4Backup (system, context, into.getFullPathName());
    };

    const Row rows[] = {
        { "complete", startSystem,
          [] (const juce::File& into)
          {
              const auto saved = into.findChildFiles (juce::File::findFiles, false, "*.syx");
              return Looks { saved.isEmpty() ? "?" : saved[0].getFileName() + " has been saved.", 1.0, true, true, true, false };
          } },
        { "time-out",
          [startSystem] (SimulatedDevice& device, const juce::File& into)
          {
              device.setSilent (true);
              return startSystem (device, into);
          },
          [] (const juce::File&) { return Looks { "Message timeout.", 0.0, false, true, true, false }; } },
        { "folder error",
          [startSystem] (SimulatedDevice& device, const juce::File& into)
          {
              // A plain file where the run's folder should be.
              return into.getParentDirectory().createDirectory().wasOk() && into.replaceWithText ("x")
                  && startSystem (device, into.getChildFile ("inner"));
          },
          [] (const juce::File&) { return Looks { "An error was encountered while writing the file to disk.", 0.0, false, true, true, false }; } },
    };

    for (const auto& row : rows)
    {
        for (const auto change : { Change::page, Change::file, Change::device })
        {
            SCOPED_TRACE (juce::String (row.what) + ", then change " + juce::String ((int) change));
            auto& device = connect (8, "KT4 MIDI");
            console().getTransfers().getBackupRun()->setStepTimeoutMs (50);
            console().showReceivePage();
            const auto into = folder.getChildFile (row.what);
            ASSERT_TRUE (folder.createDirectory().wasOk());
            ASSERT_TRUE (into.getParentDirectory().getChildFile ("other").createDirectory().wasOk());
            console().setReceiveFolder (folder.getFullPathName());
            ASSERT_TRUE (runMessageLoopUntil ([&] { return enabled ("Transmit"); }, 20000)) << "the device answers";

            if (juce::String (row.what) != "folder error")
            {
                ASSERT_TRUE (into.createDirectory().wasOk());
            }

            ASSERT_TRUE (row.start (device, into));
            EXPECT_FALSE (enabled ("Transmit") || enabled ("Browse")) << "the page is locked while the run goes";
            ASSERT_TRUE (runMessageLoopUntil ([&] { return ! dialogs.boxes.empty() && enabled ("Device Label"); }, 30000));
            expectLooks (row.after (into));

            makeChange (change, true);

            if (change == Change::page)
                console().showReceivePage();

            const auto after = looks();
            EXPECT_EQ (after.line, "");
            EXPECT_EQ (after.bar, 0.0);
            EXPECT_FALSE (after.tick);
            closeAll();
            folder.deleteRecursively();
        }
    }
}

TEST_F (ConsoleEndingsTest, AnUnpluggedSendSaysTheSharpPercentOfTheMessageItStoppedAt)
{
    // Held at message k of n with the link's clock standing still: the line, the box and the bar
    // say floor (100 * (k - 1) / n), the share of the messages the device had taken.
    ManualLinkClock clock;

    for (const int k : { 2, 5, 7 })
    {
        SCOPED_TRACE (k);
        auto& device = connect (16, "Orvix III MIDI 1");
        ASSERT_TRUE (runMessageLoopUntil ([&] { return visible ("Connected Label"); }, 20000));
        const auto data = makeBankDump (16, 0, 2);
        const int n = messageCount (data);
        ASSERT_GT (n, k);
        replies->setFault (k, PacedReplies::Fault::silent);

        ASSERT_TRUE (console().getTransfers().getSendRoad().start (data, 16, PayloadKinds::preset, false, 0));
        ASSERT_TRUE (runMessageLoopUntil ([&] { return replies->getMessageCount() >= k && device.isIdle(); }));

        device.unplug();
        link->timerCallback();
        clock.advance (1100);
        ASSERT_TRUE (runMessageLoopUntil ([&] { return link->isOutputConnected() == 0; }));
        clock.advance (3000);
        ASSERT_TRUE (runMessageLoopUntil ([&] { return ! dialogs.boxes.empty() && ! console().getTransfers().getSendRoad().isPolling(); }, 30000));

        const auto percent = ((k - 1) * 100) / n;
        EXPECT_EQ (labelText ("Progress"), "Transfer stopped at " + juce::String (percent) + " %: communication with the device was lost.");
        EXPECT_TRUE (dialogs.boxes.back().text.contains ("The transfer stopped at " + juce::String (percent) + " %, so the data"));
        EXPECT_EQ (juce::roundToInt (bar()->getProgress() * 100.0), percent);
        closeAll();
    }
}
} // namespace
