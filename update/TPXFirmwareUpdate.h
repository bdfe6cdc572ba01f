#pragma once

#include "FirmwareFeed.h"
#include "TPXUpdateComponent.h"
#include "UpdateCheckSettings.h"

#include <juce_data_structures/juce_data_structures.h>

class TPXFirmwareUpdateDownloadThread;
class TPXMultiLineLabelComponent;

/** The firmware check for the connected device: looks up the newest firmware for its model in
    the firmware feed, prepares the "Firmware Update" notes page (release notes, the support page
    link, and a toggle that the user must switch on before OK is offered), and downloads the
    firmware into memory with progress.

    Settings: `FIRMWARE_UPDATE_DIR` (read at construction; the home folder when unusable) and
    `FIRMWARE_UPDATE_SKIP_CHECK` (no check). Message thread only; the download runs on a
    TPXFirmwareUpdateDownloadThread, whose bytes stay until this component is deleted.
*/
class TPXFirmwareUpdate : public TPXUpdateComponent
{
public:
    static constexpr const char* updateDirKey = "FIRMWARE_UPDATE_DIR";
    static constexpr const char* skipCheckKey = "FIRMWARE_UPDATE_SKIP_CHECK";

    /** For the device of that model and firmware version (numbers and the text the console shows).
        The settings file may be null.
    */
    TPXFirmwareUpdate (SkinManager* skin, juce::uint8 model, int installedMajor, int installedMinor,
                       const juce::String& installedVersionText, juce::PropertiesFile* settings);
    ~TPXFirmwareUpdate() override;

    /** Reads the feed and its notes on a thread of its own, then calls onResult with a
        FirmwareCheckResult on the message thread. Shows a window only for the end-of-life notice.
        A skipped check calls it at once with FirmwareCheckResult::nothing.
    */
    void checkForUpdate (std::function<void (int)> onResult);

    /** The feed's version as the device would show it, and its numbers. */
    void getAvailableVersion (juce::String& text, int& major, int& minor) const;

    /** Runs the "Firmware Update" notes window; true when it closed with OK. */
    virtual bool showWindow();

    /** Starts downloading the firmware; false when no download could start. */
    bool startDownload();

    /** The download thread, null before startDownload(). */
    TPXFirmwareUpdateDownloadThread* getDownloadThread() const noexcept { return downloadThread.get(); }

    const FirmwareFeed& getFeed() const noexcept { return feed; }
    juce::File getStartFolder() const { return checkSettings.getStartFolder(); }
    juce::String getFirmwareFileName() const { return firmwareFileName; }
    juce::uint8 getModel() const noexcept { return model; }

    void buttonClicked (juce::Button* button) override;
    void mouseDown (const juce::MouseEvent& event) override;

    /** Opens the support page; the console's platform seam replaces it in tests. */
    std::function<void (const juce::URL&)> openSupportPage;

protected:
    void buildWidget (const juce::XmlElement& widget, const juce::String& name) override;

private:
    /** What a check's reads found (written on the check's thread, read after it). */
    struct CheckReads
    {
        bool newer = false;
        FirmwareFeed feed;
        juce::String notes;
    };

    /** Space or Return on the support link, which holds the keyboard: opens the page. */
    struct LinkKeys : juce::KeyListener
    {
        explicit LinkKeys (TPXFirmwareUpdate& o) : owner (o) {}
        bool keyPressed (const juce::KeyPress& key, juce::Component*) override;
        TPXFirmwareUpdate& owner;
    };

    int offerFirmware (const CheckReads& found);
    void setOkayUnlocked (bool unlocked);
    void openLink();

    const juce::uint8 model;
    const int installedMajor, installedMinor;
    const juce::String installedVersionText;
    UpdateCheckSettings checkSettings;
    const juce::URL feedAddress;
    FirmwareFeed feed;
    juce::String firmwareFileName;
    std::unique_ptr<TPXMultiLineLabelComponent> additionalInfoLabel;
    std::unique_ptr<TPXLabelComponent> additionalInfoLinkLabel;
    std::unique_ptr<juce::ToggleButton> releaseNotesToggle;
    std::unique_ptr<TPXFirmwareUpdateDownloadThread> downloadThread;
    LinkKeys linkKeys { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXFirmwareUpdate)
};
