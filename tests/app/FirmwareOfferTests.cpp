#include "ConsoleFirmwareOffer.h"
#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"
#include "DumpBuilders.h"
#include "FirmwareCheckResult.h"
#include "FirmwareOffer.h"
#include "TPXFirmwareUpdate.h"
#include "TestHttpServer.h"
#include "UpdateServer.h"

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;
using Behaviour = morvane::test::TestHttpServer::Behaviour;

namespace
{
/** The feed check with the notes window answered OK; counts the windows asked for. */
class ConfirmingFirmwareUpdate : public TPXFirmwareUpdate
{
public:
    ConfirmingFirmwareUpdate (SkinManager* s, juce::uint8 m, int major, int minor, const juce::String& text,
                              juce::PropertiesFile* p, int& windowsToCount)
        : TPXFirmwareUpdate (s, m, major, minor, text, p), windows (windowsToCount) {}

    bool showWindow() override { ++windows; return true; }

private:
    int& windows;
};

juce::MemoryBlock firmwareImage (juce::uint8 model, juce::uint8 function = 0x7D, int messages = 40)
{
    juce::MemoryOutputStream out;

    for (int i = 0; i < messages; ++i)
        out << morvane::test::makeSysExMessage (model, i == 0 ? function : (juce::uint8) 0x7E,
                                                { (juce::uint8) (i & 0x7f), 0x10, 0x20, 0x30 });

    return out.getMemoryBlock();
}

/** A KT4 that reports firmware 15.04, and a local server with the firmware feed. */
class FirmwareOfferTest : public ConsoleRig
{
protected:
    void SetUp() override
    {
        ConsoleRig::SetUp();
        ASSERT_TRUE (server.start());
        UpdateServer::setBaseAddress (server.getBaseAddress());
        UpdateServer::setTimeoutMs (60000);
    }

    /** Plugs the device (reporting that firmware), opens the console and scripts its notes window. */
    morvane::test::SimulatedDevice& openWith (juce::uint8 model, const juce::String& port, int major, int minor)
    {
        auto& device = plugDevice (model, port);
        answers = std::make_unique<morvane::test::DeviceQueryAnswers> (device, major, minor);
        open();
        console().getFirmwareOffer().getOffer().makeUpdate = [this] (SkinManager* s, juce::uint8 m, int installedMajor, int installedMinor,
                                                         const juce::String& text, juce::PropertiesFile* p)
        {
            return std::make_unique<ConfirmingFirmwareUpdate> (s, m, installedMajor, installedMinor, text, p, windows);
        };
        return device;
    }

    void TearDown() override
    {
        window.reset();
        server.stop();
        UpdateServer::setBaseAddress ({});
        UpdateServer::setTimeoutMs (15000);
    }

    void serveFeed (int revision, bool compatible, const juce::String& firmwarePath, int model = 8, int major = 15,
                    Behaviour behaviour = Behaviour::normal)
    {
        server.serve ("/rss/firmware/firmware.xml",
                      "<FIRMWARES><PRODUCT modelID=\"" + juce::String (model) + "\"><VERSION major=\"" + juce::String (major)
                          + "\" revision=\"" + juce::String (revision)
                          + "\" compatibility=\"" + (compatible ? "true" : "false") + "\"><FIRMWARE url=\""
                          + server.getBaseAddress() + firmwarePath + "\"/></VERSION></PRODUCT></FIRMWARES>",
                      behaviour);
    }

    /** The feed is read on a thread of its own: waits until the check has answered. */
    bool waitForCheck()
    {
        return runMessageLoopUntil ([this] { return ! console().getFirmwareOffer().getOffer().isChecking(); }, 30000);
    }

    bool downloadEnded()
    {
        auto* update = console().getFirmwareOffer().getOffer().getUpdate();
        return update != nullptr && update->getDownloadResult() != 0 && ! console().getFirmwareOffer().getOffer().isBusy();
    }

    morvane::test::TestHttpServer server;
    std::unique_ptr<morvane::test::DeviceQueryAnswers> answers;
    int windows = 0;
};
} // namespace

