#include "ConsoleRig.h"
#include "DeviceQueries.h"
#include "DeviceQueryAnswers.h"
#include "RunningLinkClock.h"

using morvane::test::DeviceQueryAnswers;
using morvane::test::RunningLinkClock;
using morvane::test::SimulatedDevice;

namespace
{
class ConsoleQueriesTest : public ConsoleRig
{
};

TEST_F (ConsoleQueriesTest, ChoosingADeviceAsksWhatItsModelAnswers)
{
    struct Case
    {
        juce::uint8 model;
        const char* port;
        int major, minor;
        const char* connectedText;
        int sysInfoQueries, editorDisconnects;
    };

    const Case cases[] = {
        { 3, "ORVIX II MIDI 1", 10, 9, "Connected (FW: 10.09)", 1, 1 },
        { 5, "LM6 MIDI", 2, 1, "Connected (FW: 2.01)", 0, 0 },
        { 8, "KT4 MIDI", 1, 20, "Connected (FW: 1.20)", 1, 1 },
        { 16, "Orvix III MIDI 1", 1, 3, "Connected (FW: 1.03)", 1, 0 },
    };

    for (const auto& c : cases)
    {
        auto& device = plugDevice (c.model, c.port);
        DeviceQueryAnswers answering (device, c.major, c.minor);
        open();

        chooseFromMenu (c.model);
        EXPECT_EQ (labelText ("Connected Label"), c.connectedText) << (int) c.model;
        EXPECT_TRUE (visible ("Connected Label")) << (int) c.model;
        EXPECT_EQ (device.getReceivedCount (0x08), 1) << (int) c.model;
        EXPECT_EQ (device.getReceivedCount (0x47), c.sysInfoQueries) << (int) c.model;
        EXPECT_EQ (device.getReceivedCount (0x42), c.editorDisconnects) << (int) c.model;

        // The device answered: the poll asks nothing more while it stays connected.
        console().getDeviceInfo().pollDeviceInfo();
        console().getDeviceInfo().pollDeviceInfo();
        EXPECT_EQ (device.getReceivedCount (0x08), 1) << (int) c.model;
        EXPECT_TRUE (dialogs.boxes.empty()) << (int) c.model;

        window.reset();
        link.reset();
        devices.clear();
    }
}

TEST_F (ConsoleQueriesTest, AFootControllerOrTheUtilityIsNeverAsked)
{
    auto& qmr = plugDevice (4, "QMR-303 MK3 MIDI");
    open();

    chooseFromMenu (4);
    chooseOutput (qmr.getPortName());
    console().getDeviceInfo().pollDeviceInfo();
    EXPECT_TRUE (console().getDeviceInfo().isConnected());
    EXPECT_EQ (qmr.getReceivedCount(), 0);
}

TEST_F (ConsoleQueriesTest, ADeviceThatNeverAnswersIsForgottenAtTheFourthPoll)
{
    RunningLinkClock running;
    auto& device = plugDevice (3, "ORVIX II MIDI 1");
    device.setSilent (true);
    open();
    console().getTransfers().getQueries().setTimeoutMs (100);   // counted, not waited for

    chooseFromMenu (3);
    ASSERT_TRUE (console().isInputOk() && console().isOutputOk());

    // The first poll of a new connection starts the count again; three polls pass silently. Open
    // ports where nothing answers are not a connection: no marks, nothing to browse or begin.
    for (int poll = 0; poll < 3; ++poll)
    {
        console().getDeviceInfo().pollDeviceInfo();
        EXPECT_FALSE (visible ("Input Check") || visible ("Output Check") || visible ("Connected Label")) << poll;
        EXPECT_FALSE (enabled ("Browse") || enabled ("Transmit")) << poll;
    }

    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_EQ (labelText ("Device Label"), "Orvix II Original/MK II");

    console().getDeviceInfo().pollDeviceInfo();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].text.startsWith ("A time-out has occurred while attempting to query the firmware version."));
    EXPECT_EQ (labelText ("Device Label"), "Select Device");
    EXPECT_EQ (console().getDeviceModel(), 254);
    EXPECT_FALSE (console().isInputOk() || console().isOutputOk());
    EXPECT_FALSE (visible ("Connected Label"));
    EXPECT_FALSE (enabled ("Browse") || enabled ("Transmit")) << "the forgotten device offers nothing";

    // The link's worker reads the clock: it stops before the clock goes.
    window.reset();
    link.reset();
}

TEST_F (ConsoleQueriesTest, AStatusReplyToTheVersionQueryIsAskedAgainAtTheNextPoll)
{
    auto& device = plugDevice (6, "ORVIX II MIDI 1");
    device.setReplyHandler (0x08, [&device] (const juce::MidiMessage&, const SimulatedDevice::Emit& out)
    {
        out (device.makeStatusReply (0x08, 5));
    });
    open();

    chooseFromMenu (6);
    console().getDeviceInfo().pollDeviceInfo();
    console().getDeviceInfo().pollDeviceInfo();
    EXPECT_EQ (device.getReceivedCount (0x08), 3);
    EXPECT_EQ (device.getReceivedCount (0x47), 0);
    EXPECT_FALSE (visible ("Connected Label"));
    EXPECT_TRUE (dialogs.boxes.empty());
}

TEST_F (ConsoleQueriesTest, TheConsoleMutesAKT4AndRecallsAPatchThroughItsQueries)
{
    auto& kt4 = plugDevice (8, "KT4 MIDI");
    DeviceQueryAnswers answering (kt4, 1, 20);
    open();
    chooseFromMenu (8);

    EXPECT_TRUE (console().getTransfers().getQueries().setDeviceMute (true));
    EXPECT_TRUE (console().getTransfers().getQueries().setDeviceMute (false));
    EXPECT_TRUE (answering.muteCallsArePaired());
    EXPECT_EQ (answering.getMuteBytes().size(), 2u);

    // A KT4 does not know the current patch: nothing is recalled afterwards.
    console().getTransfers().getQueries().queryCurrentPatch();
    console().getTransfers().getQueries().recallPreviousPatch();
    EXPECT_EQ (kt4.getReceivedCount (0x3C), 0);
    EXPECT_FALSE (console().getTransfers().getQueries().hasSavedPatch());
}
} // namespace
