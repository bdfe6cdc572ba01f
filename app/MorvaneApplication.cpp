#include "MorvaneApplication.h"

#include "AlsaErrorFilter.h"
#include "ConsoleSettings.h"
#include "MidiProcessing.h"
#include "MorvaneDialog.h"
#include "MorvaneLookAndFeel.h"
#include "OwnedWindows.h"
#include "PlatformFiles.h"
#include "ProgramVersion.h"
#include "SkinManager.h"
#include "SystemFontWarmUp.h"
#include "TPXAutoUpdate.h"
#include "UpdateCheckResult.h"
#include "UpdateServer.h"

MorvaneApplication::MorvaneApplication()
{
    services.setDialogs (&dialogs);

    // Before the first port list: a machine without the ALSA sequencer would otherwise print an
    // error for every list and every port check.
    AlsaErrorFilter::install();

    // The link worker exists, with its port-list refresh, before the skin or any window.
    link = MidiProcessing::getInstance();
}

MorvaneApplication::~MorvaneApplication()
{
    fontWarmUp.reset();
    terminationSignal.reset();
    ownedWindowsWatcher.reset();
    mainWindow.reset();
    link = nullptr;
    MidiProcessing::deleteInstance();

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    lookAndFeel.reset();
    skinManager.reset();
    closeUpdateWindow();
    updateComponent.reset();
    instanceChannel.reset();
}

const juce::String MorvaneApplication::getApplicationVersion()
{
    return ProgramVersion::text();
}

juce::File MorvaneApplication::getUserFolder()
{
    // The settings' own computation: every start of this user finds the same folder, whatever
    // its environment.
    return ConsoleSettings().getOptions().getDefaultFile().getParentDirectory();
}

juce::String MorvaneApplication::lockRefusalText (SingleInstanceChannel::Claim claim, const juce::File& lockFile,
                                                  const juce::String& reason)
{
    juce::String text;

    if (claim == SingleInstanceChannel::Claim::heldElsewhere)
    {
        text << "Morvane is already running, but the running instance could not be reached.\n"
             << "Only one instance can execute at a time.\n\nIt holds the lock file:\n" << lockFile.getFullPathName();
        return text;
    }

    text << "Morvane cannot start: its lock file could not be taken.\n\n";

    if (reason.isNotEmpty())
        text << reason << (juce::String (".!?").containsChar (reason.getLastCharacter()) ? "\n\n" : ".\n\n");

    return text << "The lock file is:\n" << lockFile.getFullPathName()
                << "\n\nRemove whatever stands at that place, then start Morvane again.";
}

juce::String MorvaneApplication::anotherInstanceText()
{
    return "Another instance of " + juce::String ("Morvane") + " was trying to start.\nOnly one instance can execute at a time.";
}

bool MorvaneApplication::initialiseApp()
{
    if (! moreThanOneInstanceAllowed())
    {
        auto channel = std::make_unique<SingleInstanceChannel> (getUserFolder(), PlatformFiles::findRuntimeFolder());
        const auto claim = channel->claim();

        if (claim == SingleInstanceChannel::Claim::claimed)
        {
            instanceChannel = std::move (channel);
            instanceChannel->onAnotherInstance = [this] { anotherInstanceStarted ({}); };
        }
        else if (claim == SingleInstanceChannel::Claim::heldElsewhere && channel->signalRunningInstance())
        {
            // The running instance shows the warning.
            return false;
        }
        else
        {
            // A start that ends without a word would look like a crash: it says why in a box.
            startRefusal = lockRefusalText (claim, channel->getLockFile(), channel->getClaimError());
        }
    }

    // This is the one instance (or a start that only says why it ends): the system's fonts are
    // looked up while the framework and the skin start.
    fontWarmUp = std::make_unique<SystemFontWarmUp>();

    return juce::JUCEApplicationBase::initialiseApp();
}