TEST_F (FirmwareOfferTest, NewerFirmwareIsOfferedDownloadedIntoMemoryAndCheckedForTheDevice)
{
    const auto image = firmwareImage (8);
    server.serve ("/fw/kt4-1505.syx", image);
    serveFeed (5, true, "/fw/kt4-1505.syx");

    openWith (8, "KT4 MIDI", 15, 4);
    chooseFromMenu (8);
    ASSERT_TRUE (waitForCheck());
    ASSERT_TRUE (console().getFirmwareOffer().isOffered());
    EXPECT_EQ (labelText ("Firmware Text Label"), "Firmware 15.05");
    EXPECT_EQ (labelText ("Firmware Link Label"), "Click to download:");
    EXPECT_TRUE (visible ("Firmware Text Label") && visible ("Firmware Link Label"));

    console().getFirmwareOffer().showFirmwareUpdateWindow();
    EXPECT_EQ (windows, 1);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getTransfers().getSendFile().isInMemory(); }, 30000));

    EXPECT_EQ (console().getTransfers().getSendFile().getData(), image);
    EXPECT_EQ (console().getTransfers().getSendFile().getKind(), PayloadKinds::kt4Firmware);
    EXPECT_TRUE (console().getTransfers().getSendFile().isLoaded());
    EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), "KT4 firmware 15.05");
    EXPECT_TRUE (dialogs.boxes.empty());

    // The folder link speaks of memory for downloaded firmware.
    console().getFirmwareOffer().showSendFileFolder();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "The downloaded firmware file is contained in Morvane memory. It is not written to disk.");
    EXPECT_TRUE (services.revealed.isEmpty());

    // Firmware chosen from disk afterwards: the link reveals that file, by its full path.
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("morvane-fw-" + juce::Uuid().toString());
    ASSERT_TRUE (folder.createDirectory());
    const auto onDisk = folder.getChildFile ("kt4 firmware 15.05.syx");
    ASSERT_TRUE (onDisk.replaceWithData (image.getData(), image.getSize()));
    ASSERT_TRUE (console().chooseFileToSend (onDisk));
    EXPECT_FALSE (console().getTransfers().getSendFile().isInMemory());
    EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), "kt4 firmware 15.05.syx");

    console().getFirmwareOffer().showSendFileFolder();
    EXPECT_EQ (dialogs.boxes.size(), 1u) << "no box: the file is revealed";
    EXPECT_EQ (services.revealed, juce::StringArray (onDisk.getFullPathName()));
    folder.deleteRecursively();
}

TEST_F (FirmwareOfferTest, AFailedCancelledOrUnfitDownloadIsReportedAndNeverTaken)
{
    auto corrupt = firmwareImage (8);
    static_cast<juce::uint8*> (corrupt.getData())[20] ^= 0x01;   // a checksum no longer matches

    struct Case { const char* name; juce::MemoryBlock body; Behaviour behaviour; int status; bool cancel; juce::String box; };
    const Case cases[] = {
        { "not found", juce::MemoryBlock ("<html>404</html>", 16), Behaviour::normal, 404, false, "Download error." },
        { "cut", firmwareImage (8), Behaviour::cutShort, 200, false, "Download error." },
        { "cancelled", firmwareImage (8), Behaviour::stallBody, 200, true, "Update canceled." },
        { "other model", firmwareImage (3), Behaviour::normal, 200, false, "The downloaded file is not firmware for the connected device." },
        { "not firmware", firmwareImage (8, 0x77), Behaviour::normal, 200, false, "The downloaded file is not firmware for the connected device." },
        { "damaged", corrupt, Behaviour::normal, 200, false, "The downloaded firmware is damaged: it is not a complete SysEx file." },
    };

    openWith (8, "KT4 MIDI", 15, 4);
    chooseFromMenu (8);

    for (const auto& c : cases)
    {
        const juce::String path = "/fw/" + juce::String (c.name).replace (" ", "-") + ".syx";
        server.serve (path, c.body, c.behaviour, c.status);
        serveFeed (5, true, path);
        console().getFirmwareOffer().updateFirmwareLink();
        ASSERT_TRUE (waitForCheck()) << c.name;
        ASSERT_TRUE (console().getFirmwareOffer().isOffered()) << c.name;
        dialogs.boxes.clear();

        console().getFirmwareOffer().showFirmwareUpdateWindow();

        if (c.cancel)
        {
            ASSERT_TRUE (server.waitForRequest (path)) << c.name;
            console().getFirmwareOffer().getOffer().getUpdate()->cancelDownload();
        }

        ASSERT_TRUE (runMessageLoopUntil ([this] { return ! dialogs.boxes.empty(); }, 30000)) << c.name;
        EXPECT_EQ (dialogs.boxes[0].text, c.box) << c.name;
        // The user's own Cancel is information; anything else is a warning.
        EXPECT_EQ (dialogs.boxes[0].icon, c.cancel ? juce::MessageBoxIconType::InfoIcon : juce::MessageBoxIconType::WarningIcon)
            << c.name;
        EXPECT_FALSE (console().getTransfers().getSendFile().isInMemory()) << c.name;
        EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded()) << c.name;
        ASSERT_TRUE (runMessageLoopUntil ([this] { return ! console().getFirmwareOffer().getOffer().isBusy(); })) << c.name;
    }
}

