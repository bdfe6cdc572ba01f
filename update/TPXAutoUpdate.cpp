#include "TPXAutoUpdate.h"

#include "InstallerFileName.h"
#include "OwnedWindows.h"
#include "SkinnedDialogWindow.h"
#include "TPXAutoUpdateDownloadThread.h"
#include "TPXDrawableButton.h"
#include "UpdateCheckResult.h"
#include "UpdateFeedReader.h"
#include "UpdateServer.h"

namespace
{
struct Product
{
    const char* programName;
    const char* feedFileName;
};

const Product products[] = {
    { "Morvane", "morvane.xml" },
    { "Orvix-Edit", "orvix-edit.xml" },
    { "Vesker", "vesker.xml" },
    { "LM6-Edit", "lm6-edit.xml" },
    { "Vesker3", "vesker3.xml" },
    { "KT4-Edit", "kt4-edit.xml" },
    { "Orvix-Edit-III", "orvix-edit-iii.xml" },
};

bool isKnownProduct (int index)
{
    return index >= 0 && index < (int) std::size (products);
}
} // namespace

juce::String TPXAutoUpdate::getProgramName (int index)
{
    return isKnownProduct (index) ? juce::String (products[index].programName) : juce::String();
}

juce::String TPXAutoUpdate::getFeedFileName (int index)
{
    return isKnownProduct (index) ? juce::String (products[index].feedFileName) : juce::String();
}

TPXAutoUpdate::TPXAutoUpdate (SkinManager* skin, int major, int minor, int revision, juce::PropertiesFile* settingsFile)
    : TPXUpdateComponent (skin),
      programName (getProgramName (productIndex)),
      feedFileName (getFeedFileName (productIndex)),
      installedMajor (major),
      installedMinor (minor),
      installedRevision (revision),
      checkSettings (settingsFile, updateDirKey, skipCheckKey)
{
    if (programName.isNotEmpty())
        feedAddress = UpdateServer::getProgramFeedAddress (programName, feedFileName);

    buildFromSection ("AutoUpdateSkin");
    loadSettings();
}

TPXAutoUpdate::~TPXAutoUpdate()
{
    endDownload (downloadThread);

    // The progress window shows this component without owning it: it goes first.
    delete findParentComponentOfClass<SkinnedDialogWindow>();
}

void TPXAutoUpdate::buildWidget (const juce::XmlElement& widget, const juce::String& name)
{
    if (buildCommonWidget (widget, name))
        return;

    if (name == "infoNoCheckOnStartupToggle")
        infoNoCheckOnStartupToggle = buildToggle (widget);
}

void TPXAutoUpdate::loadSettings()
{
    checkSettings.load();

    if (infoNoCheckOnStartupToggle != nullptr)
        infoNoCheckOnStartupToggle->setToggleState (checkSettings.isSkipCheckSet(), juce::dontSendNotification);
}

void TPXAutoUpdate::notesWindowClosing()
{
    if (infoNoCheckOnStartupToggle != nullptr)
        checkSettings.storeSkipCheck (infoNoCheckOnStartupToggle->getToggleState());
}

void TPXAutoUpdate::buttonClicked (juce::Button* button)
{
    if (button != infoNoCheckOnStartupToggle.get())
        TPXUpdateComponent::buttonClicked (button);
}

void TPXAutoUpdate::checkForUpdate (std::function<void (int)> onResult)
{
    resetProgressPage();

    if (checkSettings.isSkipCheckSet() || feedAddress.isEmpty())
    {
        if (onResult != nullptr)
            onResult (UpdateCheckResult::nothing);

        return;
    }

    // The reads run on their own thread and write only into this record, which the message
    // thread reads once they are done.
    auto found = std::make_shared<CheckReads>();
    const auto address = feedAddress;
    const int major = installedMajor, minor = installedMinor, revision = installedRevision;

    startCheck ([found, address, major, minor, revision] (UpdateHttpSession& session)
                {
                    auto document = UpdateFeedReader::readFeed (session, address);

                    if (document == nullptr)
                        return;

                    found->feedRead = true;
                    found->feed = ProgramFeed::read (*document);
                    document.reset();

                    const auto& published = found->feed;
                    found->newer = published.isNewerThan (major, minor, revision);

                    if (found->newer)
                        found->notes = published.hasReleaseNotes ? UpdateFeedReader::readNotes (session, juce::URL (published.releaseNotesAddress),
                                                                                           "No release notes available.")
                                                            : juce::String ("No release notes available.");
                    else if (published.endOfLife)
                        found->notes = published.hasEndOfLifeNotes ? UpdateFeedReader::readNotes (session, juce::URL (published.endOfLifeNotesAddress),
                                                                                             "No notes available.")
                                                              : juce::String ("No notes available.");
                },
                [this, found, onResult]
                {
                    const int result = offerUpdate (*found);

                    if (onResult != nullptr)
                        onResult (result);
                });
}

