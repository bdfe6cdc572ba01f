#include "DownloadResult.h"
#include "FirmwareCheckResult.h"
#include "MessageLoop.h"
#include "SilentNetwork.h"
#include "SysExMessage.h"
#include "TPXAutoUpdate.h"
#include "TPXDrawableButton.h"
#include "TPXFirmwareUpdate.h"
#include "TPXFirmwareUpdateDownloadThread.h"
#include "UpdateCheckResult.h"
#include "UpdateFeedReader.h"
#include "UpdateTestSkin.h"
#include "UpdateTestSupport.h"

using namespace morvane::test;
using Behaviour = TestHttpServer::Behaviour;

namespace
{
const juce::String programFeedPath = "/rss/reduvorivudidu/Morvane/morvane.xml";
const juce::String firmwareFeedPath = "/rss/firmware/firmware.xml";

/** The program check with the user's answers scripted instead of windows. */
class ScriptedAutoUpdate : public TPXAutoUpdate
{
public:
    using TPXAutoUpdate::TPXAutoUpdate;

    int windowsShown = 0, choosersShown = 0;
    bool answer = true, realChooser = false, progressShownAtChooser = false;
    juce::File folder;

protected:
    bool showWindow() override { ++windowsShown; return answer; }

    bool chooseSaveFolder (juce::File& chosen) override
    {
        ++choosersShown;
        progressShownAtChooser = progressWindowShown();

        if (realChooser)
            return TPXAutoUpdate::chooseSaveFolder (chosen);

        if (folder == juce::File())
            return false;

        chosen = folder;
        return true;
    }

public:
    static juce::DialogWindow* progressWindow()
    {
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (auto* w = dynamic_cast<juce::DialogWindow*> (juce::Desktop::getInstance().getComponent (i));
                w != nullptr && w->getName() == "Morvane Update" && w->isVisible())
                return w;

        return nullptr;
    }

    static bool progressWindowShown() { return progressWindow() != nullptr; }
};

class ScriptedFirmwareUpdate : public TPXFirmwareUpdate
{
public:
    using TPXFirmwareUpdate::TPXFirmwareUpdate;
    int windowsShown = 0;
    bool showWindow() override { ++windowsShown; return true; }

    /** Ticks of the download's watch (the 1000 ms timer) taken while the body arrived without
        a length and the download still ran.
    */
    int watchTicksWithoutLength = 0;

    void timerCallback (int timerId) override
    {
        const bool unknownLength = progress.load() < 0.0 && isDownloadRunning();
        TPXFirmwareUpdate::timerCallback (timerId);

        if (timerId == 0 && unknownLength)
            ++watchTicksWithoutLength;
    }
};

/** Keeps a picture among the test artefacts. */
void saveArtefact (const juce::Image& image, const juce::String& name)
{
    const juce::File artefacts (MORVANE_TEST_ARTEFACTS_DIR);
    artefacts.createDirectory();
    juce::FileOutputStream out (artefacts.getChildFile (name));
    out.setPosition (0);
    out.truncate();
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out)) << name;
}

/** Runs a check as the program does, its reads on their own thread, and waits for its result. */
template <typename Update>
int checkAndWait (Update& update)
{
    int result = -1;
    update.checkForUpdate ([&result] (int found) { result = found; });
    EXPECT_TRUE (runMessageLoopUntil ([&] { return result >= 0; }, 60000));
    return result;
}

class UpdateWindows : public LocalServerTest
{
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        scratch = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("morvane-update-" + juce::Uuid().toString());
        ASSERT_TRUE (scratch.createDirectory());
        settings = std::make_unique<juce::PropertiesFile> (scratch.getChildFile ("Morvane.settings"), juce::PropertiesFile::Options());
        server.serve ("/notes.txt", "Fixed the things.");
        server.serve ("/notes.html", "<html><body>Please sign in</body></html>");
        server.serve ("/eol.txt", "Thank you.");
    }

    void TearDown() override
    {
        settings.reset();
        scratch.deleteRecursively();
        LocalServerTest::TearDown();
    }

    juce::String notesAt (const juce::String& path) const { return server.getBaseAddress() + path; }

    UpdateTestSkin skin;
    juce::File scratch;
    std::unique_ptr<juce::PropertiesFile> settings;
};
} // namespace

