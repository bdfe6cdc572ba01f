#include "MorvaneDialog.h"

#include "BackupChooser.h"
#include "BackupRun.h"
#include "ConsoleDeviceInfo.h"
#include "ConsoleFirmwareOffer.h"
#include "ConsoleKeyboard.h"
#include "ConsoleLayout.h"
#include "ConsolePage.h"
#include "ConsolePortPickers.h"
#include "ConsoleSendPage.h"
#include "ConsoleTransferView.h"
#include "DevicePollWaker.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "HoverTooltipWindow.h"
#include "MidiProcessing.h"
#include "ProgramVersion.h"
#include "QMR303BackupComponent.h"
#include "SkinManager.h"
#include "SkinnedDialogWindow.h"
#include "SendFile.h"
#include "SendRoad.h"
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

const char* const manualAddress = "https://www.zandrelaudio.com/downloads/morvane-manual.pdf";
const char* const videoAddress = "https://www.zandrelaudio.com/morvane/videos";
const char* const supportAddress = "https://www.zandrelaudio.com/support";
const char* const forumAddress = "https://forum.zandrelaudio.com";
} // namespace

//==============================================================================
MorvaneDialog::MorvaneDialog (SkinManager* skin, MidiProcessing* linkToUse, UserDialogs& dialogsToUse,
                              SystemServices& servicesToUse, const juce::File& userFolder)
    : dialogs (dialogsToUse),
      services (servicesToUse),
      settings (userFolder)
{
    tooltipWindow = std::make_unique<HoverTooltipWindow> (*this);

    skinManager = skin;
    loadSettings();
    setOpaque (true);

    link = linkToUse;

    ui = ConsoleLayout::build (*this, skinManager, *this, receiveFolderDefaulted, getVersionText());
    portChoice = std::make_unique<ConsolePortPickers> (ConsolePortPickers::Console {
                                                           ui, dialogs,
                                                           [this] { return page != nullptr && page->isReceivePage(); },
                                                           [this] { wakeDevicePoll(); },
                                                           [this] { updatePageVisibility(); },
                                                           [this] { forgetDeviceAnswer(); },
                                                           [this] (int model) { devicePortsChosen (model); } },
                                                       link);
    portChoice->setBufferDelayEnabled (false);

    view = std::make_unique<ConsoleTransferView> (ConsoleTransferView::Console {
        ui, dialogs, [this] { return page->isReceivePage(); },
        [this] (bool free)
        {
            free ? restartDevicePoll() : stopDevicePoll();
            setControlsEnabled (free);
        },
        [this] (int delayMs) { startTimer (ConsoleTimers::firmwareNotice4, delayMs); },
        [this] { deviceInfo->deviceGone(); } });

    // A request the worker may still hold is let go of by giving up the ports, and the page says so.
    transfers = std::make_unique<Transfers> (link, *view, [this]
    {
        resetPorts();
        updatePageVisibility();
    });
    queries = &transfers->getQueries();
    sendRoad = &transfers->getSendRoad();
    sendFile = &transfers->getSendFile();
    page = std::make_unique<ConsolePage> (ConsolePage::Console {
        ui, dialogs, settings, *portChoice, *sendFile, *view, *this, link,
        [this] { return ConsolePage::State { getDeviceModel(), isDeviceChosen(), isInputOk(), isOutputOk(),
                                             firmware != nullptr && firmware->isShown(),
                                             deviceInfo != nullptr && deviceInfo->hasAnswered() }; } });

    if (! receiveFolderDefaulted)
        page->takeStoredReceiveFolder (settings.getStoredReceiveFolder());
    deviceInfo = std::make_unique<ConsoleDeviceInfo> (ConsoleDeviceInfo::Console {
                                                          ui, *queries, *portChoice,
                                                          [this] { return isConnectedForModel() && page->arePortsPresent(); },
                                                          [this] { updatePageVisibility(); },
                                                          [this] { onDeviceLost(); },
                                                          [this] { firmware->refresh(); } });
    backupChooser = std::make_unique<BackupChooser> (skinManager, *queries);
    backupChooser->onChosen = [this] (const BackupChooser::Choice& choice)
    {
        if (auto* run = transfers->getBackupRun(); run != nullptr && ! run->isRunning())
            choice.startOn (*run, page->getReceiveFolder());
    };

    sendPagePart = std::make_unique<ConsoleSendPage> (ConsoleSendPage::Console {
        ui, dialogs, settings, *transfers, *view, skinManager, *this,
        [this] { return ConsoleSendPage::State { getDeviceModel(), ! page->isReceivePage(), page->isLocked(),
                                                 page->currentControls().connected, bufferDelay }; },
        [this] { updatePageVisibility(); },
        sendOptionsRunner });

    firmware = std::make_unique<ConsoleFirmwareOffer> (ConsoleFirmwareOffer::Console {
        ui, dialogs, services, *queries, *sendFile, skinManager, *this,
        [this] { return settings.getFile(); },
        [this] { return getDeviceModel(); },
        [this] { return page->isReceivePage(); },
        [this] { return deviceInfo->hasAnswered(); },
        [this] { updatePageVisibility(); },
        [this] { transmit(); },
        [this] { view->endAfterNotice(); } });

    connectControls();

    keyboard = std::make_unique<ConsoleKeyboard> (*this, juce::Array<juce::Component*> {
        ui.sendTabButton.get(), ui.receiveTabButton.get(), ui.deviceSelector.get(), ui.inputSelector.get(),
        ui.outputSelector.get(), ui.bufferDelaySlider.get(), ui.browseButton.get(), ui.fileField.get(), ui.showFolder.get(),
        ui.transmitButton.get(), ui.cancelButton.get(), ui.documentButton.get(), ui.videoButton.get(),
        ui.supportButton.get(), ui.forumButton.get() }, ui.deviceSelector.get());

    devicePollWaker = std::make_unique<DevicePollWaker> ([this] { restartDevicePoll(); });

    for (auto* turnedOff : std::initializer_list<juce::Component*> { ui.transmitButton.get(), ui.connectedLabel.get(),
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
    firmware->close();

    // The window saves (and warns) when it closes; this is the quiet last chance.
    settings.save();

    // The threads are stopped: only now is the pending request taken from the link worker and
    // deleted, while the page that shows the ports is still there.
    queries = nullptr;
    sendRoad = nullptr;
    transfers.reset();
    keyboard.reset();
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

//==============================================================================
void MorvaneDialog::showDeviceMenu() { portChoice->showDeviceMenu(); }

void MorvaneDialog::chooseDevice (int model) { portChoice->chooseDevice (model); }

void MorvaneDialog::showInputPortMenu() { portChoice->showPortMenu (ConsolePorts::Direction::input); }

void MorvaneDialog::showOutputPortMenu() { portChoice->showPortMenu (ConsolePorts::Direction::output); }

bool MorvaneDialog::resetPorts() { return portChoice->resetPorts(); }

void MorvaneDialog::updatePageVisibility() { page->updatePageVisibility(); }

void MorvaneDialog::onDeviceLost() { portChoice->onDeviceLost(); }

void MorvaneDialog::forgetDeviceAnswer()
{
    // Another device or port: what the last one answered no longer holds, and how the last
    // transfer ended no longer belongs on the page.
    if (deviceInfo != nullptr)
        deviceInfo->forgetAnswer();

    if (view != nullptr)
        view->clearEnding();
}

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

    deviceInfo->refreshDeviceInfo();
}

bool MorvaneDialog::isConnectedForModel() const { return page->isConnectedForModel(); }

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
        ui.showFolder->onClick = [this] { page->isReceivePage() ? firmware->showReceiveFolder (page->getReceiveFolder())
                                                                : firmware->showSendFileFolder(); };

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
            deviceInfo->pollDeviceInfo();

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
        firmware->showFirmwareUpdateWindow();
    }
    // The send dialog's fields arrive with the send road.
}

bool MorvaneDialog::isInterestedInFileDrag (const juce::StringArray& files)
{
    if (files.isEmpty())
        return false;

    if (ConsolePage::takesEveryDrag())
        return true;

    return page->isReceivePage() ? ConsolePage::canTakeDrag (files) : ConsoleSendPage::canTakeDrag (files);
}

void MorvaneDialog::filesDropped (const juce::StringArray& files, int, int)
{
    // The drop's point does not matter: the whole window takes what the page can use.
    if (page->isReceivePage())
        page->receiveFolderDropped (files);
    else
        sendPagePart->filesDropped (files);
}

//==============================================================================
bool MorvaneDialog::chooseFileToSend (const juce::File& chosen) { return sendPagePart->chooseFileToSend (chosen); }

void MorvaneDialog::transmit() { sendPagePart->transmit(); }

//==============================================================================
void MorvaneDialog::showFirmwareNotice (int timerId)
{
    stopTimer (timerId);

    // The send ended well: the status line says so under the notice.
    view->showFirmwareEnd();
    firmware->showNotice();
}