bool TPXAutoUpdate::canStartInstaller() noexcept
{
   #if JUCE_WINDOWS
    return true;
   #else
    return false;
   #endif
}

juce::String TPXAutoUpdate::getOfferButtonText (bool compatible)
{
    // OK on an update that this program cannot install tells how to get it; nothing is downloaded.
    if (! compatible)
        return "Click OK to learn how to install this update manually.";

    // The installer is a Windows program: elsewhere OK only saves it.
    return canStartInstaller() ? "Click OK to download and install the update."
                               : "Click OK to download the Windows installer of the update and save it.";
}

int TPXAutoUpdate::offerUpdate (const CheckReads& found)
{
    if (! found.feedRead)
        return UpdateCheckResult::nothing;

    feed = found.feed;

    if (! found.newer && ! feed.endOfLife)
        return UpdateCheckResult::nothing;

    if (! found.newer)
    {
        setInfoPage (feed.getVersionText() + " is the final version of " + programName + ". No future updates are planned.",
                     found.notes, {}, true);
        showWindow();
        return UpdateCheckResult::declined;
    }

    installerFileName = InstallerFileName::fromAddress (feed.installerAddress);

    juce::String info;

    if (productIndex == 1 || productIndex == 3 || productIndex == 5 || productIndex == 6)
        info << "IMPORTANT!\n"
             << "Before clicking OK to install this update, please review the notes below to ensure your hardware has the required firmware version!"
             << "\n\n";

    info << "Version " << feed.getVersionText() << " is available. You have version " << installedMajor << "."
         << installedMinor << "." << installedRevision << " installed.";

    setInfoPage (info, found.notes, getOfferButtonText (feed.compatible), false);

    if (! showWindow())
        return UpdateCheckResult::declined;

    return feed.compatible ? UpdateCheckResult::accepted : UpdateCheckResult::manualInstall;
}

bool TPXAutoUpdate::showWindow()
{
    // Without the skin's section there is no notes page to show: the offer counts as declined.
    if (! hasNotesPage())
        return false;

    return runNotesWindow ("Software Update");
}

bool TPXAutoUpdate::chooseSaveFolder (juce::File& folder)
{
    const OwnedWindows::ChooserMarks marks;   // the chooser is a dialog of the main window
    juce::FileChooser chooser ("Save installer to...", checkSettings.getStartFolder(), {});

    if (! chooser.browseForDirectory())
        return false;

    folder = chooser.getResult();
    return true;
}

bool TPXAutoUpdate::downloadAndInstall (juce::Component* centreAround)
{
    juce::File folder;

    // The folder comes first: a progress window shown meanwhile would stand over the chooser.
    if (! chooseSaveFolder (folder))
        return false;

    checkSettings.storeFolder (folder);

    installerPath = InstallerFileName::makeInstallerPath (folder, installerFileName.isNotEmpty()
                                                                      ? installerFileName
                                                                      : InstallerFileName::fromAddress (feed.installerAddress));

    // Drawn from the skin like the message boxes; it deletes itself once it closes.
    SkinnedDialogWindow::launchAsync ("Morvane Update", *this, centreAround);
    beginDownload (downloadThread, juce::URL (feed.installerAddress), installerPath, &progress);
    return true;
}

juce::String TPXAutoUpdate::getDownloadedFile() const
{
    return downloadThread != nullptr ? downloadThread->getTargetPath() : juce::String();
}
