#include "RecordingView.h"
#include "DeviceQueries.h"
#include "DeviceQueryAnswers.h"
#include "MidiProcessing.h"
#include "RunningLinkClock.h"
#include "SimulatedDevice.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>


using morvane::test::DeviceQueryAnswers;
using morvane::test::RunningLinkClock;
using morvane::test::SimulatedDevice;
using morvane::test::VirtualMidiPorts;

namespace
{
/** The queries without a window: a link on virtual ports with one simulated device. */
struct QueryRig
{
    QueryRig (juce::uint8 model, int major, int minor)
        : device (std::make_unique<SimulatedDevice> (hub, model, "Zandrel " + juce::String (model))),
          answers (*device, major, minor),
          link (std::make_unique<MidiProcessing> (hub.createBackend())),
          queries (std::make_unique<DeviceQueries> (link.get(), view, slot))
    {
        currentDeviceModel = model;
        link->timerCallback();
        auto& ports = link->getPortManager();
        connected = ports.openInputByName (device->getPortName()) && ports.openOutputByName (device->getPortName())
                    && link->openDevices (true, true);
    }

    ~QueryRig()
    {
        queries.reset();
        link.reset();
        slot.reset();
        currentDeviceModel = previousModel;
    }

    const juce::uint8 previousModel = currentDeviceModel.load();
    VirtualMidiPorts hub;
    std::unique_ptr<SimulatedDevice> device;
    DeviceQueryAnswers answers;
    std::unique_ptr<MidiProcessing> link;
    RecordingView view;
    std::unique_ptr<SysExRequest> slot;
    std::unique_ptr<DeviceQueries> queries;
    bool connected = false;
};

using Outcome = DeviceQueries::Outcome;

TEST (DeviceQueries, EachModelAnswersWhatItsDeviceKnows)
{
    struct Case
    {
        juce::uint8 model;
        int major, minor;
        Outcome sysInfo;
        bool displayOffset, currentPatch, mutes;
        const char* versionText;
    };

    const Case cases[] = {
        { 3, 10, 9, Outcome::answered, true, true, false, "10.09" },
        { 3, 10, 8, Outcome::answered, false, true, false, "10.08" },
        { 3, 9, 50, Outcome::otherReply, false, true, false, "9.50" },
        { 6, 15, 4, Outcome::answered, true, true, false, "15.04" },
        { 5, 2, 1, Outcome::otherReply, false, false, false, "2.01" },
        { 10, 3, 0, Outcome::otherReply, false, false, false, "3.00" },
        { 8, 1, 20, Outcome::answered, false, false, true, "1.20" },
        { 16, 1, 3, Outcome::answered, false, true, false, "1.03" },
    };

    for (const auto& c : cases)
    {
        QueryRig rig (c.model, c.major, c.minor);
        ASSERT_TRUE (rig.connected) << (int) c.model;
        rig.device->setSystemInfo (1, 0, 100, 0);
        rig.answers.setCurrentPatch (1, 17);
        rig.answers.setDisplayOffset (1);

        EXPECT_EQ (rig.queries->queryFirmwareVersion(), Outcome::answered) << (int) c.model;
        EXPECT_EQ ((int) rig.queries->getFirmwareVersion().major, c.major) << (int) c.model;
        EXPECT_TRUE (rig.queries->getFirmwareVersionText().contains (c.versionText))
            << (int) c.model << " " << rig.queries->getFirmwareVersionText();

        EXPECT_EQ (rig.queries->querySystemInfo(), c.sysInfo) << (int) c.model;

        EXPECT_EQ (rig.queries->getSystemInfo().fields[2], c.sysInfo == Outcome::answered ? 100 : 0)
            << "a status reply zeroes the record";

        EXPECT_EQ (rig.queries->queryDisplayOffset(), c.displayOffset) << (int) c.model;
        EXPECT_EQ (rig.queries->getDisplayOffset(), c.displayOffset ? 1 : 0) << (int) c.model;

        EXPECT_EQ (rig.queries->queryCurrentPatch(), c.currentPatch) << (int) c.model;
        EXPECT_EQ (rig.queries->recallPreviousPatch(), c.currentPatch) << (int) c.model;

        if (c.currentPatch)
        {
            ASSERT_EQ (rig.answers.getRecalls().size(), 1u) << (int) c.model;
            EXPECT_EQ (rig.answers.getRecalls()[0], std::make_pair (1, 17));

            // A second recall without a new query sends 0 and 0.
            EXPECT_TRUE (rig.queries->recallPreviousPatch());
            EXPECT_EQ (rig.answers.getRecalls().back(), std::make_pair (0, 0));
        }

        EXPECT_TRUE (rig.queries->setDeviceMute (true)) << (int) c.model;
        EXPECT_TRUE (rig.queries->setDeviceMute (false)) << (int) c.model;
        EXPECT_EQ (rig.device->getReceivedCount (0x3E), c.mutes ? 2 : 0) << (int) c.model;
        EXPECT_EQ (rig.answers.getMuteBytes().size(), c.mutes ? 2u : 0u);
        EXPECT_TRUE (rig.answers.muteCallsArePaired());

        EXPECT_TRUE (rig.view.boxes.empty()) << (int) c.model << " " << rig.view.boxes[0].text;
    }
}

TEST (DeviceQueries, SilenceIsCountedThenReportedAndNothingStaleIsRecalled)
{
    QueryRig rig (3, 10, 9);
    ASSERT_TRUE (rig.connected);

    ASSERT_TRUE (rig.queries->queryCurrentPatch());
    EXPECT_EQ (rig.slot->getTimeoutMs(), SysExRequest::defaultTimeoutMs);
    rig.device->setSilent (true);
    RunningLinkClock running;   // the silent device's time-outs pass without waiting

    // The count of time-outs decides, not their length: the worker need not sleep out 3 seconds.
    rig.queries->setTimeoutMs (100);

    // Three silent time-outs of each query, then the fourth is reported.
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (rig.queries->queryFirmwareVersion(), Outcome::timedOut);
        EXPECT_EQ (rig.queries->querySystemInfo(), Outcome::timedOut);
    }