TEST_F (UpdateWindows, TheProgramCheckOffersOnlyNewerVersionsAndTellsOfTheEnd)
{
    struct Case
    {
        const char* name;
        juce::String version;   // attributes of VERSION
        juce::String extra;     // further children of the root
        bool answer;
        int result, windows;
        juce::String info, notes;
        bool cancelShown;
    };

    const juce::String release = "<RELEASENOTES url=\"" + notesAt ("/notes.txt") + "\"/>";
    const Case cases[] = {
        { "newer", R"(major="2" minor="10" revision="1" compatibility="true")", release, true, UpdateCheckResult::accepted, 1,
          "Version 2.10.1 is available. You have version 2.10.0 installed.", "Fixed the things.", true },
        { "newer, no compatibility", R"(major="3" minor="0" revision="0")", release, true, UpdateCheckResult::manualInstall, 1,
          "Version 3.0.0 is available. You have version 2.10.0 installed.", "Fixed the things.", true },
        { "newer, declined", R"(major="2" minor="11" compatibility="true")", {}, false, UpdateCheckResult::declined, 1,
          "Version 2.11.0 is available. You have version 2.10.0 installed.", "No release notes available.", true },
        { "html notes", R"(major="2" minor="11" compatibility="true")", "<RELEASENOTES url=\"" + notesAt ("/notes.html") + "\"/>",
          true, UpdateCheckResult::accepted, 1, "Version 2.11.0 is available. You have version 2.10.0 installed.",
          "No release notes available.", true },
        { "notes missing", R"(major="2" minor="11" compatibility="true")", "<RELEASENOTES url=\"" + notesAt ("/gone.txt") + "\"/>",
          true, UpdateCheckResult::accepted, 1, "Version 2.11.0 is available. You have version 2.10.0 installed.",
          "No release notes available.", true },
        { "equal", R"(major="2" minor="10" revision="0")", release, true, UpdateCheckResult::nothing, 0, {}, {}, true },
        { "older minor", R"(major="2" minor="9" revision="99")", release, true, UpdateCheckResult::nothing, 0, {}, {}, true },
        { "end of life", R"(major="2" minor="10" revision="0" eol="true")", "<EOLNOTES url=\"" + notesAt ("/eol.txt") + "\"/>",
          true, UpdateCheckResult::declined, 1, "2.10.0 is the final version of Morvane. No future updates are planned.",
          "Thank you.", false },
        { "end of life, no notes", R"(major="2" minor="10" revision="0" eol="true")", {}, false, UpdateCheckResult::declined, 1,
          "2.10.0 is the final version of Morvane. No future updates are planned.", "No notes available.", false },
    };

    for (const auto& c : cases)
    {
        server.serve (programFeedPath, "<?xml version=\"1.0\"?><MORVANE><VERSION " + c.version + "/>" + c.extra + "</MORVANE>");
        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
        update.answer = c.answer;

        EXPECT_EQ (checkAndWait (update), c.result) << c.name;
        EXPECT_EQ (update.windowsShown, c.windows) << c.name;

        if (c.windows > 0)
        {
            EXPECT_EQ (update.getInfoText(), c.info) << c.name;
            EXPECT_EQ (update.getNotesText(), c.notes) << c.name;
            EXPECT_EQ (update.isInfoCancelShown(), c.cancelShown) << c.name;

            // OK promises only what it will do: the installer is a Windows program, and an
            // update this program cannot take is only told how to get.
            if (c.result == UpdateCheckResult::manualInstall)
            {
                EXPECT_EQ (update.getButtonText(), "Click OK to learn how to install this update manually.")
                    << c.name;
                saveArtefact (update.getInfoView().createComponentSnapshot (update.getInfoView().getLocalBounds()), "update-offer-manual.png");
            }
            else if (c.cancelShown)
            {
                EXPECT_EQ (update.getButtonText(), TPXAutoUpdate::canStartInstaller()
                                                       ? "Click OK to download and install the update."
                                                       : "Click OK to download the Windows installer of the update and save it.")
                    << c.name;
            }
        }
    }
}