TEST_F (FirmwareOfferTest, IncompatibleFirmwareIsInformationOnlyAndARunningDownloadIsNeverReplaced)
{
    server.serve ("/fw/stall.syx", firmwareImage (8), Behaviour::stallBody);
    serveFeed (5, true, "/fw/stall.syx");
    openWith (8, "KT4 MIDI", 15, 4);
    chooseFromMenu (8);
    ASSERT_TRUE (waitForCheck());
    ASSERT_TRUE (console().getFirmwareOffer().isOffered());

    // While the download runs, the device poll's checks leave the feed check object alone.
    console().getFirmwareOffer().showFirmwareUpdateWindow();
    ASSERT_TRUE (server.waitForRequest ("/fw/stall.syx"));
    auto* running = console().getFirmwareOffer().getOffer().getUpdate();
    serveFeed (0, false, "/fw/other.syx");

    for (int i = 0; i < 3; ++i)
    {
        console().getDeviceInfo().refreshDeviceInfo();
        EXPECT_EQ (console().getFirmwareOffer().getOffer().getUpdate(), running);
        EXPECT_TRUE (console().getFirmwareOffer().isOffered());
    }

    running->cancelDownload();
    ASSERT_TRUE (runMessageLoopUntil ([this] { return ! dialogs.boxes.empty() && ! console().getFirmwareOffer().getOffer().isBusy(); }, 30000));
    EXPECT_EQ (dialogs.boxes[0].text, "Update canceled.");

    // Newer firmware that this program cannot send: information, never a download.
    serveFeed (6, false, "/fw/incompatible.syx");
    console().getDeviceInfo().refreshDeviceInfo();
    ASSERT_TRUE (waitForCheck());
    EXPECT_FALSE (console().getFirmwareOffer().isOffered());
    EXPECT_EQ (labelText ("Firmware Text Label"), "Firmware 15.06 is available.");
    EXPECT_EQ (labelText ("Firmware Link Label"), "Click for info.");
    EXPECT_TRUE (visible ("Firmware Link Label"));

    const int windowsBefore = windows;
    console().getFirmwareOffer().showFirmwareUpdateWindow();
    EXPECT_EQ (windows, windowsBefore + 1) << "the notes are shown";
    morvane::test::runMessageLoopFor (300);
    EXPECT_EQ (server.getRequestCount ("/fw/incompatible.syx"), 0);
    EXPECT_FALSE (console().getFirmwareOffer().getOffer().isBusy());

    // Nothing newer: the labels go.
    serveFeed (4, true, "/fw/same.syx");
    console().getDeviceInfo().refreshDeviceInfo();
    ASSERT_TRUE (waitForCheck());
    EXPECT_FALSE (visible ("Firmware Text Label") || visible ("Firmware Link Label"));
}

TEST_F (FirmwareOfferTest, AnAnswerForADeviceThatWasReplacedMeanwhileIsNeverShown)
{
    // The feed offers KT4 firmware only, and takes a second or two to arrive.
    serveFeed (5, true, "/fw/kt4.syx", 8, 15, Behaviour::drip);
    auto& orvix = plugDevice (16, "Orvix III MIDI 1");
    morvane::test::DeviceQueryAnswers orvixAnswers (orvix, 1, 3);
    openWith (8, "KT4 MIDI", 15, 4);

    chooseFromMenu (8);
    ASSERT_TRUE (console().getFirmwareOffer().getOffer().isChecking());

    chooseFromMenu (16);
    ASSERT_TRUE (waitForCheck());
    runMessageLoopFor (300);
    EXPECT_FALSE (console().getFirmwareOffer().isOffered());
    EXPECT_FALSE (visible ("Firmware Text Label") || visible ("Firmware Link Label"));
    EXPECT_NE (labelText ("Firmware Text Label"), "Firmware 15.05");
}

