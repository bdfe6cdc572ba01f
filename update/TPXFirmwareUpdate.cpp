#include "TPXFirmwareUpdate.h"

#include "FirmwareCheckResult.h"
#include "SkinManager.h"
#include "SysExMessage.h"
#include "TPXDrawableButton.h"
#include "TPXFirmwareUpdateDownloadThread.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "UpdateFeedReader.h"
#include "UpdateServer.h"

TPXFirmwareUpdate::TPXFirmwareUpdate (SkinManager* skin, juce::uint8 modelCode, int major, int minor,
                                      const juce::String& versionText, juce::PropertiesFile* settingsFile)
    : TPXUpdateComponent (skin),
      model (modelCode),
      installedMajor (major),
      installedMinor (minor),
      installedVersionText (versionText),
      checkSettings (settingsFile, updateDirKey, skipCheckKey),
      feedAddress (UpdateServer::getFirmwareFeedAddress())
{
    openSupportPage = [] (const juce::URL& address) { address.launchInDefaultBrowser(); };
    buildFromSection ("FirmwareUpdateSkin");
    checkSettings.load();
}

TPXFirmwareUpdate::~TPXFirmwareUpdate()
{
    if (additionalInfoLinkLabel != nullptr)
        additionalInfoLinkLabel->removeKeyListener (&linkKeys);

    endDownload (downloadThread);
}

void TPXFirmwareUpdate::buildWidget (const juce::XmlElement& widget, const juce::String& name)
{
    if (buildCommonWidget (widget, name))
    {
        if (name == "infoOkayButton")
            setOkayUnlocked (false);

        return;
    }

    if (name == "additionalInfoLabel")
    {
        additionalInfoLabel = std::make_unique<TPXMultiLineLabelComponent> (
            skinManager, widget.getIntAttribute ("positionX"), widget.getIntAttribute ("positionY"),
            widget.getIntAttribute ("width"), widget.getIntAttribute ("height"), "Component Text Label",
            "To view release note history and special firmware attachments\ndownload firmware from",
            juce::Colour (0xffd3d3d3), juce::Colour (0xff000000), juce::String(), 0.0f);
        infoView.addAndMakeVisible (*additionalInfoLabel);
    }
    else if (name == "additionalInfoLinkLabel")
    {
        additionalInfoLinkLabel = skinManager->createLabel (&widget, name);
        makeStatic (*additionalInfoLinkLabel);
        additionalInfoLinkLabel->setColour (juce::Label::textColourId, juce::Colour (0xff0000ff));
        additionalInfoLinkLabel->setText (UpdateServer::getSupportPageAddress(), juce::dontSendNotification);
        additionalInfoLinkLabel->addMouseListener (this, false);
        additionalInfoLinkLabel->setMouseCursor (juce::MouseCursor::PointingHandCursor);

        // A link is used as a button is: Tab reaches it, Space (or Return) opens it.
        additionalInfoLinkLabel->setWantsKeyboardFocus (true);
        additionalInfoLinkLabel->addKeyListener (&linkKeys);
        infoView.addAndMakeVisible (*additionalInfoLinkLabel);
    }
    else if (name == "releaseNotesToggle")
    {
        releaseNotesToggle = buildToggle (widget);
    }
}

void TPXFirmwareUpdate::setOkayUnlocked (bool unlocked)
{
    if (infoOkayButton != nullptr)
        infoOkayButton->setEnabledDimmed (unlocked, true);
}

void TPXFirmwareUpdate::checkForUpdate (std::function<void (int)> onResult)
{
    resetProgressPage();

    if (checkSettings.isSkipCheckSet())
    {
        if (onResult != nullptr)
            onResult (FirmwareCheckResult::nothing);

        return;
    }

    // The reads run on their own thread and write only into this record, which the message
    // thread reads once they are done.
    auto found = std::make_shared<CheckReads>();
    const auto address = feedAddress;
    const auto modelCode = model;
    const int major = installedMajor, minor = installedMinor;

    startCheck ([found, address, modelCode, major, minor] (UpdateHttpSession& session)
                {
                    auto document = UpdateFeedReader::readFeed (session, address);

                    if (document == nullptr)
                        return;

                    found->feed = FirmwareFeed::read (*document, modelCode);
                    document.reset();

                    const auto& published = found->feed;
                    found->newer = published.isNewerThan (major, minor);

                    if (! published.found)
                        return;

                    if (found->newer)
                        found->notes = UpdateFeedReader::readNotes (session, juce::URL (published.releaseNotesAddress),
                                                                    "No release notes available.");
                    else if (published.endOfLife)
                        found->notes = UpdateFeedReader::readNotes (session, juce::URL (published.endOfLifeNotesAddress),
                                                                    "No notes available.");
                },
                [this, found, onResult]
                {
                    const int result = offerFirmware (*found);

                    if (onResult != nullptr)
                        onResult (result);
                });
}

int TPXFirmwareUpdate::offerFirmware (const CheckReads& found)
{
    feed = found.feed;

    if (! feed.found)
        return FirmwareCheckResult::nothing;

    juce::String available;
    int major = 0, minor = 0;
    getAvailableVersion (available, major, minor);

    if (! found.newer && ! feed.endOfLife)
        return FirmwareCheckResult::nothing;

    if (! found.newer)
    {
        setInfoPage (available + " is the final firmware version. No future updates are planned.", found.notes, {}, true);
        showWindow();
        return FirmwareCheckResult::endOfLife;
    }

    firmwareFileName = feed.firmwareAddress.fromLastOccurrenceOf ("/", false, false);

    setInfoPage (available + " is available. You have " + installedVersionText + " installed.", found.notes,
                 "Read the Release Notes before downloading and installing the update.", false);

    return feed.compatible ? FirmwareCheckResult::newer : FirmwareCheckResult::incompatible;
}

void TPXFirmwareUpdate::getAvailableVersion (juce::String& text, int& major, int& minor) const
{
    text = feed.getVersionText (currentDeviceModel.load());
    major = feed.major;
    minor = feed.revision;
}

bool TPXFirmwareUpdate::showWindow()
{
    if (! hasNotesPage())
        return false;

    if (releaseNotesToggle != nullptr)
        releaseNotesToggle->setToggleState (false, juce::dontSendNotification);

    setOkayUnlocked (false);
    return runNotesWindow ("Firmware Update");
}

bool TPXFirmwareUpdate::startDownload()
{
    if (isDownloadRunning() || feed.firmwareAddress.isEmpty())
        return false;

    beginDownload (downloadThread, juce::URL (feed.firmwareAddress), &progress);
    return true;
}

void TPXFirmwareUpdate::buttonClicked (juce::Button* button)
{
    if (button == releaseNotesToggle.get())
        setOkayUnlocked (releaseNotesToggle->getToggleState());
    else
        TPXUpdateComponent::buttonClicked (button);
}

void TPXFirmwareUpdate::mouseDown (const juce::MouseEvent& event)
{
    if (additionalInfoLinkLabel != nullptr && event.eventComponent == additionalInfoLinkLabel.get())
        openLink();
}

void TPXFirmwareUpdate::openLink()
{
    if (openSupportPage)
        openSupportPage (juce::URL (UpdateServer::getSupportPageAddress()));
}

bool TPXFirmwareUpdate::LinkKeys::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (! key.isKeyCode (juce::KeyPress::spaceKey) && ! key.isKeyCode (juce::KeyPress::returnKey))
        return false;

    owner.openLink();
    return true;
}