TEST_F (UpdateWindows, AnUnreadableOrHostileFeedOrTheSkipSettingMeansNoCheck)
{
    struct Case { const char* name; juce::String feed; int status; bool skip; };
    const Case cases[] = {
        { "not found", R"(<MORVANE><VERSION major="9"/></MORVANE>)", 404, false },
        { "doctype", R"(<!DOCTYPE MORVANE [<!ENTITY v "9">]><MORVANE><VERSION major="&v;"/></MORVANE>)", 200, false },
        { "loops the parser", R"(<MORVANE><VERSION major="9"><??></VERSION></MORVANE>)", 200, false },
        { "not xml", "Service unavailable", 200, false },
        { "skipped", R"(<MORVANE><VERSION major="9" compatibility="true"/></MORVANE>)", 200, true },
    };

    for (const auto& c : cases)
    {
        server.serve (programFeedPath, c.feed, Behaviour::normal, c.status);
        settings->setValue (TPXAutoUpdate::skipCheckKey, c.skip);
        const int requestsBefore = server.getRequestCount (programFeedPath);

        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
        EXPECT_EQ (checkAndWait (update), UpdateCheckResult::nothing) << c.name;
        EXPECT_EQ (update.windowsShown, 0) << c.name;
        EXPECT_EQ (server.getRequestCount (programFeedPath) - requestsBefore, c.skip ? 0 : 1) << c.name;
    }
}

TEST_F (UpdateWindows, TheInstallerFolderSettingFallsBackToHomeAndKeepsTheLastChoice)
{
    const auto gone = scratch.getChildFile ("gone").getFullPathName();
    settings->setValue (TPXAutoUpdate::updateDirKey, gone);
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);

    {
        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
        EXPECT_EQ (update.getStartFolder(), home);
        EXPECT_EQ (settings->getValue (TPXAutoUpdate::updateDirKey), gone) << "home is not stored as a choice";
        EXPECT_FALSE (update.downloadAndInstall());   // the chooser was cancelled
        EXPECT_EQ (update.choosersShown, 1);
        EXPECT_FALSE (ScriptedAutoUpdate::progressWindowShown()) << "a progress window without a folder";
    }

    settings->setValue (TPXAutoUpdate::updateDirKey, scratch.getFullPathName());
    ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
    EXPECT_EQ (update.getStartFolder(), scratch);
}

TEST_F (UpdateWindows, AnAcceptedUpdateDownloadsTheInstallerIntoTheChosenFolder)
{
    const auto installer = installerBytes (3000);
    server.serve ("/dl/Morvane Setup;2.11.exe", installer);
    server.serve (programFeedPath, R"(<MORVANE><VERSION major="2" minor="11" compatibility="true"><URL win=")"
                                       + server.getBaseAddress() + R"(/dl/Morvane%20Setup;2.11.exe"/></VERSION></MORVANE>)");

    ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
    ASSERT_EQ (checkAndWait (update), UpdateCheckResult::accepted);

    int changes = 0;
    struct Counter : juce::ChangeListener
    {
        int& count;
        explicit Counter (int& c) : count (c) {}
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    } counter (changes);
    update.addChangeListener (&counter);

    // The folder is chosen first; only then does the progress window show.
    update.folder = scratch;
    ASSERT_TRUE (update.downloadAndInstall());
    EXPECT_FALSE (update.progressShownAtChooser) << "the progress window stood over the chooser";
    EXPECT_TRUE (ScriptedAutoUpdate::progressWindowShown());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return changes > 0; }, 30000));
    update.removeChangeListener (&counter);

    EXPECT_EQ (update.getDownloadResult(), DownloadResult::complete);
    const juce::File written (update.getDownloadedFile());
    EXPECT_EQ (written, scratch.getChildFile ("MorvaneSetup2.11.exe"));   // one extension

    juce::MemoryBlock bytes;
    ASSERT_TRUE (written.loadFileAsData (bytes));
    EXPECT_EQ (bytes, installer);
    EXPECT_EQ (settings->getValue (TPXAutoUpdate::updateDirKey), scratch.getFullPathName());
}