void MorvaneApplication::initialise (const juce::String&)
{
    // From here on a termination request is served on the message thread, also one that came
    // while the program started.
    terminationSignal = std::make_unique<TerminationSignal> ([this] { terminationRequested(); });

    // The framework's set-up of the display (the connection, the screens and their scale, for
    // which it starts a settings tool and waits for it) mostly waits; done first, it waits while
    // the font list is read on its own thread, instead of after the skin, when the first window
    // would wait for it too.
    juce::Desktop::getInstance();

    if (startRefusal.isNotEmpty())
    {
        refuseStart();
        return;
    }

    if (! loadSkin())
    {
        // The framework's own box uses the system's fonts.
        waitForSystemFonts();
        reportMissingSkin();
        setApplicationReturnValue (1);
        systemRequestedQuit();
        return;
    }

    lookAndFeel = MorvaneLookAndFeel::installFromSkin (skinManager.get());

    // The window draws with the skin's typefaces and needs none of the system's to appear; the
    // first text in a system font (a backup dialog's, a box's) waits for the font list here.
    lookAndFeel->setSystemFontGate ([this] { waitForSystemFonts(); });

    mainWindow.reset();
    mainWindow = std::make_unique<MainAppWindow> (skinManager.get(), link, dialogs, services);
    dialogs.setOwner (mainWindow.get());

    // Boxes, dialogs and choosers belong to the main window from here on.
    OwnedWindows::setMainWindow (mainWindow.get());
    ownedWindowsWatcher = std::make_unique<OwnedWindows::Watcher>();

    // The check follows once the window is on the screen; it reads the network on a thread of
    // its own and shows its window only when the server has answered.
    mainWindow->callAfterFirstPaint ([this]
    {
        tellSettingsNotice();
        startUpdateCheck();
    });
}

void MorvaneApplication::tellSettingsNotice()
{
    auto* console = mainWindow != nullptr ? mainWindow->getConsole() : nullptr;

    if (console != nullptr && console->getSettings().getStartNotice().isNotEmpty())
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", console->getSettings().getStartNotice());
}

void MorvaneApplication::waitForSystemFonts()
{
    if (fontWarmUp != nullptr)
        fontWarmUp->waitUntilDone();
}

bool MorvaneApplication::loadSkin()
{
    skinManager = std::make_unique<SkinManager>();

    // A skin whose font entry makes it look up one of the system's fonts waits for the font
    // list; ours has none, and its load never waits.
    skinManager->setSystemFontGate ([this] { waitForSystemFonts(); });
    return skinManager->load (skinManager->getSkinFile().getFullPathName(), SkinManager::engineVersion, false);
}

juce::String MorvaneApplication::missingSkinText (const juce::File& skinFile, const juce::String& reason)
{
    auto text = juce::String ("Morvane cannot start: its skin could not be loaded.\n\n");

    if (reason.isNotEmpty())
        text << reason << (juce::String (".!?").containsChar (reason.getLastCharacter()) ? "\n\n" : ".\n\n");

    return text << "It was looked for at:\n" << skinFile.getFullPathName()
                << "\n\nReinstall Morvane, or put the folder \"" << SkinManager::skinFolderName
                << "\" with \"" << SkinManager::skinFileName << "\" and its archive beside the program.";
}

void MorvaneApplication::reportMissingSkin()
{
    const auto text = missingSkinText (skinManager->getSkinFile(), skinManager->getLoadResult().getErrorMessage());

    // Standard error first: a start from a terminal or a script sees it even without a display.
    juce::Logger::outputDebugString (text);

    // A plain box in the framework's own look, as there is no skin to draw one with.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, "Morvane", text, "OK");
}

void MorvaneApplication::refuseStart()
{
    // Standard error first: a start from a terminal or a script sees it even without a display.
    juce::Logger::outputDebugString (startRefusal);

    // The box is drawn from the skin like every other box; the framework's own look without it.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
    {
        if (loadSkin())
        {
            lookAndFeel = MorvaneLookAndFeel::installFromSkin (skinManager.get());
            lookAndFeel->setSystemFontGate ([this] { waitForSystemFonts(); });
        }
        else
        {
            waitForSystemFonts();
        }

        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", startRefusal);
    }

    setApplicationReturnValue (1);
    systemRequestedQuit();
}