TEST_F (FirmwareOfferTest, DownloadedFirmwareIsSentToTheDeviceAtOnce)
{
    const auto image = firmwareImage (16, 0x7D, 30);
    server.serve ("/fw/orvix3-104.syx", image, Behaviour::chunked);
    serveFeed (4, true, "/fw/orvix3-104.syx", 16, 1);

    auto& device = openWith (16, "Orvix III MIDI 1", 1, 3);
    chooseFromMenu (16);
    ASSERT_TRUE (waitForCheck());
    ASSERT_TRUE (console().getFirmwareOffer().isOffered());
    EXPECT_EQ (labelText ("Firmware Text Label"), "Firmware 1.04");

    console().getFirmwareOffer().showFirmwareUpdateWindow();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return device.getReceivedCount (0x7E) == 29; }, 30000))
        << device.getReceivedCount (0x7E);
    EXPECT_EQ (device.getReceivedCount (0x7D), 1);
    EXPECT_TRUE (console().getTransfers().getSendFile().isInMemory());

    // The device's own instructions follow the transfer.
    ASSERT_TRUE (runMessageLoopUntil ([this] { return boxTexts().joinIntoString ("|").contains ("UPDATE SUCCESSFUL"); }, 30000))
        << boxTexts().joinIntoString ("|");
}

TEST (FirmwareOfferRules, TheFolderLinkRevealsFilesAndSpeaksOfMemoryOnlyForDownloads)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("morvane-fw-" + juce::Uuid().toString());
    ASSERT_TRUE (folder.createDirectory());
    const auto onDisk = folder.getChildFile ("kt4 firmware 15.05.syx");
    ASSERT_TRUE (onDisk.replaceWithText ("x"));

    using Action = FirmwareOffer::FolderAction;
    struct Case { juce::String text; bool inMemory; Action action; };
    const Case cases[] = {
        { {}, false, Action::nothing },
        { onDisk.getFullPathName(), false, Action::reveal },
        { folder.getChildFile ("gone.syx").getFullPathName(), false, Action::invalidPath },
        { "KT4 firmware 15.05", true, Action::inMemory },
        { "KT4 firmware 15.05", false, Action::nothing },   // a name is no download
    };

    for (const auto& c : cases)
        EXPECT_EQ (FirmwareOffer::folderActionFor (c.text, c.inMemory), c.action) << c.text;

    folder.deleteRecursively();
}

TEST (FirmwareOfferRules, NoticesAfterAFirmwareSendNameTheDeviceAndItsNextStep)
{
    struct Case { juce::uint8 model; PayloadKind kind; const char* starts; const char* contains; };
    const Case cases[] = {
        { 8, PayloadKinds::kt4Firmware, "IMPORTANT! The transfer is complete but the KT4 needs time",
          "Please watch the screen of your KT4 for the \"UPDATE COMPLETE\" message" },
        { 3, PayloadKinds::fpgaImage, "IMPORTANT! The transfer is complete but the Orvix II Original/MK II needs time to program the FPGA.",
          "Then reboot the Orvix II Original/MK II." },
        { 16, PayloadKinds::orvixIIIFirmware, "IMPORTANT! The transfer is complete. Please check the screen of your Orvix III", "UPDATE SUCCESSFUL" },
        { 16, PayloadKinds::orvixIIIUsbFirmware, "IMPORTANT! The transfer is complete. Please power off the Orvix III, wait 5 seconds", "" },
        { 5, PayloadKinds::lm6Bank, "Transfer complete!  ", "" },
        { 2, PayloadKinds::qmr303Firmware, "", "" },
    };

    for (const auto& c : cases)
    {
        const auto text = FirmwareOffer::noticeText (c.model, c.kind, "Transfer complete!  ");
        EXPECT_TRUE (text.startsWith (c.starts)) << text;
        EXPECT_TRUE (text.contains (c.contains)) << text;
        EXPECT_EQ (text.isEmpty(), juce::String (c.starts).isEmpty()) << text;
    }
}