TEST_F (UpdateWindows, TheRealChooserHasTheScreenToItselfUntilAFolderIsChosen)
{
    server.serve ("/dl/slow.exe", installerBytes (3000), Behaviour::stallBody);
    server.serve (programFeedPath, R"(<MORVANE><VERSION major="2" minor="11" compatibility="true"><URL win=")"
                                       + server.getBaseAddress() + R"(/dl/slow.exe"/></VERSION></MORVANE>)");
    ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
    ASSERT_EQ (checkAndWait (update), UpdateCheckResult::accepted);
    update.realChooser = true;

    // Once the chooser shows: its picture, then the scratch folder is chosen.
    struct ChooserAnswer : juce::Timer
    {
        explicit ChooserAnswer (const juce::File& f) : folder (f) { startTimer (20); }

        void timerCallback() override
        {
            auto* modal = juce::Component::getCurrentlyModalComponent();

            if (auto* box = modal != nullptr ? dynamic_cast<juce::FileChooserDialogBox*> (modal->getTopLevelComponent()) : nullptr;
                box != nullptr && box->isShowing())
            {
                stopTimer();
                saveArtefact (box->createComponentSnapshot (box->getLocalBounds()), "update-choose-folder.png");
                std::function<void (juce::Component&)> setRoot = [&] (juce::Component& c)
                {
                    if (auto* browser = dynamic_cast<juce::FileBrowserComponent*> (&c))
                        browser->setRoot (folder);

                    for (auto* child : c.getChildren())
                        setRoot (*child);
                };
                setRoot (*box);
                box->exitModalState (1);
            }
        }

        juce::File folder;
    } answer (scratch);

    EXPECT_TRUE (update.downloadAndInstall());
    EXPECT_EQ (update.choosersShown, 1);
    EXPECT_FALSE (update.progressShownAtChooser) << "the progress window stood over the chooser";
    EXPECT_TRUE (ScriptedAutoUpdate::progressWindowShown());
    EXPECT_EQ (update.getInstallerPath().getParentDirectory(), scratch);

    update.cancelDownload();
    server.releaseStalls();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return update.getDownloadResult() != 0; }, 30000));
    EXPECT_EQ (update.getDownloadResult(), DownloadResult::cancelled);
}

