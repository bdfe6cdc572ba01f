#include "MorvaneDialog.h"

#include "BackupChooser.h"
#include "BackupDialogFrame.h"
#include "BackupRun.h"
#include "ConsoleDeviceInfo.h"
#include "ConsoleKeyboard.h"
#include "ConsoleLayout.h"
#include "ConsolePage.h"
#include "ConsolePortPickers.h"
#include "ConsoleSendPage.h"
#include "DevicePollWaker.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "FirmwareOffer.h"
#include "HoverTooltipWindow.h"
#include "MidiProcessing.h"
#include "ProgramVersion.h"
#include "QMR303BackupComponent.h"
#include "SkinManager.h"
#include "SkinnedDialogWindow.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SendFile.h"
#include "SendRoad.h"
#include "SysExRequest.h"
#include "Transfers.h"
#include "SystemServices.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"
#include "SendOptionsDialog.h"
#include "SendPlan.h"
#include "TransferReport.h"
#include "UserDialogs.h"

namespace
{

const char* const successText = "Transfer complete!  ";

const char* const manualAddress = "https://www.zandrelaudio.com/downloads/morvane-manual.pdf";
const char* const videoAddress = "https://www.zandrelaudio.com/morvane/videos";
const char* const supportAddress = "https://www.zandrelaudio.com/support";
const char* const forumAddress = "https://forum.zandrelaudio.com";
} // namespace

//==============================================================================
/** Hands the firmware download's change message to the console. */
class MorvaneDialog::DownloadWatcher : public juce::ChangeListener
{
public:
    explicit DownloadWatcher (MorvaneDialog& consoleToTell) : console (consoleToTell) {}

    void changeListenerCallback (juce::ChangeBroadcaster* source) override
    {
        if (console.firmwareOffer != nullptr && console.firmwareOffer->isSource (source))
            console.onFirmwareDownloadFinished();
    }

private:
    MorvaneDialog& console;
};