    EXPECT_TRUE (rig.view.boxes.empty());
    EXPECT_EQ (rig.slot->getTimeoutMs(), 100u);
    EXPECT_EQ (rig.queries->queryFirmwareVersion(), Outcome::timedOutTooOften);
    EXPECT_EQ (rig.queries->querySystemInfo(), Outcome::timedOutTooOften);
    ASSERT_EQ (rig.view.boxes.size(), 2u);
    EXPECT_TRUE (rig.view.boxes[0].text.startsWith ("A time-out has occurred while attempting to query the firmware version. Please verify the following:\n\n1) The connected device matches the selected device.\n"));
    EXPECT_TRUE (rig.view.boxes[1].text.startsWith ("A time-out has occurred while attempting to query the system information."));
    EXPECT_TRUE (rig.view.boxes[1].text.endsWith ("you need to use Morvane version 1.2.7."));
    rig.view.boxes.clear();

    // The other queries warn at once; a failed current-patch query forgets the patch read before.
    struct Warning
    {
        std::function<bool()> call;
        juce::String text;
    };

    const Warning warnings[] = {
        { [&] { return rig.queries->queryDisplayOffset(); }, "Unable to query Display Offset. Please make sure the Orvix II Original/MK II is connected and powered on" },
        { [&] { return rig.queries->queryCurrentPatch(); }, "Unable to query the current patch number. Please make sure the Orvix II Original/MK II is connected and powered on" },
    };

    for (const auto& w : warnings)
    {
        rig.view.boxes.clear();
        EXPECT_FALSE (w.call());
        ASSERT_EQ (rig.view.boxes.size(), 1u);
        EXPECT_EQ (rig.view.boxes[0].text, w.text);
        EXPECT_EQ (rig.view.boxes[0].severity, Severity::warning);
    }

    const auto recallsBefore = rig.device->getReceivedCount (0x3C);
    EXPECT_FALSE (rig.queries->recallPreviousPatch()) << "no patch was read by the last query";
    EXPECT_EQ (rig.device->getReceivedCount (0x3C), recallsBefore);

    // The link's worker reads the clock: it stops before the clock goes.
    rig.queries.reset();
    rig.link.reset();
}

TEST (DeviceQueries, AKT4ThatDoesNotAnswerTheMuteStopsTheTransfer)
{
    RunningLinkClock running;
    QueryRig rig (8, 1, 20);
    ASSERT_TRUE (rig.connected);
    rig.device->setSilent (true);
    rig.queries->setTimeoutMs (100);

    EXPECT_FALSE (rig.queries->setDeviceMute (true));
    EXPECT_FALSE (rig.queries->setDeviceMute (false));
    ASSERT_EQ (rig.view.boxes.size(), 2u);
    EXPECT_EQ (rig.view.boxes[0].text, "Morvane is not able to mute the connected device and cannot proceed with the transfer. Please reboot the KT4.");
    EXPECT_EQ (rig.view.boxes[1].text, "Morvane is not able to unmute the connected device. Please reboot the KT4.");
}

TEST (DeviceQueries, AStoppedLinkNeverHoldsAQuery)
{
    QueryRig rig (16, 1, 3);
    ASSERT_TRUE (rig.connected);

    rig.link->closeOutputPort();   // stops the worker
    EXPECT_EQ (rig.queries->queryFirmwareVersion(), Outcome::timedOut);
    EXPECT_FALSE (rig.queries->queryCurrentPatch());

    DeviceQueries withoutLink (nullptr, rig.view, rig.slot);
    EXPECT_EQ (withoutLink.queryFirmwareVersion(), Outcome::timedOut);
}
} // namespace