TEST_F (UpdateWindows, TheFirmwareCheckComparesTheDevicesVersionWithItsModelsProduct)
{
    struct Case { const char* name; juce::String products; int result, windows; juce::String info; juce::String notes = {}; };
    const juce::String notes = "<RELEASENOTES url=\"" + notesAt ("/notes.txt") + "\"/>";
    const juce::String endNotes = "<EOLNOTES url=\"" + notesAt ("/eol.txt") + "\"/>";
    const Case cases[] = {
        { "newer", R"(<PRODUCT modelID="8"><VERSION major="15" revision="5" compatibility="true"><FIRMWARE url="x/kt4.syx"/>)" + notes + "</VERSION></PRODUCT>",
          FirmwareCheckResult::newer, 0, "15.05 is available. You have 15.04 installed." },
        { "incompatible", R"(<PRODUCT modelID="8"><VERSION major="16" revision="0"/></PRODUCT>)", FirmwareCheckResult::incompatible, 0,
          "16.00 is available. You have 15.04 installed." },
        { "older", R"(<PRODUCT modelID="8"><VERSION major="14" revision="99" compatibility="true"/></PRODUCT>)", FirmwareCheckResult::nothing, 0, {} },
        { "equal", R"(<PRODUCT modelID="8"><VERSION major="15" revision="4" compatibility="true"/></PRODUCT>)", FirmwareCheckResult::nothing, 0, {} },
        { "end of life", R"(<PRODUCT modelID="264"><VERSION major="15" revision="4" eol="true"/></PRODUCT>)", FirmwareCheckResult::endOfLife, 1,
          "15.04 is the final firmware version. No future updates are planned.", "No notes available." },
        // The product's own end-of-life notes, inside its VERSION.
        { "end of life with notes", R"(<PRODUCT modelID="8"><VERSION major="15" revision="4" eol="true">)" + endNotes + "</VERSION></PRODUCT>",
          FirmwareCheckResult::endOfLife, 1, "15.04 is the final firmware version. No future updates are planned.", "Thank you." },
        { "other model", R"(<PRODUCT modelID="3"><VERSION major="99" revision="0" compatibility="true"/></PRODUCT>)", FirmwareCheckResult::nothing, 0, {} },
        { "no version", R"(<PRODUCT modelID="8"/>)", FirmwareCheckResult::nothing, 0, {} },
    };

    currentDeviceModel = 8;

    for (const auto& c : cases)
    {
        server.serve (firmwareFeedPath, "<FIRMWARES>" + c.products + "</FIRMWARES>");
        ScriptedFirmwareUpdate update (skin.get(), 8, 15, 4, "15.04", settings.get());

        EXPECT_EQ (checkAndWait (update), c.result) << c.name;
        EXPECT_EQ (update.windowsShown, c.windows) << c.name;

        if (c.info.isNotEmpty())
        {
            EXPECT_EQ (update.getInfoText(), c.info) << c.name;
        }

        if (c.notes.isNotEmpty())
        {
            EXPECT_EQ (update.getNotesText(), c.notes) << c.name;
        }
    }

    settings->setValue (TPXFirmwareUpdate::skipCheckKey, true);
    const int before = server.getRequestCount (firmwareFeedPath);
    ScriptedFirmwareUpdate skipped (skin.get(), 8, 15, 4, "15.04", settings.get());
    EXPECT_EQ (checkAndWait (skipped), FirmwareCheckResult::nothing);
    EXPECT_EQ (server.getRequestCount (firmwareFeedPath), before);
}

TEST_F (UpdateWindows, TheFirmwareOkayIsOfferedOnlyAfterTheReleaseNotesToggleAndTheLinkOpensSupport)
{
    ScriptedFirmwareUpdate update (skin.get(), 8, 15, 4, "15.04", settings.get());
    auto* okay = update.getOkayButton();
    ASSERT_NE (okay, nullptr);

    juce::ToggleButton* toggle = nullptr;
    juce::Label* link = nullptr;

    for (auto* child : update.getInfoView().getChildren())
    {
        if (auto* t = dynamic_cast<juce::ToggleButton*> (child))
            toggle = t;
        else if (auto* l = dynamic_cast<juce::Label*> (child); l != nullptr && l->getText().startsWith ("https://"))
            link = l;
    }

    ASSERT_NE (toggle, nullptr);
    ASSERT_NE (link, nullptr);

    for (bool on : { false, true, false, true })
    {
        toggle->setToggleState (on, juce::sendNotificationSync);
        EXPECT_EQ (okay->isEnabled(), on);
    }

    juce::StringArray opened;
    update.openSupportPage = [&] (const juce::URL& address) { opened.add (address.toString (false)); };
    // The link label passes its clicks on to the component that listens to it.
    update.mouseDown (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), {}, {}, 1.0f, 0.0f, 0.0f, 0.0f,
                                       0.0f, link, link, juce::Time(), {}, juce::Time(), 1, false));
    EXPECT_EQ (opened, juce::StringArray (link->getText()));
}