//==============================================================================
MorvaneDialog::MorvaneDialog (SkinManager* skin, MidiProcessing* linkToUse, UserDialogs& dialogsToUse,
                              SystemServices& servicesToUse, const juce::File& userFolder)
    : dialogs (dialogsToUse),
      services (servicesToUse),
      settings (userFolder)
{
    tooltipWindow = std::make_unique<HoverTooltipWindow> (*this);

    skinManager = skin;
    resetState();
    loadSettings();
    setOpaque (true);

    link = linkToUse;

    ui = ConsoleLayout::build (*this, skinManager, *this, receiveFolderDefaulted, getVersionText());
    portChoice = std::make_unique<ConsolePortPickers> (ConsolePortPickers::Console {
                                                           ui, dialogs,
                                                           [this] { return page != nullptr && page->isReceivePage(); },
                                                           [this] { wakeDevicePoll(); },
                                                           [this] { updatePageVisibility(); },
                                                           [this] { deviceInfo->forgetAnswer(); },
                                                           [this] (int model) { devicePortsChosen (model); } },
                                                       link);
    portChoice->setBufferDelayEnabled (false);

    // A request the worker may still hold is let go of by giving up the ports, and the page says so.
    transfers = std::make_unique<Transfers> (link, static_cast<TransferView&> (*this), [this]
    {
        resetPorts();
        updatePageVisibility();
    });
    queries = &transfers->getQueries();
    sendRoad = &transfers->getSendRoad();
    sendFile = &transfers->getSendFile();
    page = std::make_unique<ConsolePage> (ConsolePage::Console {
        ui, dialogs, settings, *portChoice, *sendFile, static_cast<TransferView&> (*this), *this, link,
        [this] { return ConsolePage::State { getDeviceModel(), isDeviceChosen(), isInputOk(), isOutputOk(),
                                             firmwareOfferShown }; } });

    if (! receiveFolderDefaulted)
        page->takeStoredReceiveFolder (settings.getStoredReceiveFolder());
    deviceInfo = std::make_unique<ConsoleDeviceInfo> (ConsoleDeviceInfo::Console {
                                                          ui, *queries, *portChoice,
                                                          [this] { return isConnectedForModel(); },
                                                          [this] { return page->isReceivePage() ? page->isReceiveFolderChosen() : sendFile->isLoaded(); },
                                                          [this] { onDeviceLost(); },
                                                          [this] { firmwareOffered = updateFirmwareLink(); } });

    downloadWatcher = std::make_unique<DownloadWatcher> (*this);
    firmwareOffer = std::make_unique<FirmwareOffer> (skinManager, *downloadWatcher);
    backupChooser = std::make_unique<BackupChooser> (skinManager, *queries);
    backupChooser->onChosen = [this] (const BackupChooser::Choice& choice)
    {
        if (auto* run = transfers->getBackupRun(); run != nullptr && ! run->isRunning())
            choice.startOn (*run, page->getReceiveFolder());
    };

    sendPagePart = std::make_unique<ConsoleSendPage> (ConsoleSendPage::Console {
        ui, dialogs, settings, *transfers, static_cast<TransferView&> (*this), skinManager, *this,
        [this] { return ConsoleSendPage::State { getDeviceModel(), ! page->isReceivePage(), page->isLocked(), isInputOk(),
                                                 isOutputOk(), isConnectedForModel(), bufferDelay }; },
        [this] { updatePageVisibility(); },
        sendOptionsRunner });

    connectControls();

    keyboard = std::make_unique<ConsoleKeyboard> (*this, juce::Array<juce::Component*> {
        ui.sendTabButton.get(), ui.receiveTabButton.get(), ui.deviceSelector.get(), ui.inputSelector.get(),
        ui.outputSelector.get(), ui.bufferDelaySlider.get(), ui.browseButton.get(), ui.fileField.get(), ui.showFolder.get(),
        ui.transmitButton.get(), ui.cancelButton.get(), ui.documentButton.get(), ui.videoButton.get(),
        ui.supportButton.get(), ui.forumButton.get() });

    devicePollWaker = std::make_unique<DevicePollWaker> ([this] { restartDevicePoll(); });

    for (auto* turnedOff : std::initializer_list<juce::Component*> { ui.transmitButton.get(), ui.cancelButton.get(), ui.connectedLabel.get(),
                                                                       ui.firmwareTextLabel.get(), ui.firmwareLinkLabel.get(),
                                                                       ui.inputCheck.get(), ui.outputCheck.get() })
        devicePollWaker->watch (turnedOff);

    startTimer (ConsoleTimers::logoTimer, ConsoleTimers::logoPeriodMs);
    startTimer (ConsoleTimers::devicePollTimer, ConsoleTimers::devicePollPeriodMs);

    setBounds (getX(), getY(), consoleWidth, consoleHeight);
}

MorvaneDialog::~MorvaneDialog()
{
    for (int id = ConsoleTimers::logoTimer; id <= ConsoleTimers::firmwareNotice5; ++id)
        stopTimer (id);

    // A backup run stops its receive thread and waits for its request before the link goes.
    backupChooser.reset();
    transfers->stopAll();

    // The firmware check's download stops and its windows close before the settings go.
    firmwareOffer.reset();

    // The window saves (and warns) when it closes; this is the quiet last chance.
    settings.save();

    // The threads are stopped: only now is the pending request taken from the link worker and
    // deleted, while the page that shows the ports is still there.
    queries = nullptr;
    sendRoad = nullptr;
    transfers.reset();
    keyboard.reset();
}

void MorvaneDialog::resetState()
{
    bufferDelay = 0;
    if (deviceInfo != nullptr)
        deviceInfo->forgetAnswer();

    if (portChoice != nullptr)
        portChoice->reset();
    if (page != nullptr)
        page->reset();
    receiveFolderDefaulted = firmwareOfferShown = false;
}

void MorvaneDialog::loadSettings()
{
    settings.load();
    receiveFolderDefaulted = settings.isReceiveFolderDefaulted();
}

void MorvaneDialog::setSendDirectory (const juce::String& path)
{
    settings.setSendDirectory (path);
}

void MorvaneDialog::setReceiveDirectory (const juce::String& path)
{
    settings.setReceiveDirectory (path);
}

