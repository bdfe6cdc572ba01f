#pragma once

#include "JuceSystemServices.h"
#include "JuceUserDialogs.h"
#include "MainAppWindow.h"
#include "OwnedWindows.h"
#include "SingleInstanceChannel.h"
#include "TerminationSignal.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MidiProcessing;
class MorvaneLookAndFeel;
class SkinManager;
class SystemFontWarmUp;
class TPXAutoUpdate;

/** The program's application object: keeps Morvane to one running instance, loads the skin,
    installs the look-and-feel, shows the main window and runs the shutdown in a safe order.

    It owns the skin, the look-and-feel and the main window, and deletes the MidiProcessing
    singleton in its destructor. Everything here runs on the message thread.
*/
class MorvaneApplication : public juce::JUCEApplication,
                           public juce::ChangeListener
{
public:
    MorvaneApplication();
    ~MorvaneApplication() override;

    const juce::String getApplicationName() override { return "Morvane"; }
    const juce::String getApplicationVersion() override;
    /** False until this process has made its own check of the single-instance channel. Once it
        has, JUCE's own check (a machine-wide lock that cannot reach the running instance on every
        platform) is not needed and is skipped.
    */
    bool moreThanOneInstanceAllowed() override { return instanceChannel != nullptr || startRefusal.isNotEmpty(); }

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;
    void suspended() override {}
    void resumed() override {}
    void unhandledException (const std::exception*, const juce::String&, int) override {}

    /** Claims the single-instance channel before JUCE's own start-up; a later start signals the
        running instance and ends here (returns false, so the message loop never runs). A start
        whose lock cannot be taken, or whose running instance does not answer, goes on only as far
        as a box that says why it ends.
    */
    bool initialiseApp() override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    /** Creates the skin manager and loads "Skin/MV.qorby" beside the executable; false when that failed. */
    bool loadSkin();

    /** What a start without its skin says: that the skin is missing, why it failed to load and
        where it was looked for.
    */
    static juce::String missingSkinText (const juce::File& skinFile, const juce::String& reason);

    /** The program-update check at start-up (unless the settings say to skip it): tells of a
        newer version and, on the user's word, downloads its installer with progress.
    */
    void startUpdateCheck();

    /** What the check's result asks for: the progress window and the download, or the message
        that the update must be installed by hand.
    */
    void offerUpdate (int result);

    /** What a start that ends because of the single-instance lock says: that another instance
        holds it (which this start could not reach), or why it could not be taken, and where the
        lock file is.
    */
    static juce::String lockRefusalText (SingleInstanceChannel::Claim claim, const juce::File& lockFile, const juce::String& reason);

    /** The warning that the running instance shows when a later start was refused. */
    static juce::String anotherInstanceText();

    /** A termination request from outside (SIGTERM): the window state and the settings are stored
        as a normal close stores them, without questions, and the program quits.
    */
    void terminationRequested();

    /** What happens after the installer download ended with the given result (1 done, 2 cancelled,
        3 failed, 4 not written, 5 not an installer): where the installer runs, it is started and
        true returned (quit) only when it started; otherwise the user is told what happened,
        including where a downloaded file lies.
    */
    static bool handleDownloadResult (int result, const juce::File& installer, UserDialogs& dialogs, SystemServices& services,
                                      bool installerRunsHere = true);

    /** The folder that holds the settings file, as the settings compute it; the single-instance
        lock lives there, and the channel's pipe is named after it.
    */
    static juce::File getUserFolder();

private:
    std::unique_ptr<MainAppWindow> mainWindow;
    std::unique_ptr<MorvaneLookAndFeel> lookAndFeel;
    MidiProcessing* link = nullptr;
    std::unique_ptr<TPXAutoUpdate> updateComponent;
    std::unique_ptr<SkinManager> skinManager;

    void closeUpdateWindow();

    /** Tells once, in a box over the window, that the settings file could not be read. */
    void tellSettingsNotice();

    /** Tells on standard error and, where there is a display, in a plain box that the skin did not load. */
    void reportMissingSkin();

    /** Says on standard error and, where there is a display, in a box drawn from the skin (the
        framework's own look without it) why this start ends; then ends it with an error.
    */
    void refuseStart();

    /** Returns once the system's font list has been read (at once when it has been). */
    void waitForSystemFonts();

    JuceUserDialogs dialogs;
    JuceSystemServices services;
    std::unique_ptr<SingleInstanceChannel> instanceChannel;
    std::unique_ptr<TerminationSignal> terminationSignal;
    std::unique_ptr<SystemFontWarmUp> fontWarmUp;
    std::unique_ptr<OwnedWindows::Watcher> ownedWindowsWatcher;
    bool showingInstanceWarning = false;
    juce::String startRefusal;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MorvaneApplication)
};