TEST_F (UpdateWindows, AcceptedFirmwareDownloadsIntoMemory)
{
    const auto firmware = patternBytes (4000);
    server.serve ("/fw/kt4.syx", firmware, Behaviour::chunked);
    server.serve (firmwareFeedPath, R"(<FIRMWARES><PRODUCT modelID="8"><VERSION major="15" revision="5" compatibility="true"><FIRMWARE url=")"
                                        + server.getBaseAddress() + R"(/fw/kt4.syx"/></VERSION></PRODUCT></FIRMWARES>)");

    ScriptedFirmwareUpdate update (skin.get(), 8, 15, 4, "15.04", settings.get());
    ASSERT_EQ (checkAndWait (update), FirmwareCheckResult::newer);
    EXPECT_EQ (update.getFirmwareFileName(), "kt4.syx");

    update.addToDesktop (juce::ComponentPeer::windowIsTemporary);
    update.setVisible (true);

    ASSERT_TRUE (update.startDownload());
    EXPECT_FALSE (update.startDownload());   // one download at a time
    ASSERT_TRUE (runMessageLoopUntil ([&] { return update.getDownloadResult() != 0; }, 30000));
    EXPECT_EQ (update.getDownloadResult(), DownloadResult::complete);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (update.getDownloadThread()->copyDownloadedData (bytes));
    EXPECT_EQ (bytes, firmware);
}

TEST_F (UpdateWindows, ChecksReadASilentOrDrippingServerOffTheMessageThreadAndEndByTheirDeadline)
{
    // Only the check's own deadline can end these reads: the idle time-out is far away, and a
    // drip of 160 bytes a second keeps any idle limit content.
    UpdateServer::setTimeoutMs (600000);
    UpdateServer::setCheckDeadlineMs (2000);
    const auto dripping = juce::String::repeatedString ("<!-- slow -->", 400);
    const juce::String newer = R"(<MORVANE><VERSION major="2" minor="11" compatibility="true"/><RELEASENOTES url=")"
                               + notesAt ("/drip-notes.txt") + R"("/></MORVANE>)";
    server.serve ("/drip-notes.txt", dripping, Behaviour::drip);

    struct Case { const char* name; juce::String feed; Behaviour behaviour; int result, windows; };
    const Case cases[] = {
        { "silent", "<MORVANE/>", Behaviour::stallHeaders, UpdateCheckResult::nothing, 0 },
        { "dripping feed", "<MORVANE>" + dripping + "</MORVANE>", Behaviour::drip, UpdateCheckResult::nothing, 0 },
        { "dripping notes", newer, Behaviour::normal, UpdateCheckResult::accepted, 1 },
    };

    for (const auto& c : cases)
    {
        server.serve (programFeedPath, c.feed, c.behaviour);
        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());

        int result = -1;
        update.checkForUpdate ([&result] (int found) { result = found; });
        EXPECT_TRUE (update.isChecking()) << c.name;
        ASSERT_TRUE (server.waitForRequest (programFeedPath)) << c.name;

        // The message thread is free while the server takes its time.
        bool answered = false;
        juce::MessageManager::callAsync ([&answered] { answered = true; });
        ASSERT_TRUE (runMessageLoopUntil ([&] { return answered; })) << c.name;
        EXPECT_EQ (result, -1) << c.name;

        ASSERT_TRUE (runMessageLoopUntil ([&] { return result >= 0; }, 60000)) << c.name;
        EXPECT_EQ (result, c.result) << c.name;
        EXPECT_EQ (update.windowsShown, c.windows) << c.name;
        EXPECT_FALSE (update.isChecking()) << c.name;

        if (c.windows > 0)
        {
            EXPECT_EQ (update.getNotesText(), "No release notes available.") << c.name;
        }
    }
}