void MorvaneDialog::saveWindowState()
{
    if (auto* window = findParentComponentOfClass<juce::DocumentWindow>())
        settings.setWindowState (window->getWindowStateAsString());
}

bool MorvaneDialog::saveSettingsAndWarn()
{
    if (settings.save())
        return true;

    dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Preferences could not be saved.");
    return false;
}

bool MorvaneDialog::confirmClose()
{
    return transfers->confirmClose();
}

void MorvaneDialog::refreshDeviceInfo() { deviceInfo->refreshDeviceInfo(); }

//==============================================================================
juce::String MorvaneDialog::getVersionText()
{
    return "Morvane MIDI Utility Version"
         + juce::String::formatted (" %d.%d.%d", ProgramVersion::major, ProgramVersion::minor, ProgramVersion::revision);
}

void MorvaneDialog::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xffd3d3d3));
    const auto& image = page->isReceivePage() ? ui.receiveBackground : ui.sendBackground;

    if (image.isValid())
        g.drawImageAt (image, 0, 0);
}

// The console's toggle helpers are the ones the backup dialogs use.
void MorvaneDialog::selectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    BackupDialogFrame::selectAllToggles (toggles);
}

void MorvaneDialog::deselectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    BackupDialogFrame::deselectAllToggles (toggles);
}

void MorvaneDialog::invertToggleSelection (const juce::Array<juce::ToggleButton*>& toggles)
{
    BackupDialogFrame::invertToggleSelection (toggles);
}

//==============================================================================


//==============================================================================
void MorvaneDialog::showDeviceMenu() { portChoice->showDeviceMenu(); }

void MorvaneDialog::chooseDevice (int model) { portChoice->chooseDevice (model); }

juce::String MorvaneDialog::portNameFromMenu (int itemId, const juce::PopupMenu& menu) { return ConsolePorts::nameFromMenu (itemId, menu); }

void MorvaneDialog::showInputPortMenu() { portChoice->showPortMenu (ConsolePorts::Direction::input); }

void MorvaneDialog::showOutputPortMenu() { portChoice->showPortMenu (ConsolePorts::Direction::output); }

bool MorvaneDialog::resetPorts() { return portChoice->resetPorts(); }

void MorvaneDialog::updatePageVisibility() { page->updatePageVisibility(); }

void MorvaneDialog::onDeviceLost() { portChoice->onDeviceLost(); }

int MorvaneDialog::getDeviceModel() const noexcept { return portChoice->getDeviceModel(); }

bool MorvaneDialog::isDeviceChosen() const noexcept { return portChoice->isDeviceChosen(); }

bool MorvaneDialog::isInputOk() const noexcept { return portChoice->isOpen (ConsolePorts::Direction::input); }

bool MorvaneDialog::isOutputOk() const noexcept { return portChoice->isOpen (ConsolePorts::Direction::output); }

int MorvaneDialog::getReceiveMode() const noexcept { return page->getReceiveMode(); }

bool MorvaneDialog::isReceiveFolderChosen() const noexcept { return page->isReceiveFolderChosen(); }

juce::String MorvaneDialog::getReceiveFolder() const { return page->getReceiveFolder(); }

void MorvaneDialog::devicePortsChosen (int model)
{
    // An Orvix II checks the loaded file again for itself; the others check it at BEGIN.
    if (model == 3 && sendFile->isLoaded() && sendFile->getPath().isNotEmpty())
        chooseFileToSend (juce::File (sendFile->getPath()));

    refreshDeviceInfo();
}

bool MorvaneDialog::isConnectedForModel() const { return page->isConnectedForModel(); }

void MorvaneDialog::pollDeviceInfo() { deviceInfo->pollDeviceInfo(); }

bool MorvaneDialog::isDeviceConnected() const noexcept { return deviceInfo->isConnected(); }

void MorvaneDialog::resetReceivePage() { page->resetReceivePage(); }

void MorvaneDialog::setControlsEnabled (bool enabled) { page->setControlsEnabled (enabled); }

void MorvaneDialog::restartDevicePoll()
{
    if (devicePollWaker != nullptr)
        devicePollWaker->forget();

    startTimer (ConsoleTimers::devicePollTimer, ConsoleTimers::devicePollPeriodMs);
}

