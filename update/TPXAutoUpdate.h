#pragma once

#include "ProgramFeed.h"
#include "TPXUpdateComponent.h"
#include "UpdateCheckSettings.h"

#include <juce_data_structures/juce_data_structures.h>

class TPXAutoUpdateDownloadThread;

/** The program-update check: reads the program feed once at start-up, shows the release notes
    (or the end-of-life notes) in the "Software Update" window, and on the user's word downloads
    the installer into a folder the user chooses, showing the progress.

    Settings (in the console's settings file): `AUTO_UPDATE_DIR`, the folder the chooser opens
    at; `AUTO_UPDATE_SKIP_CHECK`, no check at start-up. Message thread only; the download runs
    on a TPXAutoUpdateDownloadThread.
*/
class TPXAutoUpdate : public TPXUpdateComponent
{
public:
    static constexpr const char* updateDirKey = "AUTO_UPDATE_DIR";
    static constexpr const char* skipCheckKey = "AUTO_UPDATE_SKIP_CHECK";

    /** Builds the windows from the skin section "AutoUpdateSkin" and reads the settings; the
        settings file may be null (nothing is then read or stored).
    */
    TPXAutoUpdate (SkinManager* skin, int installedMajor, int installedMinor, int installedRevision,
                   juce::PropertiesFile* settings);
    ~TPXAutoUpdate() override;

    /** Reads the feed and its notes on a thread of its own (the window answers meanwhile), then
        asks the user and calls onResult with an UpdateCheckResult on the message thread. A
        skipped check calls it at once with UpdateCheckResult::nothing, without network access.
    */
    void checkForUpdate (std::function<void (int)> onResult);

    /** True where the downloaded installer can be started (it is a Windows program). */
    static bool canStartInstaller() noexcept;

    /** The offer's line above OK: what OK will do on this platform for an update that this
        program can download (compatible), or for one that must be installed by hand.
    */
    static juce::String getOfferButtonText (bool compatible);

    /** Asks for the installer's folder; once one is chosen, shows the progress window ("Morvane
        Update", centred on centreAround, the screen when null) and starts the download. False,
        with no window shown, when the user cancelled the chooser.
    */
    bool downloadAndInstall (juce::Component* centreAround = nullptr);

    /** The installer's path; valid after a download result of 1. */
    juce::String getDownloadedFile() const;

    /** The product table: program name and feed file name of a product index (empty when unknown). */
    static juce::String getProgramName (int productIndex);
    static juce::String getFeedFileName (int productIndex);

    juce::URL getFeedAddress() const { return feedAddress; }
    const ProgramFeed& getFeed() const noexcept { return feed; }
    juce::File getStartFolder() const { return checkSettings.getStartFolder(); }
    juce::File getInstallerPath() const { return installerPath; }
    bool isSkipCheckSet() const noexcept { return checkSettings.isSkipCheckSet(); }

    void buttonClicked (juce::Button* button) override;

protected:
    /** Runs the "Software Update" window; true when it closed with OK. */
    virtual bool showWindow();

    /** Asks for the installer's folder ("Save installer to..."); false when cancelled. Nothing of
        the download is on the screen yet.
    */
    virtual bool chooseSaveFolder (juce::File& folder);

    void buildWidget (const juce::XmlElement& widget, const juce::String& name) override;
    void notesWindowClosing() override;

private:
    /** What a check's reads found (written on the check's thread, read after it). */
    struct CheckReads
    {
        bool feedRead = false, newer = false;
        ProgramFeed feed;
        juce::String notes;
    };

    void loadSettings();
    int offerUpdate (const CheckReads& found);

    const int productIndex = 0;
    const juce::String programName, feedFileName;
    const int installedMajor, installedMinor, installedRevision;
    UpdateCheckSettings checkSettings;
    juce::URL feedAddress;
    ProgramFeed feed;
    juce::String installerFileName;
    juce::File installerPath;
    std::unique_ptr<juce::ToggleButton> infoNoCheckOnStartupToggle;
    std::unique_ptr<TPXAutoUpdateDownloadThread> downloadThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXAutoUpdate)
};
