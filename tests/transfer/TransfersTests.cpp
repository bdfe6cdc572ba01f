#include "BackupRun.h"
#include "MidiProcessing.h"
#include "RecordingView.h"
#include "SendRoad.h"
#include "Transfers.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

namespace
{
struct NoListener : public DumpProgressThread::Listener
{
    void dumpByteCountChanged (juce::uint32, const juce::String&) override {}
};

const juce::String closeQuestion ("Closing the application will cancel the current transfer.");

TEST (Transfers, WithoutALinkNothingRunsAndNothingIsAsked)
{
    RecordingView view;
    Transfers transfers (nullptr, view);
    NoListener listener;

    EXPECT_EQ (transfers.getBackupRun(), nullptr);
    EXPECT_FALSE (transfers.startDumpCounter (listener));
    EXPECT_FALSE (transfers.isWorkRunning());

    transfers.cancel();
    EXPECT_TRUE (transfers.confirmClose());
    EXPECT_TRUE (view.boxes.empty());
    EXPECT_EQ (view.started, 0);
}

TEST (Transfers, TheDumpCounterLocksThePageAndClosingAsksWhileItRuns)
{
    morvane::test::VirtualMidiPorts hub;
    MidiProcessing link (hub.createBackend());
    RecordingView view;
    Transfers transfers (&link, view);
    NoListener listener;

    ASSERT_TRUE (transfers.startDumpCounter (listener));
    EXPECT_TRUE (transfers.isDumpRunning() && transfers.isWorkRunning());
    EXPECT_FALSE (transfers.isSendRunning() || transfers.isBackupRunning());
    EXPECT_TRUE (link.isMonitoring());
    EXPECT_EQ (view.started, 1);

    view.answers = { false, true };
    EXPECT_FALSE (transfers.confirmClose()) << "Cancel keeps the window";
    EXPECT_TRUE (transfers.isDumpRunning());
    EXPECT_TRUE (transfers.confirmClose());
    EXPECT_EQ (view.questions, juce::StringArray (closeQuestion, closeQuestion));

    // Cancel on the page is for sends and backups: the dump goes on.
    transfers.cancel();
    EXPECT_TRUE (transfers.isDumpRunning());

    transfers.stopDumpCounter();
    EXPECT_FALSE (transfers.isDumpRunning());
    EXPECT_FALSE (link.isMonitoring()) << "nothing is recorded once nobody counts";
    EXPECT_EQ (view.ended, 1);
    EXPECT_TRUE (transfers.confirmClose());
    EXPECT_EQ (view.questions.size(), 2) << "nothing runs: no question";
}

TEST (Transfers, GoingWhileTheDumpCounterRunsStopsItsRecording)
{
    morvane::test::VirtualMidiPorts hub;
    MidiProcessing link (hub.createBackend());
    RecordingView view;
    NoListener listener;

    {
        Transfers transfers (&link, view);
        ASSERT_TRUE (transfers.startDumpCounter (listener));
        transfers.stopAll();
        EXPECT_FALSE (transfers.isDumpRunning());
        EXPECT_FALSE (link.isMonitoring());
        ASSERT_TRUE (transfers.startDumpCounter (listener));
    }

    EXPECT_FALSE (link.isMonitoring());
}
} // namespace