void MorvaneDialog::stopDevicePoll()
{
    if (devicePollWaker != nullptr)
        devicePollWaker->forget();

    stopTimer (ConsoleTimers::devicePollTimer);
}

void MorvaneDialog::wakeDevicePoll()
{
    if (devicePollWaker != nullptr)
        devicePollWaker->wake();
}

//==============================================================================
void MorvaneDialog::showReceivePage() { page->showReceivePage(); }

void MorvaneDialog::showSendPage() { page->showSendPage(); }

void MorvaneDialog::openHelpPage (const juce::String& address)
{
    services.openUrl (juce::URL (address));
}

void MorvaneDialog::connectControls()
{
    ui.receiveTabButton->onClick = [this] { showReceivePage(); };
    ui.sendTabButton->onClick = [this] { showSendPage(); };

    // A send stops at once; a backup of many steps after the step in progress.
    ui.cancelButton->onClick = [this] { transfers->cancel(); };

    ui.documentButton->onClick = [this] { openHelpPage (manualAddress); };
    ui.videoButton->onClick = [this] { openHelpPage (videoAddress); };
    ui.supportButton->onClick = [this] { openHelpPage (supportAddress); };
    ui.forumButton->onClick = [this] { openHelpPage (forumAddress); };

    ui.transmitButton->onClick = [this]
    {
        if (! page->isReceivePage())
            transmit();
        else if (DeviceRules::isFootController (getDeviceModel()))
            showQMR303BackupWindow();
        else
            backupChooser->choose (getDeviceModel(), getParentComponent());
    };

    ui.browseButton->onClick = [this]
    {
        if (! page->isReceivePage())
            chooseFileToSend ({});
        else
            page->browseReceiveFolder();
    };

    if (ui.showFolder != nullptr)
        ui.showFolder->onClick = [this] { showSendFileFolder(); };

    // The mouse reaches the labels over the selectors; the keyboard presses the selectors.
    ui.deviceSelector->onClick = [this] { labelClicked (ui.deviceLabel.get()); };
    ui.inputSelector->onClick = [this] { labelClicked (ui.inputPortLabel.get()); };
    ui.outputSelector->onClick = [this] { labelClicked (ui.outputPortLabel.get()); };

    ui.bufferDelaySlider->onValueChange = [this]
    {
        bufferDelay = (int) ui.bufferDelaySlider->getValue();

        if (link != nullptr)
            link->getMultiMsgTimer().setInterval ((juce::uint32) juce::jlimit (0, 1000, bufferDelay));
    };
}

void MorvaneDialog::setReceiveFolder (const juce::String& path) { page->setReceiveFolder (path); }

void MorvaneDialog::showQMR303BackupWindow()
{
    if (qmr303Component == nullptr)
        qmr303Component = std::make_unique<QMR303BackupComponent> (*transfers, link, [this] { return page->getReceiveFolder(); });

    qmr303Component->rebuild();

    SkinnedDialogWindow::runModal ("QMR-303 Create Backup", *qmr303Component, getParentComponent());

    // Closed by its title bar's button: the same as Cancel.
    qmr303Component->cancelDump();
}

void MorvaneDialog::timerCallback (int timerId)
{
    switch (timerId)
    {
        case ConsoleTimers::logoTimer:
            ui.glimEyes->setVisible (false);
            stopTimer (ConsoleTimers::logoTimer);
            break;

        case ConsoleTimers::firmwareNotice4:
        case ConsoleTimers::firmwareNotice5:
            showFirmwareNotice (timerId);
            break;

        case ConsoleTimers::devicePollTimer:
            pollDeviceInfo();

            // Without a watched port the next poll could only find what this one found.
            if (link == nullptr || ! link->isThreadRunning())
            {
                stopTimer (ConsoleTimers::devicePollTimer);
                devicePollWaker->sleep();
            }

            break;

        default:
            stopTimer (timerId);
            break;
    }
}

void MorvaneDialog::mouseDown (const juce::MouseEvent& event)
{
    labelClicked (event.eventComponent);
}