TEST_F (UpdateWindows, ACheckThatIsStillReadingEndsWithItsWindowAndReportsNothing)
{
    UpdateServer::setTimeoutMs (600000);
    server.serve (programFeedPath, "<MORVANE/>", Behaviour::stallHeaders);
    server.serve (firmwareFeedPath, "<FIRMWARES/>", Behaviour::drip);

    int reports = 0;

    {
        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
        update.checkForUpdate ([&reports] (int) { ++reports; });
        ASSERT_TRUE (server.waitForRequest (programFeedPath));
    }

    {
        ScriptedFirmwareUpdate update (skin.get(), 8, 15, 4, "15.04", settings.get());
        update.checkForUpdate ([&reports] (int) { ++reports; });
        ASSERT_TRUE (server.waitForRequest (firmwareFeedPath));
    }

    // Each check's thread has ended with its window: whatever it had sent on its way has come.
    ASSERT_TRUE (deliverPendingMessages());
    EXPECT_EQ (reports, 0);
}

TEST_F (UpdateWindows, WithoutALengthTheProgressIsIndeterminateAndCancelStaysOfferedUntilTheBodyEnds)
{
    UpdateServer::setTimeoutMs (60000);
    server.serve ("/fw/chunks.syx", patternBytes (4000), Behaviour::stallChunked);
    server.serve (firmwareFeedPath, R"(<FIRMWARES><PRODUCT modelID="8"><VERSION major="15" revision="5" compatibility="true"><FIRMWARE url=")"
                                        + server.getBaseAddress() + R"(/fw/chunks.syx"/></VERSION></PRODUCT></FIRMWARES>)");

    ScriptedFirmwareUpdate update (skin.get(), 8, 15, 4, "15.04", settings.get());
    ASSERT_EQ (checkAndWait (update), FirmwareCheckResult::newer);
    update.addToDesktop (juce::ComponentPeer::windowIsTemporary);
    update.setVisible (true);

    ASSERT_TRUE (update.startDownload());
    ASSERT_TRUE (server.waitForRequest ("/fw/chunks.syx"));

    // Past a few ticks of the window's watch, while the body waits half-way.
    ASSERT_TRUE (runMessageLoopUntil ([&] { return update.watchTicksWithoutLength >= 2; }, 30000));
    auto* cancel = update.getProgressCancelButton();
    ASSERT_NE (cancel, nullptr);
    EXPECT_TRUE (update.isDownloadRunning());
    EXPECT_TRUE (cancel->isEnabled());
    EXPECT_EQ (cancel->getAlpha(), 1.0f);

    cancel->triggerClick();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return update.getDownloadResult() != 0; }, 30000));
    EXPECT_EQ (update.getDownloadResult(), DownloadResult::cancelled);
}

TEST_F (UpdateWindows, ARefusedConnectionEndsTheCheckWithNothingOfferedAndNothingLeftRunning)
{
    // Neither the idle limit nor the deadline could end this check: only the refusal can.
    UpdateServer::setTimeoutMs (600000);
    UpdateServer::setCheckDeadlineMs (600000);
    UpdateServer::setBaseAddress ("http://127.0.0.1:9");

    ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());

    int result = -1, reports = 0;
    update.checkForUpdate ([&] (int found) { result = found; ++reports; });
    ASSERT_TRUE (runMessageLoopUntil ([&] { return result >= 0; }, 60000));

    EXPECT_EQ (result, UpdateCheckResult::nothing);
    EXPECT_EQ (update.windowsShown, 0);
    EXPECT_FALSE (update.isChecking());
    EXPECT_FALSE (update.isDownloadRunning());

    // One report, and none later: the check's thread had ended before it reported, so all it
    // sent is delivered once the messages posted so far are.
    ASSERT_TRUE (deliverPendingMessages());
    EXPECT_EQ (reports, 1);
}

