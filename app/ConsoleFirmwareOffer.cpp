#include "ConsoleFirmwareOffer.h"

#include "ConsoleWidgets.h"
#include "DeviceQueries.h"
#include "FirmwareOffer.h"
#include "PayloadKind.h"
#include "SendFile.h"
#include "SystemServices.h"
#include "TPXLabelComponent.h"
#include "UserDialogs.h"

//==============================================================================
/** Hands the firmware download's change message to the offer. */
class ConsoleFirmwareOffer::DownloadWatcher : public juce::ChangeListener
{
public:
    explicit DownloadWatcher (ConsoleFirmwareOffer& offerToTell) : owner (offerToTell) {}

    void changeListenerCallback (juce::ChangeBroadcaster* source) override
    {
        if (owner.offer != nullptr && owner.offer->isSource (source))
            owner.onFirmwareDownloadFinished();
    }

private:
    ConsoleFirmwareOffer& owner;
};

//==============================================================================
ConsoleFirmwareOffer::ConsoleFirmwareOffer (Console console)
    : c (std::move (console))
{
    downloadWatcher = std::make_unique<DownloadWatcher> (*this);
    offer = std::make_unique<FirmwareOffer> (c.skin, *downloadWatcher);
}

ConsoleFirmwareOffer::~ConsoleFirmwareOffer()
{
    close();
}

void ConsoleFirmwareOffer::close()
{
    offer.reset();
}

bool ConsoleFirmwareOffer::updateFirmwareLink()
{
    // The labels follow when the feed has answered; a check skipped while a download runs keeps
    // the offer that is being taken up.
    const auto& version = c.queries.getFirmwareVersion();
    const auto checkedModel = c.deviceModel();

    offer->check (checkedModel, (int) version.major, (int) version.minor, c.queries.getFirmwareVersionText(),
                  c.settingsFile(), [this, checkedModel] (int result)
                  {
                      // An answer for a device that has gone since says nothing of this one.
                      if (c.deviceModel() == checkedModel && c.deviceAnswered())
                          showFirmwareCheckResult (result);
                  });
    return offered;
}

void ConsoleFirmwareOffer::showFirmwareCheckResult (int result)
{
    const auto labels = offer->labelsFor (result);
    const bool sendPage = ! c.isReceivePage();

    using Action = FirmwareOffer::Labels::Action;

    switch (labels.action)
    {
        case Action::show:
        case Action::showIfOffered:
        {
            shown = labels.action == Action::show || offered;
            c.ui.firmwareTextLabel->setText (labels.text, juce::dontSendNotification);
            c.ui.firmwareLinkLabel->setText (labels.link, juce::dontSendNotification);
            c.ui.firmwareTextLabel->setVisible (shown && sendPage);
            c.ui.firmwareLinkLabel->setVisible (shown && sendPage);
            offered = labels.action == Action::show;
            break;
        }

        case Action::hide:
            offered = false;
            shown = false;
            c.ui.firmwareTextLabel->setText ({}, juce::dontSendNotification);
            c.ui.firmwareLinkLabel->setText ({}, juce::dontSendNotification);
            c.ui.firmwareTextLabel->setVisible (false);
            c.ui.firmwareLinkLabel->setVisible (false);
            break;

        case Action::leave:
            offered = false;
            break;
    }
}

void ConsoleFirmwareOffer::showFirmwareUpdateWindow()
{
    if (c.ui.firmwareLinkLabel->isEnabled() && c.ui.firmwareLinkLabel->isVisible())
        offer->showWindowAndDownload (&c.centre);
}

void ConsoleFirmwareOffer::onFirmwareDownloadFinished()
{
    juce::MemoryBlock image;
    PayloadKind kind = PayloadKinds::notSendable;
    juce::String problem;

    switch (offer->takeDownload (c.deviceModel(), image, kind, problem))
    {
        case FirmwareOffer::Outcome::taken:
            c.sendFile.holdDownload (std::move (image), kind,
                                     FirmwareOffer::describeDownload (c.deviceModel(), offer->getVersionText()));
            c.ui.fileField->setText (c.sendFile.getShownText());
            c.pageChanged();
            c.transmit();   // downloaded firmware is sent at once
            break;

        case FirmwareOffer::Outcome::cancelled:
            // The user's own choice, not a failure.
            c.dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane", "Update canceled.");
            break;

        case FirmwareOffer::Outcome::failed:
            c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Download error.");
            break;

        case FirmwareOffer::Outcome::refused:
            c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", problem);
            break;

        case FirmwareOffer::Outcome::none:
            break;
    }
}

void ConsoleFirmwareOffer::showSendFileFolder()
{
    // The field shows a file's name only; the link acts on what is loaded.
    const auto text = c.sendFile.getLinkText();

    switch (FirmwareOffer::folderActionFor (text, c.sendFile.isInMemory()))
    {
        case FirmwareOffer::FolderAction::reveal:
            c.services.revealFile (juce::File (text));
            break;

        case FirmwareOffer::FolderAction::invalidPath:
            c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "The selected path is not valid.");
            break;

        case FirmwareOffer::FolderAction::inMemory:
            c.dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                                   "The downloaded firmware file is contained in Morvane memory. It is not written to disk.");
            break;

        case FirmwareOffer::FolderAction::nothing:
            break;
    }
}

void ConsoleFirmwareOffer::showReceiveFolder (const juce::String& folder)
{
    if (folder.isEmpty())
        return;

    if (juce::File::isAbsolutePath (folder) && juce::File (folder).isDirectory())
        c.services.revealFile (juce::File (folder));
    else
        c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "The selected path is not valid.");
}

void ConsoleFirmwareOffer::showNotice()
{
    c.dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                           FirmwareOffer::noticeText (c.deviceModel(), c.sendFile.getKind(), "Transfer complete!  "));
    c.noticeShown();
}