void MorvaneDialog::labelClicked (juce::Component* clicked)
{
    if (clicked == ui.deviceLabel.get())
    {
        if (ui.deviceSelector->isEnabled() && ui.deviceLabel->isEnabled())
        {
            showDeviceMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == ui.inputPortLabel.get())
    {
        if (ui.inputSelector->isEnabled() && ui.inputPortLabel->isEnabled())
        {
            showInputPortMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == ui.outputPortLabel.get())
    {
        if (ui.outputSelector->isEnabled() && ui.outputPortLabel->isEnabled())
        {
            showOutputPortMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == ui.firmwareLinkLabel.get())
    {
        showFirmwareUpdateWindow();
    }
    // The send dialog's fields arrive with the send road.
}

bool MorvaneDialog::isInterestedInFileDrag (const juce::StringArray& files)
{
    return page->isReceivePage() ? ConsolePage::canTakeDrag (files) : ConsoleSendPage::canTakeDrag (files);
}

void MorvaneDialog::filesDropped (const juce::StringArray& files, int x, int y)
{
    if (page->isReceivePage())
        page->receiveFolderDropped (files, x, y);
    else
        sendPagePart->filesDropped (files, x, y);
}

//==============================================================================
bool MorvaneDialog::chooseFileToSend (const juce::File& chosen) { return sendPagePart->chooseFileToSend (chosen); }

bool MorvaneDialog::isFirmwareInMemory() const noexcept { return sendFile->isInMemory(); }
bool MorvaneDialog::isFileLoaded() const noexcept { return sendFile->isLoaded(); }
int MorvaneDialog::getPayloadKind() const noexcept { return sendFile->getKind(); }
const juce::MemoryBlock& MorvaneDialog::getLoadedData() const noexcept { return sendFile->getData(); }

bool MorvaneDialog::sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description) { return sendPagePart->sendFirmwareImage (image, description); }

void MorvaneDialog::transmit() { sendPagePart->transmit(); }

//==============================================================================
// What the roads show on the page.

void MorvaneDialog::lockPage (bool locked)
{
    if (locked)
    {
        stopDevicePoll();
        setControlsEnabled (false);

        // The send's mark beside the bar.
        if (! page->isReceivePage())
            ui.check3->setVisible (true);
    }
    else
    {
        restartDevicePoll();
        setControlsEnabled (true);
        ui.check3->setVisible (false);
    }
}

void MorvaneDialog::showProgress (double value)
{
    ui.progressBar->setProgress (value);
}

void MorvaneDialog::showProgressText (const juce::String& text)
{
    ui.progressBar->setTextToDisplay (text);
}

void MorvaneDialog::showPercentage()
{
    ui.progressBar->setPercentageDisplay (true);
}

void MorvaneDialog::showStatus (const juce::String& text)
{
    ui.progressLabel->setText (text, juce::dontSendNotification);

    // On the receive page the invitation to BEGIN shows while no status does.
    if (page->isReceivePage())
        ui.receiveBeginLabel->setVisible (text.isEmpty());
}

void MorvaneDialog::setCancelEnabled (bool enabled)
{
    ui.cancelButton->setEnabled (enabled);
}

void MorvaneDialog::tell (Severity severity, const juce::String& text)
{
    dialogs.showMessage (severity == Severity::warning ? juce::MessageBoxIconType::WarningIcon
                                                       : juce::MessageBoxIconType::InfoIcon,
                         "Morvane", text);
}

bool MorvaneDialog::ask (Severity severity, const juce::String& text)
{
    return dialogs.askOkCancel (severity == Severity::warning ? juce::MessageBoxIconType::WarningIcon
                                                              : juce::MessageBoxIconType::InfoIcon,
                                "Morvane", text);
}

void MorvaneDialog::setBusy (bool busy)
{
    if (busy)
        juce::MouseCursor::showWaitCursor();
    else
        juce::MouseCursor::hideWaitCursor();
}

void MorvaneDialog::scheduleNotice (int delayMs)
{
    startTimer (ConsoleTimers::firmwareNotice4, delayMs);
}

//==============================================================================
bool MorvaneDialog::updateFirmwareLink()
{
    // The labels follow when the feed has answered; a check skipped while a download runs keeps
    // the offer that is being taken up.
    const auto& version = queries->getFirmwareVersion();
    const auto checkedModel = getDeviceModel();

    firmwareOffer->check (getDeviceModel(), (int) version.major, (int) version.minor, queries->getFirmwareVersionText(),
                          settings.getFile(), [this, checkedModel] (int result)
                          {
                              // An answer for a device that has gone since says nothing of this one.
                              if (getDeviceModel() == checkedModel && deviceInfo->hasAnswered())
                                  showFirmwareCheckResult (result);
                          });
    return firmwareOffered;
}

void MorvaneDialog::showFirmwareCheckResult (int result)
{
    const auto labels = firmwareOffer->labelsFor (result);
    const bool sendPage = ! page->isReceivePage();

    using Action = FirmwareOffer::Labels::Action;

    switch (labels.action)
    {
        case Action::show:
        case Action::showIfOffered:
        {
            const bool shown = labels.action == Action::show || firmwareOffered;
            ui.firmwareTextLabel->setText (labels.text, juce::dontSendNotification);
            ui.firmwareLinkLabel->setText (labels.link, juce::dontSendNotification);
            firmwareOfferShown = shown;
            ui.firmwareTextLabel->setVisible (shown && sendPage);
            ui.firmwareLinkLabel->setVisible (shown && sendPage);
            firmwareOffered = labels.action == Action::show;
            break;
        }

        case Action::hide:
            firmwareOffered = false;
            firmwareOfferShown = false;
            ui.firmwareTextLabel->setText ({}, juce::dontSendNotification);
            ui.firmwareLinkLabel->setText ({}, juce::dontSendNotification);
            ui.firmwareTextLabel->setVisible (false);
            ui.firmwareLinkLabel->setVisible (false);
            break;

        case Action::leave:
            firmwareOffered = false;
            break;
    }
}

void MorvaneDialog::showFirmwareUpdateWindow()
{
    if (ui.firmwareLinkLabel->isEnabled() && ui.firmwareLinkLabel->isVisible())
        firmwareOffer->showWindowAndDownload (this);
}

void MorvaneDialog::onFirmwareDownloadFinished()
{
    juce::MemoryBlock image;
    PayloadKind kind = PayloadKinds::notSendable;
    juce::String problem;

    switch (firmwareOffer->takeDownload (getDeviceModel(), image, kind, problem))
    {
        case FirmwareOffer::Outcome::taken:
            sendFile->holdDownload (std::move (image), kind,
                                    FirmwareOffer::describeDownload (getDeviceModel(), firmwareOffer->getVersionText()));
            ui.fileField->setText (sendFile->getShownText(), false);
            updatePageVisibility();
            transmit();   // downloaded firmware is sent at once
            break;

        case FirmwareOffer::Outcome::cancelled:
            // The user's own choice, not a failure.
            dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane", "Update canceled.");
            break;

        case FirmwareOffer::Outcome::failed:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Download error.");
            break;

        case FirmwareOffer::Outcome::refused:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", problem);
            break;

        case FirmwareOffer::Outcome::none:
            break;
    }
}

void MorvaneDialog::showSendFileFolder()
{
    // The field shows a file's name only; the link acts on what is loaded.
    const auto text = sendFile->getLinkText();

    switch (FirmwareOffer::folderActionFor (text, sendFile->isInMemory()))
    {
        case FirmwareOffer::FolderAction::reveal:
            services.revealFile (juce::File (text));
            break;

        case FirmwareOffer::FolderAction::invalidPath:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "The selected path is not valid.");
            break;

        case FirmwareOffer::FolderAction::inMemory:
            dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                                 "The downloaded firmware file is contained in Morvane memory. It is not written to disk.");
            break;

        case FirmwareOffer::FolderAction::nothing:
            break;
    }
}

void MorvaneDialog::showFirmwareNotice (int timerId)
{
    stopTimer (timerId);
    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane",
                         FirmwareOffer::noticeText (getDeviceModel(), sendFile->getKind(), successText));
    ui.progressBar->setPercentageDisplay (true);
    ui.progressBar->repaint();
    restartDevicePoll();
    setControlsEnabled (true);
    resetReceivePage();
}