void MorvaneApplication::startUpdateCheck()
{
    auto* console = mainWindow != nullptr ? mainWindow->getConsole() : nullptr;
    auto* settingsFile = console != nullptr ? console->getSettings().getFile() : nullptr;

    closeUpdateWindow();
    updateComponent = std::make_unique<TPXAutoUpdate> (skinManager.get(), ProgramVersion::major, ProgramVersion::minor,
                                                       ProgramVersion::revision, settingsFile);
    updateComponent->addChangeListener (this);

    // The feed is read on a thread of its own: the window answers while the server takes its time.
    updateComponent->checkForUpdate ([this] (int result) { offerUpdate (result); });
}

void MorvaneApplication::offerUpdate (int result)
{
    if (updateComponent == nullptr)
        return;

    if (result == UpdateCheckResult::accepted)
    {
        // The folder chooser, then the progress window over the main window.
        updateComponent->downloadAndInstall (mainWindow.get());
    }
    else if (result == UpdateCheckResult::manualInstall)
    {
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                             "The available update must be installed manually.\n\nPlease contact the support team at "
                                 + UpdateServer::getSupportPageAddress() + " to download the latest version.");
    }
}

void MorvaneApplication::closeUpdateWindow()
{
    // The progress window shows the update component without owning it: it goes first.
    if (updateComponent != nullptr)
        delete updateComponent->findParentComponentOfClass<juce::DialogWindow>();
}

void MorvaneApplication::shutdown()
{
    // A running installer download stops first; the update component uses the console's settings.
    closeUpdateWindow();
    updateComponent.reset();

    // The console saves the settings, stops its worker threads and gives up its pending request
    // as the window deletes it.
    ownedWindowsWatcher.reset();
    mainWindow.reset();
}

void MorvaneApplication::anotherInstanceStarted (const juce::String&)
{
    if (mainWindow != nullptr)
        mainWindow->bringToFront();

    // One warning at a time: a start while it is on screen only brings it forward again.
    if (showingInstanceWarning)
    {
        if (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->toFront (true);

        return;
    }

    const juce::ScopedValueSetter<bool> showing (showingInstanceWarning, true);
    dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", anotherInstanceText());
}

void MorvaneApplication::terminationRequested()
{
    if (mainWindow != nullptr)
        mainWindow->storeStateForQuit();

    systemRequestedQuit();
}

void MorvaneApplication::systemRequestedQuit()
{
    // The framework's look-and-feel, which the windows get back here, has no system font gate.
    waitForSystemFonts();
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    for (int i = juce::Desktop::getInstance().getNumComponents(); --i >= 0;)
        if (auto* component = juce::Desktop::getInstance().getComponent (i))
            component->sendLookAndFeelChange();

    quit();
}

void MorvaneApplication::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (updateComponent == nullptr || source != updateComponent.get())
        return;

    const juce::File installer (updateComponent->getDownloadedFile());

    if (handleDownloadResult (updateComponent->getDownloadResult(), installer, dialogs, services,
                              TPXAutoUpdate::canStartInstaller()))
        systemRequestedQuit();
}

bool MorvaneApplication::handleDownloadResult (int result, const juce::File& installer, UserDialogs& dialogs,
                                               SystemServices& services, bool installerRunsHere)
{
    switch (result)
    {
        case 1:
            if (! installerRunsHere)
            {
                // Not a failure: the Windows installer was what the offer said OK would save.
                dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                                     "The Windows installer of the update was saved as:\n" + installer.getFullPathName());
                return false;
            }

            if (installer.existsAsFile() && services.startProcess (installer, {}))
                return true;

            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                 "The installer could not be started.\n\nIt was saved as:\n" + installer.getFullPathName());
            return false;

        case 2:
            // The user's own choice, not a failure.
            dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane", "Update canceled.");
            return false;

        case 3:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Download error.");
            return false;

        case 4:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                 "The installer could not be saved as:\n" + installer.getFullPathName());
            return false;

        case 5:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                 "The update server sent something that is not an installer. Nothing was saved.");
            return false;

        default:
            return false;
    }
}