// A name server that never answers held quitting for as long as the resolver waited: the check
// and download threads were cancelled and joined on the message thread, and cancelling waited for
// the resolver. Now their owners let go at once, and the check answers by its deadline.
TEST_F (UpdateWindows, ASilentNameServerHoldsNeitherQuittingNorTheCheckBeyondItsDeadline)
{
    SilentNetwork network;
    UpdateServer::setCheckDeadlineMs (1000);

    const auto timed = [] (auto&& step)
    {
        const auto start = juce::Time::getMillisecondCounterHiRes();
        step();
        return juce::Time::getMillisecondCounterHiRes() - start;
    };

    // The check answers "nothing" by its deadline, not when the look-up gives up.
    {
        ScriptedAutoUpdate update (skin.get(), 2, 10, 0, settings.get());
        int result = -1;
        const auto took = timed ([&]
        {
            update.checkForUpdate ([&result] (int found) { result = found; });
            EXPECT_TRUE (runMessageLoopUntil ([&] { return result >= 0; }, 6000));
        });
        EXPECT_EQ (result, UpdateCheckResult::nothing);
        EXPECT_LT (took, 3000.0);
    }

    // Quitting during a check, replacing a firmware check, ending a download: each at once.
    auto program = std::make_unique<ScriptedAutoUpdate> (skin.get(), 2, 10, 0, settings.get());
    program->checkForUpdate ([] (int) { ADD_FAILURE() << "no report after the owner has gone"; });
    auto firmware = std::make_unique<ScriptedFirmwareUpdate> (skin.get(), 8, 15, 4, "15.04", settings.get());
    firmware->checkForUpdate ([] (int) { ADD_FAILURE() << "no report after the owner has gone"; });
    ASSERT_TRUE (waitFor ([&] { return network.getConnectsStarted() >= 3; }, 10000));

    EXPECT_LT (timed ([&] { program.reset(); }), 500.0);
    EXPECT_LT (timed ([&] { firmware.reset(); }), 500.0);

    std::atomic<double> progress { 0.0 };
    TPXFirmwareUpdateDownloadThread cancelled (juce::URL ("https://updates.example.com/fw.syx"), &progress);
    auto deleted = std::make_unique<TPXFirmwareUpdateDownloadThread> (juce::URL ("https://updates.example.com/fw.syx"), &progress);
    cancelled.startThread();
    deleted->startThread();
    ASSERT_TRUE (waitFor ([&] { return network.getConnectsStarted() >= 5; }, 10000));

    EXPECT_LT (timed ([&] { deleted.reset(); }), 500.0);
    EXPECT_LT (timed ([&]
    {
        cancelled.cancel();
        EXPECT_TRUE (waitFor ([&] { return ! cancelled.isThreadRunning(); }, 4000));
    }), 500.0);
    EXPECT_EQ (cancelled.getResult(), DownloadResult::cancelled);
    runMessageLoopFor (100);
}

// The process still ends cleanly, sanitizers content, with a network thread stuck for good.
TEST_F (UpdateWindows, TheProgramEndsCleanlyWhileANetworkThreadIsStuck)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");

    EXPECT_EXIT (
        {
            SilentNetwork::neverAnswer();
            UpdateServer::setCheckDeadlineMs (1000);
            const bool read = UpdateFeedReader::readFeed (juce::URL ("https://updates.example.com/feed.xml")) != nullptr;

            // This process ends here, without the fixture's tear-down: it removes what the
            // fixture made for it first.
            settings.reset();
            scratch.deleteRecursively();
            skin.getFolder().deleteRecursively();
            std::exit (read ? 1 : 0);
        },
        ::testing::ExitedWithCode (0), "");
}
