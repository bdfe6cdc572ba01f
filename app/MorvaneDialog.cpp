#include "MorvaneDialog.h"

#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "FirmwareOffer.h"
#include "MidiProcessing.h"
#include "ProgramVersion.h"
#include "QMR303BackupComponent.h"
#include "ReceiveThread.h"
#include "SkinManager.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
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
const char* const noPortText = "<< none >>";
const char* const noPortsFoundText = "No MIDI ports were found";
const char* const selectDeviceText = "Select Device";
const char* const selectInputText = "Select an Input Port";
const char* const selectOutputText = "Select an Output Port";
const char* const receiveBeginText = "Press BEGIN to select a backup type to receive.";
const char* const closeDuringTransferText = "Closing the application will cancel the current transfer.";
const char* const cancelAfterBankText = "The backup will cancel following the completion of the current bank.";

const char* const manualAddress = "https://www.zandrelaudio.com/downloads/morvane-manual.pdf";
const char* const videoAddress = "https://www.zandrelaudio.com/morvane/videos";
const char* const supportAddress = "https://www.zandrelaudio.com/support";
const char* const forumAddress = "https://forum.zandrelaudio.com";

const juce::Colour greyThumb (0xff808080);
const juce::Colour blackThumb (0xff000000);

// The LM6 is never asked its system information.
bool isLM6 (int model)
{
    return model == 5 || model == 10;
}

juce::Image skinImage (const juce::String& name)
{
    return name.isEmpty() ? juce::Image() : SkinManager::getImage (name);
}
} // namespace

//==============================================================================
/** Moves the progress that a backup step's receive thread writes to the progress bar, every
    100 ms while the step runs.
*/
class MorvaneDialog::ProgressFollower : public juce::Timer
{
public:
    explicit ProgressFollower (std::function<void()> tickToUse)
        : tick (std::move (tickToUse))
    {
    }

    ~ProgressFollower() override { stopTimer(); }

    void timerCallback() override { tick(); }

private:
    std::function<void()> tick;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProgressFollower)
};

//==============================================================================
MorvaneDialog::MorvaneDialog (SkinManager* skin, MidiProcessing* linkToUse, UserDialogs& dialogsToUse,
                              SystemServices& servicesToUse, const juce::File& userFolder)
    : dialogs (dialogsToUse),
      services (servicesToUse),
      settings (userFolder)
{
    tooltipWindow = std::make_unique<juce::TooltipWindow> (this);

    skinManager = skin;
    resetState();
    loadSettings();
    setOpaque (true);

    link = linkToUse;

    buildFromSkin();

    // A request the worker may still hold is let go of by giving up the ports.
    queries = std::make_unique<DeviceQueries> (link, dialogs, pendingRequest, [this]
    {
        resetPorts();
        updatePageVisibility();
    });
    sendRoad = std::make_unique<SendRoad> (link, dialogs, *queries, static_cast<SendRoad::Host&> (*this));

    firmwareOffer = std::make_unique<FirmwareOffer> (skinManager, *this);

    progressFollower = std::make_unique<ProgressFollower> ([this] { progressBar->setProgress (transferProgress.load()); });

    successText = "Transfer complete!  ";
    errorText = "An error has occurred during file transmission.  ";
    cancelText = "File transmission has been canceled.\n";

    addKeyListener (this);

    startTimer (ConsoleTimers::logoTimer, ConsoleTimers::logoPeriodMs);
    startTimer (ConsoleTimers::devicePollTimer, ConsoleTimers::devicePollPeriodMs);

    setBounds (getX(), getY(), consoleWidth, consoleHeight);
}

MorvaneDialog::~MorvaneDialog()
{
    for (int id = ConsoleTimers::logoTimer; id <= ConsoleTimers::firmwareNotice5; ++id)
        stopTimer (id);

    progressFollower.reset();

    // The firmware check's download stops and its windows close before the settings go.
    firmwareOffer.reset();

    // The window saves (and warns) when it closes; this is the quiet last chance.
    settings.save();

    // The threads go first: a receive thread reads the pending request until it stops. Only
    // then is the request taken from the link worker and deleted.
    stopWorkerThreads();
    queries.reset();
    deletePendingRequest();

    removeKeyListener (this);
}

void MorvaneDialog::resetState()
{
    deviceModel = DeviceRules::noModel;
    bufferDelay = 0;
    payloadKind = 0;
    destinationSlot = -1;
    destinationBank = -1;
    currentBackupJob = 0;
    transferProgress = 0.0;
    deviceChosen = inputPortOk = outputPortOk = deviceAnswered = false;
    fileLoaded = receiveFolderChosen = busy = false;
    receiveMode = 0;
    receiveFolderDefaulted = queryRunning = firmwareOfferShown = controlsLocked = false;
    filePath.clear();
    receiveFolder.clear();
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

bool MorvaneDialog::isSendRunning() const
{
    if (sendRoad != nullptr && sendRoad->isRunning())
        return true;

    return link != nullptr && link->getMultiMsgTimer().getState() == TransferStates::running;
}

bool MorvaneDialog::isBackupRunning() const
{
    if (receiveThread == nullptr)
        return false;

    const auto result = receiveThread->getResult();
    return receiveThread->isThreadRunning() || result == ReceiveResults::running || result == ReceiveResults::saving;
}

bool MorvaneDialog::isDumpRunning() const
{
    return dumpProgressThread != nullptr && dumpProgressThread->isThreadRunning();
}

bool MorvaneDialog::isWorkRunning() const
{
    return isSendRunning() || isBackupRunning() || isDumpRunning();
}

bool MorvaneDialog::stopSend()
{
    if (! sendRoad->stop())
        return false;

    if (link == nullptr)
        return true;

    auto& sender = link->getMultiMsgTimer();
    return sender.getState() != TransferStates::running || sender.stop();
}

bool MorvaneDialog::confirmClose()
{
    const bool sending = isSendRunning();

    if (! sending && ! isBackupRunning() && ! isDumpRunning())
        return true;

    if (! dialogs.askOkCancel (juce::MessageBoxIconType::WarningIcon, "Morvane", closeDuringTransferText))
        return false;

    // A backup step or a dump is stopped as the console goes, after a file write in progress.
    if (sending && ! stopSend()
        && ! dialogs.askOkCancel (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                  "Transfer could not be canceled.  Press 'OK' to force quit."))
        return false;

    return true;
}

void MorvaneDialog::stopWorkerThreads()
{
    // Each thread is given the time of its longest step, a file write included, so that none is
    // ever killed in the middle of one.
    if (sendRoad != nullptr)
        sendRoad->stopThread();

    stopReceiveThread();

    if (dumpProgressThread != nullptr)
    {
        dumpProgressThread.reset();

        if (link != nullptr)
            link->stopMonitoring();
    }
}

void MorvaneDialog::retireReceiveThread()
{
    if (receiveThread == nullptr)
        return;

    // The next step may start from this thread's own change message: the thread is stopped now
    // but deleted only when the step after it starts, long after that message was delivered.
    receiveThread->removeChangeListener (this);
    receiveThread->stopThread (ReceiveThread::stopTimeoutMs);
    retiredReceiveThread = std::move (receiveThread);
}

void MorvaneDialog::stopReceiveThread()
{
    retireReceiveThread();
    retiredReceiveThread.reset();
}

void MorvaneDialog::deletePendingRequest()
{
    if (pendingRequest == nullptr)
        return;

    // Every request the console makes is queued at once, so a pending one is in the link
    // worker's hands. The worker lets go of a request only by retiring it, and stopping the
    // worker retires every request it holds; the ports go with it, and the page says so.
    if (link != nullptr && pendingRequest->getState() == SysExRequest::pending)
    {
        resetPorts();
        updatePageVisibility();
    }

    pendingRequest.reset();
}

bool MorvaneDialog::sendEditorDisconnect()
{
    return queries->sendEditorDisconnect();
}

bool MorvaneDialog::queryFirmwareVersion()
{
    if (! (inputPortOk && outputPortOk && deviceChosen) || deviceAnswered || queries->isVersionQueryRunning())
        return false;

    switch (queries->queryFirmwareVersion())
    {
        case DeviceQueries::Outcome::answered:
            deviceAnswered = true;
            connectedLabel->setText ("Connected (FW: " + queries->getFirmwareVersionText() + ")", juce::dontSendNotification);
            connectedLabel->setVisible (true);
            return true;

        case DeviceQueries::Outcome::timedOutTooOften:
            onDeviceLost();
            return false;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            return false;
    }

    return false;
}

void MorvaneDialog::querySystemInfo()
{
    if (! (inputPortOk && outputPortOk && deviceChosen && deviceAnswered) || queries->isSysInfoQueryRunning())
        return;

    switch (queries->querySystemInfo())
    {
        case DeviceQueries::Outcome::answered:
            if (currentDeviceModel.load() != 16)
                sendEditorDisconnect();
            break;

        case DeviceQueries::Outcome::timedOutTooOften:
            onDeviceLost();
            break;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            break;
    }
}

void MorvaneDialog::queryDisplayOffset()   { queries->queryDisplayOffset(); }
void MorvaneDialog::queryCurrentPatch()    { queries->queryCurrentPatch(); }
void MorvaneDialog::recallPreviousPatch()  { queries->recallPreviousPatch(); }
bool MorvaneDialog::setDeviceMute (bool mute) { return queries->setDeviceMute (mute); }

void MorvaneDialog::refreshDeviceInfo()
{
    if (queries->isVersionQueryRunning())
        return;

    queries->resetVersionTimeouts();

    if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
        querySystemInfo();

    if (deviceAnswered && Roads::firmwareOffer)
        firmwareOffered = updateFirmwareLink();
}

//==============================================================================
bool MorvaneDialog::startSendThread (const juce::MemoryBlock& data, juce::uint8 model, PayloadKind kind, bool leadIn)
{
    if (link == nullptr || data.isEmpty() || isSendRunning())
        return false;

    payloadKind = kind;
    return sendRoad->start (data, model, kind, leadIn, bufferDelay);
}

bool MorvaneDialog::startReceiveStep (std::unique_ptr<SysExRequest> request, const ReceiveStep& step)
{
    if (link == nullptr || request == nullptr)
        return false;

    retireReceiveThread();
    deletePendingRequest();

    pendingRequest = std::move (request);
    currentStep = step;
    currentBackupJob = step.job;
    currentStepMessage = pendingRequest->getMessage();
    currentStepTimeoutMs = pendingRequest->getTimeoutMs();
    currentStepExpectedReplies = pendingRequest->getExpectedReplies();
    currentStepAppends = pendingRequest->getAppendToFile();

    stopTimer (ConsoleTimers::devicePollTimer);
    setControlsEnabled (false);

    if (! step.consoleWritesProgress)
        transferProgress = 0.0;

    link->enqueueRequest (pendingRequest.get());
    receiveThread = std::make_unique<ReceiveThread> (pendingRequest.get(),
                                                     step.consoleWritesProgress ? nullptr : &transferProgress,
                                                     step.folder, step.job, step.number, step.baseName, step.firstStep);
    receiveThread->addChangeListener (this);
    receiveThread->startThread();
    progressFollower->startTimer (ConsoleTimers::transferPollPeriodMs);
    return true;
}

bool MorvaneDialog::startDumpCounter (DumpProgressThread::Listener& listener)
{
    if (link == nullptr)
        return false;

    dumpProgressThread.reset();
    link->startMonitoring();

    auto* linkToCount = link;
    dumpProgressThread = std::make_unique<DumpProgressThread> (listener, [linkToCount] { return linkToCount->getReceivedByteCount(); });
    dumpProgressThread->startThread();

    stopTimer (ConsoleTimers::devicePollTimer);
    setControlsEnabled (false);
    return true;
}

void MorvaneDialog::stopDumpCounter()
{
    transferProgress = 0.0;
    progressBar->setProgress (0.0);

    if (dumpProgressThread != nullptr)
    {
        dumpProgressThread.reset();

        // Nothing is recorded once nobody counts.
        if (link != nullptr)
            link->stopMonitoring();
    }

    restartDevicePoll();
    setControlsEnabled (true);
}

void MorvaneDialog::handleReceiveResult (int result)
{
    switch (result)
    {
        case ReceiveResults::saving:
            progressBar->setTextToDisplay ("Saving...");
            break;

        case ReceiveResults::written:
            onReceiveComplete();
            break;

        case ReceiveResults::requestFailed:
        {
            const auto retry = ConsoleTimers::stepRetryFor (deviceModel, currentBackupJob);
            int* count = retry == ConsoleTimers::StepRetry::orvix ? &orvixRetryCount
                       : retry == ConsoleTimers::StepRetry::kt4   ? &kt4RetryCount
                                                                  : nullptr;

            if (count != nullptr && *count < ConsoleTimers::maxStepRetries && link != nullptr)
            {
                // The same step once more: the same message, time-out, reply count and file.
                ++*count;
                auto again = std::make_unique<SysExRequest> (currentStepTimeoutMs);
                again->setMessage (currentStepMessage);
                again->setExpectedReplies (currentStepExpectedReplies);
                again->setAppendToFile (currentStepAppends);
                startReceiveStep (std::move (again), currentStep);
                break;
            }

            endBackupRun (true);
            break;
        }

        case ReceiveResults::writeFailed:
        {
            progressBar->setTextToDisplay ({});
            transferProgress = 0.0;
            progressBar->setProgress (0.0);
            progressBar->setPercentageDisplay (true);

            const auto warning = receiveThread != nullptr ? receiveThread->getWarningText() : juce::String();

            if (warning.isNotEmpty())
                dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", warning);

            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                 "An error was encountered while writing the file to disk.");
            // Going on with the next user cab of the Orvix II all-user-cabs job comes with the
            // backup runs; until then a write error ends every run.
            endBackupRun (false);
            break;
        }

        default:
            break;
    }
}

void MorvaneDialog::onReceiveComplete()
{
    progressBar->setTextToDisplay ({});
    transferProgress = 0.0;
    progressBar->setProgress (0.0);
    orvixRetryCount = 0;
    kt4RetryCount = 0;

    // The next job of a run, the recall of the patch and "Backup complete." come with the backup
    // runs; until then a step that was written ends its run without a word.
    endBackupRun (false);
}

void MorvaneDialog::endBackupRun (bool timedOut)
{
    progressFollower->stopTimer();
    orvixRetryCount = 0;
    kt4RetryCount = 0;
    cancelAfterCurrentStep = false;

    if (timedOut)
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Message timeout.");

    restartDevicePoll();
    setControlsEnabled (true);
    progressLabel->setText ({}, juce::dontSendNotification);
    progressBar->setTextToDisplay ({});
    transferProgress = 0.0;
    progressBar->setProgress (0.0);
    progressBar->setPercentageDisplay (true);
    receiveBeginLabel->setVisible (Roads::backup && receiveMode == 1);
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
    const auto& image = receiveMode == 1 ? receiveBackground : sendBackground;

    if (image.isValid())
        g.drawImageAt (image, 0, 0);
}

void MorvaneDialog::selectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr && ! toggle->getToggleState())
            toggle->setToggleState (true, juce::dontSendNotification);
}

void MorvaneDialog::deselectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr && toggle->getToggleState())
            toggle->setToggleState (false, juce::dontSendNotification);
}

void MorvaneDialog::invertToggleSelection (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr)
            toggle->setToggleState (! toggle->getToggleState(), juce::dontSendNotification);
}

//==============================================================================
juce::String MorvaneDialog::variant (const juce::String& image, const juce::String& suffix)
{
    return image.upToLastOccurrenceOf (".png", false, true) + suffix + ".png";
}

void MorvaneDialog::addChild (juce::Component& child, bool visible)
{
    addAndMakeVisible (child);
    child.setVisible (visible);
}

std::unique_ptr<juce::ImageButton> MorvaneDialog::makeImageButton (const juce::String& name, const juce::String& image,
                                                                   const juce::String& down, const juce::String& over,
                                                                   juce::Rectangle<int> bounds, bool visible)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    const auto normal = skinImage (image);
    const auto overImage = over.isNotEmpty() ? skinImage (over) : normal;
    const auto downImage = down.isNotEmpty() ? skinImage (down) : overImage;
    button->setImages (false, false, true,
                       normal, 1.0f, juce::Colours::transparentBlack,
                       overImage, 1.0f, juce::Colours::transparentBlack,
                       downImage, 1.0f, juce::Colours::transparentBlack);
    button->setBounds (bounds);
    button->addListener (this);
    addChild (*button, visible);
    return button;
}

std::unique_ptr<juce::Label> MorvaneDialog::makeLabel (const juce::String& name, const juce::String& text,
                                                       juce::Rectangle<int> bounds, bool visible)
{
    auto label = std::make_unique<juce::Label> (name, text);
    label->setBounds (bounds);
    addChild (*label, visible);
    return label;
}

std::unique_ptr<juce::DrawableButton> MorvaneDialog::makeSelector (const juce::String& name, juce::Rectangle<int> bounds)
{
    auto button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageRaw);

    if (dropdownImage != nullptr)
        button->setImages (dropdownImage.get());

    button->setColour (juce::DrawableButton::textColourId, juce::Colours::black);
    button->setBounds (bounds);
    button->addListener (this);
    addChild (*button, true);
    return button;
}

void MorvaneDialog::buildFromSkin()
{
    sendBackground = skinImage ("bg-body-send.png");
    receiveBackground = skinImage ("bg-body-receive.png");

    if (auto dropdown = skinImage ("dropdown.png"); dropdown.isValid())
    {
        auto drawable = std::make_unique<juce::DrawableImage>();
        drawable->setImage (dropdown);
        dropdownImage = std::move (drawable);
    }

    if (skinManager != nullptr)
    {
        if (auto* section = skinManager->getSection ("MainSkin"))
        {
            for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
            {
                if (widget->getStringAttribute ("name") == "showFolder" && showFolder == nullptr)
                {
                    showFolder = skinManager->createDrawableButton (widget, "showFolder");

                    if (showFolder != nullptr)
                    {
                        showFolder->addListener (this);
                        addAndMakeVisible (*showFolder);
                        showFolder->setEnabled (false);
                    }
                }
            }
        }
    }

    glimEyes = makeImageButton ("Glim Eyes", "glim-eyes-off.png", {}, {}, { 79, 246, 83, 34 }, true);
    sendTabFocus = makeImageButton ("Send Tab Focus", "tab-send.png", {}, {}, { 260, 13, 169, 33 }, true);
    sendTabButton = makeImageButton ("Send Tab Button", "tab-send-back.png", {}, "tab-send-over.png", { 260, 13, 169, 33 }, false);
    receiveTabFocus = makeImageButton ("Receive Tab Focus", "tab-receive.png", {}, {}, { 429, 13, 169, 33 }, false);
    receiveTabButton = makeImageButton ("Receive Tab Button", "tab-receive-back.png", {}, "tab-receive-over.png", { 429, 13, 169, 33 }, true);

    deviceSelector = makeSelector ("Device To Update", { 280, 111, 232, 27 });
    deviceLabel = makeLabel ("Device Label", selectDeviceText, { 280, 111, 232, 27 }, true);
    connectedLabel = makeLabel ("Connected Label", "Connected", { 550, 115, 200, 200 }, false);
    checkMark = makeImageButton ("Check", "icon-check.png", {}, {}, { 530, 115, 15, 15 }, false);
    inputCheck = makeImageButton ("Input Check", "icon-check.png", {}, {}, { 530, 153, 15, 15 }, false);
    outputCheck = makeImageButton ("Output Check", "icon-check.png", {}, {}, { 530, 191, 15, 15 }, false);
    error1 = makeImageButton ("Error 1", "icon-error.png", {}, {}, { 530, 115, 15, 15 }, false);

    inputSelector = makeSelector (selectInputText, { 280, 149, 232, 27 });
    inputSelector->setEnabled (false);
    inputPortLabel = makeLabel ("Input Port Label", selectInputText, { 280, 149, 232, 27 }, true);
    inputPortLabel->setJustificationType (juce::Justification::centredLeft);
    inputPortLabel->setEnabled (false);

    outputSelector = makeSelector (selectOutputText, { 280, 187, 232, 27 });
    outputSelector->setEnabled (false);
    outputPortLabel = makeLabel ("Output Port Label", selectOutputText, { 280, 187, 232, 27 }, true);
    outputPortLabel->setEnabled (false);

    for (auto* label : { deviceLabel.get(), inputPortLabel.get(), outputPortLabel.get() })
    {
        label->setColour (juce::Label::textColourId, juce::Colours::black);
        label->addMouseListener (this, false);
    }

    bufferDelaySlider = std::make_unique<juce::Slider> (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    bufferDelaySlider->setName ("MIDI Buffer Delay");
    bufferDelaySlider->setRange (0.0, 1000.0, 10.0);
    bufferDelaySlider->setValue (0.0, juce::dontSendNotification);
    bufferDelaySlider->setTextValueSuffix (" ms");
    bufferDelaySlider->setPopupDisplayEnabled (true, true, this);
    bufferDelaySlider->setBounds (563, 187, 180, 24);
    bufferDelaySlider->addListener (this);
    addChild (*bufferDelaySlider, false);
    bufferDelayLabel = makeLabel ("Buffer Delay Label", juce::String ("MIDI Buffer Delay") + ":", { 595, 171, 125, 20 }, false);
    bufferDelayLabel->setJustificationType (juce::Justification::centredLeft);
    setBufferDelayEnabled (false);

    browseButton = makeImageButton ("Browse", "btn-browse.png", "btn-browse-down.png", "btn-browse-over.png", { 268, 289, 152, 42 }, true);
    browseButton->setEnabled (false);

    fileField = std::make_unique<juce::TextEditor> ("File");
    fileField->setCaretVisible (false);
    fileField->setReadOnly (true);
    fileField->setBounds (430, 295, 307, 25);
    fileField->addListener (this);
    addChild (*fileField, true);
    fileField->setEnabled (false);

    error2 = makeImageButton ("Error 2", "icon-error.png", {}, {}, { 275, 334, 15, 15 }, false);
    firmwareTextLabel = makeLabel ("Firmware Text Label", {}, { 395, 329, 480, 27 }, false);
    firmwareTextLabel->setColour (juce::Label::textColourId, juce::Colours::black);
    firmwareLinkLabel = makeLabel ("Firmware Link Label", {}, { 275, 329, 125, 27 }, false);
    firmwareLinkLabel->setColour (juce::Label::textColourId, juce::Colour (0xff0000ff));
    firmwareLinkLabel->setMouseCursor (juce::MouseCursor::PointingHandCursor);
    firmwareLinkLabel->addMouseListener (this, false);
    receiveBrowseLabel = makeLabel ("Receive Browse Label",
                                    receiveFolderDefaulted ? "Press BROWSE to select a folder where backups will be stored." : "",
                                    { 275, 329, 500, 27 }, false);
    receiveBrowseLabel->addMouseListener (this, false);

    transmitButton = makeImageButton ("Transmit", "btn-begin.png", "btn-begin-down.png", "btn-begin-over.png", { 268, 429, 152, 42 }, true);
    transmitButton->setEnabled (false);

    progressBar = std::make_unique<TPXProgressBar>();
    progressBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xffd3d3d3));
    progressBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xff32cd32).darker (0.2f));
    progressBar->setBounds (430, 435, 254, 25);
    addChild (*progressBar, true);

    cancelButton = makeImageButton ("Cancel", "btn-cancel.png", "btn-cancel-down.png", "btn-cancel-over.png", { 690, 435, 78, 30 }, true);
    cancelButton->setEnabled (false);
    check3 = makeImageButton ("Check3", "icon-check.png", {}, {}, { 275, 474, 15, 15 }, false);
    error3 = makeImageButton ("Error 3", "icon-error.png", {}, {}, { 275, 474, 15, 15 }, false);
    progressLabel = makeLabel ("Progress", {}, { 295, 469, 475, 27 }, true);
    receiveBeginLabel = makeLabel ("Receive Begin Label", receiveBeginText, { 275, 469, 475, 27 }, false);
    receiveBeginLabel->addMouseListener (this, false);

    helpText = makeImageButton ("Help Text", "helptext_01.png", {}, {}, { 0, 69, 240, 20 }, true);
    documentButton = makeImageButton ("Document", "helptext_02.png", variant ("helptext_02.png", "-down"),
                                      variant ("helptext_02.png", "-over"), { 0, 89, 240, 20 }, true);
    videoButton = makeImageButton ("Video", "helptext_03.png", variant ("helptext_03.png", "-down"),
                                   variant ("helptext_03.png", "-over"), { 0, 109, 240, 20 }, true);
    moreHelp = makeImageButton ("More Help", "helptext_05.png", {}, {}, { 0, 139, 240, 20 }, true);
    supportButton = makeImageButton ("Support", "helptext_06.png", "helptext-down_06.png", "helptext-over_06.png", { 0, 159, 240, 20 }, true);
    forumButton = makeImageButton ("Forum", "helptext_07.png", variant ("helptext_07.png", "-down"),
                                   variant ("helptext_07.png", "-over"), { 0, 179, 240, 20 }, true);

    const auto labelFont = juce::String ("_bgp_b.stf");
    copyrightLabel = std::make_unique<TPXLabelComponent> (skinManager, 10, 531, 300, 15, "Copyright Label",
                                                          juce::String (juce::CharPointer_UTF8 ("\xc2\xa9 2009-2025 Zandrel Audio. All rights reserved.")),
                                                          labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::left);
    addChild (*copyrightLabel, true);
    versionLabel = std::make_unique<TPXLabelComponent> (skinManager, 593, 531, 200, 15, "Version Label", getVersionText(),
                                                        labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::right);
    addChild (*versionLabel, true);

    if (! receiveFolderDefaulted)
    {
        receiveFolder = settings.getStoredReceiveFolder();
        receiveFolderChosen = true;
    }
}

//==============================================================================
void MorvaneDialog::setEnabledIf (juce::Component* component, bool enabled)
{
    if (component != nullptr)
        component->setEnabled (enabled);
}

void MorvaneDialog::setVisibleIf (juce::Component* component, bool visible)
{
    if (component != nullptr)
        component->setVisible (visible);
}

void MorvaneDialog::setPortControlsEnabled (bool inputEnabled, bool outputEnabled)
{
    setEnabledIf (inputSelector.get(), inputEnabled);
    setEnabledIf (inputPortLabel.get(), inputEnabled);
    setEnabledIf (outputSelector.get(), outputEnabled);
    setEnabledIf (outputPortLabel.get(), outputEnabled);
}

void MorvaneDialog::showDeviceMenu()
{
    const auto modifiers = dialogs.currentModifiers();
    deviceMenu.clear();

    for (const auto& entry : DeviceRules::deviceMenuEntries())
        deviceMenu.addItem (entry.id, entry.text);

    if (DeviceRules::offersUtility (receiveMode == 1, modifiers.isCtrlDown()))
    {
        deviceMenu.addSeparator();
        deviceMenu.addItem (DeviceRules::utilityModel, "Utility");
    }

    const int result = dialogs.showMenu (deviceMenu, deviceSelector.get());

    if (result != 0)
        chooseDevice (result);
}

void MorvaneDialog::chooseDevice (int model)
{
    const auto text = DeviceRules::menuTextForModel (model);

    if (text.isEmpty())
        return;

    deviceModel = (std::uint8_t) model;
    currentDeviceModel = (juce::uint8) model;
    deviceAnswered = false;
    deviceChosen = true;
    deviceLabel->setText (text, juce::dontSendNotification);
    checkMark->setVisible (true);
    resetPorts();

    if (DeviceRules::needsBothPorts (model))
    {
        autoSelectInputPort();
        autoSelectOutputPort();
        // Checking a loaded file against the new model comes with the send road.

        if (Roads::deviceQueries)
            refreshDeviceInfo();
    }
    else
    {
        updatePageVisibility();
    }

    updateBufferDelay();
    setBufferDelayEnabled (false);
    updatePageVisibility();
}

void MorvaneDialog::buildInputPortMenu()
{
    inputPortMenu.clear();
    inputPortMenu.addItem (-1, noPortText);
    inputPortMenu.addSeparator();
    inputPortNames.clear();

    if (link != nullptr)
        link->getInputDeviceNames (inputPortNames);

    for (int i = 0; i < inputPortNames.size(); ++i)
        inputPortMenu.addColouredItem (i + 1, inputPortNames[i], juce::Colours::black);

    if (inputPortNames.isEmpty())
        inputPortMenu.addSectionHeader (noPortsFoundText);
}

void MorvaneDialog::buildOutputPortMenu()
{
    outputPortMenu.clear();
    outputPortMenu.addItem (-1, noPortText);
    outputPortMenu.addSeparator();
    outputPortNames.clear();

    if (link != nullptr)
        link->getOutputDeviceNames (outputPortNames);

    for (int i = 0; i < outputPortNames.size(); ++i)
        outputPortMenu.addColouredItem (i + 1, outputPortNames[i], juce::Colours::black);

    if (outputPortNames.isEmpty())
        outputPortMenu.addSectionHeader (noPortsFoundText);
}

juce::String MorvaneDialog::portNameFromMenu (int itemId, const juce::PopupMenu& menu)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();

        if (! item.isSeparator && item.itemID == itemId)
            return item.text;
    }

    return {};
}

void MorvaneDialog::showInputPortMenu()
{
    buildInputPortMenu();
    const int result = dialogs.showMenu (inputPortMenu, inputSelector.get());

    if (result == 0)
        return;

    const auto text = portNameFromMenu (result, inputPortMenu);
    inputPortLabel->setText (text, juce::dontSendNotification);
    openPort (true, text, result - 1);
    updateBufferDelayAfterPortChoice (text);
}

void MorvaneDialog::showOutputPortMenu()
{
    buildOutputPortMenu();
    const int result = dialogs.showMenu (outputPortMenu, outputSelector.get());

    if (result == 0)
        return;

    const auto text = portNameFromMenu (result, outputPortMenu);
    outputPortLabel->setText (text, juce::dontSendNotification);
    openPort (false, text, result - 1);
    updateBufferDelayAfterPortChoice (text);
}

void MorvaneDialog::autoSelectInputPort()
{
    const auto pattern = DeviceRules::portPattern (currentDeviceModel.load());
    buildInputPortMenu();
    const int index = DeviceRules::findPortByPattern (inputPortNames, pattern);

    if (index >= 0)
        openPort (true, inputPortNames[index], index);
}

void MorvaneDialog::autoSelectOutputPort()
{
    const auto pattern = DeviceRules::portPattern (currentDeviceModel.load());
    buildOutputPortMenu();
    const int index = DeviceRules::findPortByPattern (outputPortNames, pattern);

    if (index >= 0)
        openPort (false, outputPortNames[index], index);
}

bool MorvaneDialog::openInputPort (const juce::String& name)
{
    return openPort (true, name, -1);
}

bool MorvaneDialog::openOutputPort (const juce::String& name)
{
    return openPort (false, name, -1);
}

bool MorvaneDialog::openPort (bool input, const juce::String& name, int menuIndex)
{
    auto& label = input ? *inputPortLabel : *outputPortLabel;
    auto& ok = input ? inputPortOk : outputPortOk;
    bool closed = false;

    if (name != noPortText)
    {
        bool opened = false;

        if (link != nullptr)
        {
            auto& ports = link->getPortManager();
            const auto listed = input ? ports.getInputNames() : ports.getOutputNames();

            // Open the very port the user picked: by its place in the list when the list still
            // shows it there, else the first port of exactly that name. Opening by a part of the
            // name could take a longer name that merely contains this one.
            int index = (menuIndex >= 0 && listed[menuIndex] == name) ? menuIndex : listed.indexOf (name);

            if (index >= 0)
                opened = input ? ports.openInputByIndex (index) : ports.openOutputByIndex (index);
        }

        if (opened)
        {
            ok = true;
            label.setText (name, juce::dontSendNotification);
            openLinkForModel();
        }
        else
        {
            // The side that failed is given up entirely, so the worker does not keep watching
            // (and reopening) a port that is no longer the user's choice.
            if (link != nullptr)
                input ? link->closeInputPort() : link->closeOutputPort();

            ok = false;
            label.setText (input ? selectInputText : selectOutputText, juce::dontSendNotification);
            openLinkForModel();
        }
    }
    else
    {
        if (link != nullptr)
            closed = input ? link->closeInputPort() : link->closeOutputPort();

        ok = false;
        // The picker goes back to its prompt: "<< none >>" is a choice, not a port.
        label.setText (input ? selectInputText : selectOutputText, juce::dontSendNotification);
        // The other side of a one-port model keeps working.
        openLinkForModel();
    }

    updatePageVisibility();
    return closed;
}

bool MorvaneDialog::resetPort (bool input)
{
    bool closed = false;

    if (link != nullptr)
        closed = input ? link->closeInputPort() : link->closeOutputPort();

    const bool receivePage = receiveMode == 1;

    if (input)
    {
        inputPortOk = false;
        inputPortLabel->setText (DeviceRules::inputLabelAfterReset (deviceModel, receivePage), juce::dontSendNotification);
    }
    else
    {
        outputPortOk = false;
        outputPortLabel->setText (DeviceRules::outputLabelAfterReset (deviceModel, receivePage), juce::dontSendNotification);
    }

    return closed;
}

bool MorvaneDialog::resetInputPort()  { return resetPort (true); }
bool MorvaneDialog::resetOutputPort() { return resetPort (false); }

bool MorvaneDialog::resetPorts()
{
    const bool input = resetInputPort();
    const bool output = resetOutputPort();
    return input && output;
}

bool MorvaneDialog::openLinkForModel()
{
    if (link == nullptr)
        return false;

    if (const auto sides = DeviceRules::linkSidesFor (deviceModel, inputPortOk, outputPortOk))
        return link->openDevices (sides->input, sides->output);

    return false;
}

void MorvaneDialog::updatePageVisibility()
{
    const bool receivePage = receiveMode == 1;
    const bool utility = deviceModel == DeviceRules::utilityModel;

    if (controlsLocked)
        setPortControlsEnabled (false, false);
    else if (deviceChosen)
        setPortControlsEnabled (DeviceRules::inputSelectorEnabled (deviceModel, receivePage),
                                DeviceRules::outputSelectorEnabled (deviceModel, receivePage));
    else
        setPortControlsEnabled (false, false);

    if (deviceChosen && ! fileLoaded && utility)
    {
        firmwareTextLabel->setVisible (false);
        firmwareLinkLabel->setVisible (false);
    }

    const bool ready = DeviceRules::isLinkReady (deviceModel, inputPortOk, outputPortOk, receivePage);
    const bool browseRoad = receivePage ? Roads::backup : Roads::sendFile;

    if (ready)
    {
        if (! controlsLocked)
        {
            browseButton->setEnabled (browseRoad);
            fileField->setEnabled (true);
            setEnabledIf (showFolder.get(), Roads::firmwareOffer);
        }

        if (! utility)
        {
            if (! receivePage)
            {
                firmwareTextLabel->setVisible (firmwareOfferShown);
                firmwareLinkLabel->setVisible (firmwareOfferShown);
            }
            else
            {
                receiveBrowseLabel->setVisible (! receiveFolderChosen && Roads::backup);
            }
        }
        else
        {
            firmwareTextLabel->setVisible (false);
            firmwareLinkLabel->setVisible (false);
        }
    }
    else
    {
        browseButton->setEnabled (false);
        fileField->setEnabled (false);
        setEnabledIf (showFolder.get(), false);
        firmwareTextLabel->setVisible (false);
        firmwareLinkLabel->setVisible (false);
    }

    receiveBeginLabel->setVisible (Roads::backup
                                   && DeviceRules::showsReceiveBegin (deviceModel, inputPortOk, outputPortOk,
                                                                      receiveFolderChosen, receivePage));
}

void MorvaneDialog::updateBufferDelay()
{
    const auto delay = DeviceRules::bufferDelayFor (deviceModel, receiveMode == 1);

    if (! delay.has_value())
        return;

    bufferDelaySlider->setValue (delay->milliseconds, juce::sendNotificationAsync);
    bufferDelaySlider->setVisible (delay->shown);
    bufferDelayLabel->setVisible (delay->shown);
    bufferDelaySlider->setColour (juce::Slider::thumbColourId, delay->shown ? blackThumb : greyThumb);
}

void MorvaneDialog::updateBufferDelayAfterPortChoice (const juce::String& choice)
{
    if (choice != noPortText)
    {
        updateBufferDelay();
        return;
    }

    // Without the port the device needs, the delay has nothing to pace.
    if (! DeviceRules::isLinkReady (deviceModel, inputPortOk, outputPortOk, receiveMode == 1))
        setBufferDelayEnabled (false);
}

void MorvaneDialog::setBufferDelayEnabled (bool shown)
{
    if (bufferDelaySlider == nullptr || bufferDelayLabel == nullptr)
        return;

    if (shown)
    {
        bufferDelaySlider->setVisible (true);
        bufferDelaySlider->setColour (juce::Slider::thumbColourId, blackThumb);
        bufferDelayLabel->setVisible (true);
    }
    else
    {
        bufferDelaySlider->setVisible (false);
        bufferDelaySlider->setColour (juce::Slider::thumbColourId, greyThumb);
        bufferDelaySlider->setValue (0.0, juce::sendNotificationAsync);
        bufferDelayLabel->setVisible (false);
    }
}

void MorvaneDialog::onDeviceLost()
{
    deviceModel = DeviceRules::lostModel;
    deviceChosen = false;
    deviceAnswered = false;
    resetInputPort();
    resetOutputPort();
    deviceLabel->setText (selectDeviceText, juce::dontSendNotification);
    checkMark->setVisible (false);
    inputPortLabel->setText (selectInputText, juce::dontSendNotification);
    outputPortLabel->setText (selectOutputText, juce::dontSendNotification);
    updatePageVisibility();
}

bool MorvaneDialog::isConnectedForModel() const
{
    if (link == nullptr)
        return false;

    if (DeviceRules::needsBothPorts (deviceModel))
        return link->areConnected (true, true);

    if (DeviceRules::usesOnePort (deviceModel))
        return receiveMode == 1 ? link->isInputConnected() == 1 : link->isOutputConnected() == 1;

    return false;
}

void MorvaneDialog::pollDeviceInfo()
{
    const bool connected = isConnectedForModel();

    inputCheck->setVisible (inputPortOk);
    outputCheck->setVisible (outputPortOk);

    if (connected)
    {
        if (Roads::deviceQueries && inputPortOk && outputPortOk && DeviceRules::needsBothPorts (deviceModel)
            && ! deviceAnswered && ! queries->isVersionQueryRunning())
        {
            if (! wasConnected)
                queries->resetVersionTimeouts();

            if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
                querySystemInfo();

            if (deviceAnswered && Roads::firmwareOffer)
                firmwareOffered = updateFirmwareLink();
        }

        const bool canStart = receiveMode == 1 ? (isReceiveRoadBuilt() && receiveFolderChosen)
                                               : (Roads::sendFile && fileLoaded);

        if (canStart)
        {
            transmitButton->setEnabled (true);
            cancelButton->setEnabled (true);
        }
    }
    else
    {
        deviceAnswered = false;
        connectedLabel->setVisible (false);
        firmwareTextLabel->setVisible (false);
        firmwareLinkLabel->setVisible (false);
        transmitButton->setEnabled (false);
        cancelButton->setEnabled (false);
    }

    wasConnected = connected;
}

void MorvaneDialog::resetReceivePage()
{
    progressLabel->setText (receiveMode == 1 ? receiveBeginText : "", juce::dontSendNotification);
    check3->setVisible (false);
    transferProgress = 0.0;
    progressBar->setProgress (0.0);
}

void MorvaneDialog::setControlsEnabled (bool enabled)
{
    controlsLocked = ! enabled;
    const bool receivePage = receiveMode == 1;
    const bool browseRoad = receivePage ? Roads::backup : Roads::sendFile;

    browseButton->setEnabled (enabled && browseRoad);
    setEnabledIf (showFolder.get(), enabled && Roads::firmwareOffer);
    transmitButton->setEnabled (enabled && (receivePage ? isReceiveRoadBuilt() && receiveFolderChosen : browseRoad));

    if (receivePage && ! ConsoleTimers::isMultiBankJob (currentBackupJob))
        cancelButton->setEnabled (enabled && isReceiveRoadBuilt());

    sendTabButton->setEnabled (enabled);
    receiveTabButton->setEnabled (enabled);
    fileField->setEnabled (enabled);
    deviceLabel->setEnabled (enabled);
    deviceSelector->setEnabled (enabled);

    // While work runs neither port may change, whatever the model: giving up a port stops the
    // link worker under a request in flight.
    if (! enabled)
        setPortControlsEnabled (false, false);
    else if (deviceChosen)
        setPortControlsEnabled (DeviceRules::inputSelectorEnabled (deviceModel, receivePage),
                                DeviceRules::outputSelectorEnabled (deviceModel, receivePage));

    firmwareLinkLabel->setEnabled (enabled);
}

void MorvaneDialog::restartDevicePoll()
{
    startTimer (ConsoleTimers::devicePollTimer, ConsoleTimers::devicePollPeriodMs);
}

//==============================================================================
void MorvaneDialog::showReceivePage()
{
    receiveMode = 1;
    receiveTabButton->setVisible (false);
    receiveTabFocus->setVisible (true);
    sendTabButton->setVisible (true);
    sendTabFocus->setVisible (false);

    if (DeviceRules::isFootController (deviceModel))
    {
        resetInputPort();
        resetOutputPort();
        updatePageVisibility();
    }
    else if (deviceModel == DeviceRules::utilityModel)
    {
        // The Utility cannot back anything up.
        deviceLabel->setText (selectDeviceText, juce::dontSendNotification);
        checkMark->setVisible (false);
        deviceModel = DeviceRules::lostModel;
        deviceChosen = false;
        resetPorts();
        updatePageVisibility();
    }

    setBufferDelayEnabled (false);
    firmwareTextLabel->setVisible (false);
    firmwareLinkLabel->setVisible (false);

    if (receiveFolderChosen)
    {
        fileField->setText (receiveFolder, false);
        fileField->setTooltip (receiveFolder);
        receiveBeginLabel->setVisible (Roads::backup);
    }
    else
    {
        fileField->clear();
        fileField->setTooltip ({});

        if (deviceChosen)
            receiveBrowseLabel->setVisible (Roads::backup);
    }

    repaint();
}

void MorvaneDialog::showSendPage()
{
    receiveMode = 0;
    sendTabFocus->setVisible (true);
    receiveTabButton->setVisible (true);
    sendTabButton->setVisible (false);
    receiveTabFocus->setVisible (false);

    if (DeviceRules::isFootController (deviceModel))
    {
        resetInputPort();
        resetOutputPort();
        updatePageVisibility();

        if (deviceModel == 2 && deviceChosen && outputPortOk)
            setBufferDelayEnabled (true);
    }

    receiveBrowseLabel->setVisible (false);
    receiveBeginLabel->setVisible (false);

    if (fileLoaded)
    {
        const auto shown = firmwareInMemory ? loadedFileText : juce::File (filePath).getFileName();
        fileField->setText (shown, false);
        fileField->setTooltip (firmwareInMemory ? loadedFileText : filePath);
    }
    else
    {
        fileField->clear();
        fileField->setTooltip ({});
    }

    if (deviceChosen && inputPortOk && outputPortOk && firmwareOfferShown)
    {
        firmwareTextLabel->setVisible (true);
        firmwareLinkLabel->setVisible (true);
    }

    repaint();
}

void MorvaneDialog::openHelpPage (const juce::String& address)
{
    services.openUrl (juce::URL (address));
}

void MorvaneDialog::buttonClicked (juce::Button* button)
{
    if (button == receiveTabButton.get())
        showReceivePage();
    else if (button == sendTabButton.get())
        showSendPage();
    else if (button == cancelButton.get())
    {
        if (isSendRunning() && ! stopSend())
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Transfer could not be canceled.");

        // A backup of many steps stops after the step in progress.
        if (isBackupRunning() && ConsoleTimers::stepRetryFor (deviceModel, currentBackupJob) != ConsoleTimers::StepRetry::none)
        {
            cancelAfterCurrentStep = true;

            if (deviceModel == 8)
                progressLabel->setText (cancelAfterBankText, juce::dontSendNotification);
        }
    }
    else if (button == documentButton.get())
        openHelpPage (manualAddress);
    else if (button == videoButton.get())
        openHelpPage (videoAddress);
    else if (button == supportButton.get())
        openHelpPage (supportAddress);
    else if (button == forumButton.get())
        openHelpPage (forumAddress);
    else if (button == transmitButton.get() && receiveMode == 1 && DeviceRules::isFootController (deviceModel))
        showQMR303BackupWindow();
    else if (button == transmitButton.get() && receiveMode == 0)
        transmit();
    else if (button == browseButton.get() && receiveMode == 0)
        chooseFileToSend ({});
    else if (button == showFolder.get())
        showSendFileFolder();
}

bool MorvaneDialog::isReceiveRoadBuilt() const
{
    return Roads::backup || (Roads::footControllerDump && DeviceRules::isFootController (deviceModel));
}

void MorvaneDialog::showQMR303BackupWindow()
{
    if (qmr303Component == nullptr)
        qmr303Component = std::make_unique<QMR303BackupComponent> (*this, link, dialogs);

    qmr303Component->rebuild();

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = "QMR-303 Create Backup";
    options.dialogBackgroundColour = juce::Colour (0xffd3d3d3);
    options.content.setNonOwned (qmr303Component.get());
    options.componentToCentreAround = getParentComponent();
    options.escapeKeyTriggersCloseButton = false;
    options.useNativeTitleBar = false;
    options.resizable = false;
    options.runModal();

    // Closed by its title bar's button: the same as Cancel.
    qmr303Component->cancelDump();
}

void MorvaneDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (receiveThread != nullptr && source == receiveThread.get())
        handleReceiveResult (receiveThread->getResult());

    if (firmwareOffer != nullptr && firmwareOffer->isSource (source))
        onFirmwareDownloadFinished();

    // The send dialog, the backup dialogs and the firmware update arrive with their roads.
}

void MorvaneDialog::timerCallback (int timerId)
{
    switch (timerId)
    {
        case ConsoleTimers::logoTimer:
            glimEyes->setVisible (false);
            stopTimer (ConsoleTimers::logoTimer);
            break;

        case ConsoleTimers::transferPollTimer:
            sendRoad->poll();
            break;

        case ConsoleTimers::firmwareNotice4:
        case ConsoleTimers::firmwareNotice5:
            showFirmwareNotice (timerId);
            break;

        case ConsoleTimers::devicePollTimer:
            pollDeviceInfo();
            break;

        default:
            stopTimer (timerId);
            break;
    }
}

void MorvaneDialog::mouseDown (const juce::MouseEvent& event)
{
    auto* clicked = event.eventComponent;

    if (clicked == deviceLabel.get())
    {
        if (deviceSelector->isEnabled() && deviceLabel->isEnabled())
        {
            showDeviceMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == inputPortLabel.get())
    {
        if (inputSelector->isEnabled() && inputPortLabel->isEnabled())
        {
            showInputPortMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == outputPortLabel.get())
    {
        if (outputSelector->isEnabled() && outputPortLabel->isEnabled())
        {
            showOutputPortMenu();
            updatePageVisibility();
        }
    }
    else if (clicked == firmwareLinkLabel.get())
    {
        showFirmwareUpdateWindow();
    }
    // The send dialog's fields arrive with the send road.
}

bool MorvaneDialog::keyPressed (const juce::KeyPress&, juce::Component*)
{
    return true;
}

void MorvaneDialog::sliderValueChanged (juce::Slider* slider)
{
    if (slider != bufferDelaySlider.get())
        return;

    bufferDelay = (int) slider->getValue();

    if (link != nullptr)
        link->getMultiMsgTimer().setInterval ((juce::uint32) juce::jlimit (0, 1000, bufferDelay));
}

bool MorvaneDialog::isInterestedInFileDrag (const juce::StringArray&)
{
    return Roads::sendFile;
}

void MorvaneDialog::filesDropped (const juce::StringArray& files, int x, int y)
{
    if (files.isEmpty() || receiveMode != 0 || ! SysExFileCheck::isInDropArea (x, y))
        return;

    const bool bothPorts = inputPortOk && outputPortOk && DeviceRules::needsBothPorts (deviceModel);
    const bool outputOnly = outputPortOk && DeviceRules::usesOnePort (deviceModel);

    if ((bothPorts || outputOnly) && ! controlsLocked)
        chooseFileToSend (juce::File (files[0]));
}

//==============================================================================
bool MorvaneDialog::chooseFileToSend (const juce::File& chosen)
{
    auto file = chosen;

    if (file == juce::File())
    {
        file = dialogs.chooseFileToOpen ("Select a file...", juce::File (settings.getSendFolder()), "*.syx");

        if (! file.existsAsFile())
            return false;
    }

    setSendDirectory (file.getParentDirectory().getFullPathName());

    // A file far larger than any of the maker's is refused before it is read.
    if (file.getSize() > SysExFileCheck::maxFileBytes)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", SysExFileCheck::tooLargeText());
        return false;
    }

    juce::MemoryBlock data;

    if (! file.loadFileAsData (data) || ! loadFileToSend (data, file.getFullPathName(), file.getFileName()))
        return false;

    firmwareInMemory = false;
    return true;
}

bool MorvaneDialog::loadFileToSend (const juce::MemoryBlock& data, const juce::String& path, const juce::String& shownText)
{
    if (! SysExFileCheck::accepts (data, deviceModel, queries->getFirmwareVersion().major))
    {
        reportUnsupportedFile (data);
        return false;
    }

    filePath = path;
    loadedData = data;
    fileLoaded = true;

    if (receiveMode == 0)
    {
        fileField->setText (shownText, true);
        fileField->setTooltip (path.isNotEmpty() ? path : shownText);
    }

    updatePageVisibility();
    pollDeviceInfo();
    return true;
}

bool MorvaneDialog::checkSysExFile (const juce::MemoryBlock& data) const
{
    return SysExFileCheck::checkSysExFile (data, deviceModel, queries->getFirmwareVersion().major);
}

void MorvaneDialog::reportUnsupportedFile (const juce::MemoryBlock& data)
{
    dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", SysExFileCheck::refusalText (data, deviceModel));
}

PayloadKind MorvaneDialog::classifySysExFile (const juce::MemoryBlock& data)
{
    return SysExFileCheck::classify (data, deviceModel, fileCounts);
}

bool MorvaneDialog::sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description)
{
    if (isSendRunning() || ! loadFileToSend (image, {}, description))
        return false;

    firmwareInMemory = true;
    loadedFileText = description;
    transmit();
    return isSendRunning();
}

void MorvaneDialog::transmit()
{
    if (! fileLoaded || isSendRunning())
        return;

    payloadKind = classifySysExFile (loadedData);

    if (deviceModel != DeviceRules::utilityModel && ! checkSysExFile (loadedData))
    {
        reportUnsupportedFile (loadedData);
        return;
    }

    const auto& version = queries->getFirmwareVersion();
    const auto gate = SendPlan::gateFor (deviceModel, payloadKind, version.major);
    SendPlan::Choices choices;

    if (gate == SendPlan::Gate::notSent)
        return;

    if (gate == SendPlan::Gate::optionsFirst)
    {
        if (runSendOptions (payloadKind) != 1)
            return;

        choices = sendDialog->getChoices();
    }

    const SendPlan::Device device { deviceModel, version, queries->getSystemInfo() };
    const auto plan = SendPlan::prepare (loadedData, payloadKind, device, choices);

    if (plan.errorText.isNotEmpty())
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", plan.errorText);
    else if (plan.send)
        sendRoad->sendFile (plan, payloadKind, deviceModel, bufferDelay);
}

int MorvaneDialog::runSendOptions (PayloadKind kind)
{
    SendOptionsDialog::Setup setup;
    setup.kind = kind;
    setup.deviceModel = deviceModel;
    setup.version = queries->getFirmwareVersion();
    setup.userCabCount = queries->getUserCabCount();
    setup.presetCount = fileCounts.presetMessageCount;
    setup.cabCount = fileCounts.cabMessageCount;
    setup.fileText = fileField->getText();
    setup.outputPortText = outputPortLabel->getText();
    setup.displayOffset = queries->getDisplayOffset();
    setup.queryDisplayOffset = [this] { return queries->queryDisplayOffset() ? (int) queries->getDisplayOffset() : -1; };

    sendDialog.reset();
    sendDialog = std::make_unique<SendOptionsDialog> (skinManager, dialogs, setup);

    if (sendOptionsRunner != nullptr)
        return sendOptionsRunner (*sendDialog);

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = sendDialog->getContent().title;
    options.dialogBackgroundColour = juce::Colour (0xffd3d3d3);
    options.content.setNonOwned (sendDialog.get());
    options.componentToCentreAround = this;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;

    std::unique_ptr<juce::DialogWindow> window (options.create());
    auto* windowToEnd = window.get();
    sendDialog->onFinished = [windowToEnd] (int result) { windowToEnd->exitModalState (result); };
    const int result = window->runModalLoop();
    sendDialog->onFinished = nullptr;
    return result;
}

//==============================================================================
// What the send road asks of the page.

void MorvaneDialog::transferStarted()
{
    stopTimer (ConsoleTimers::devicePollTimer);
    setControlsEnabled (false);
    check3->setVisible (true);
    startTimer (ConsoleTimers::transferPollTimer, ConsoleTimers::transferPollPeriodMs);
}

void MorvaneDialog::stopTransferPoll()
{
    stopTimer (ConsoleTimers::transferPollTimer);
}

void MorvaneDialog::unlockPage()
{
    restartDevicePoll();
    setControlsEnabled (true);
    resetReceivePage();
}

void MorvaneDialog::showProgress (double value, bool withPercentage)
{
    transferProgress = value;
    progressBar->setProgress (value);
    progressBar->setPercentageDisplay (withPercentage);
}

void MorvaneDialog::showStatus (const juce::String& text)
{
    progressLabel->setText (text, juce::dontSendNotification);
}

void MorvaneDialog::scheduleFirmwareNotice (int delayMs)
{
    startTimer (ConsoleTimers::firmwareNotice4, delayMs);
}

void MorvaneDialog::setCancelEnabled (bool enabled)
{
    cancelButton->setEnabled (enabled);
}

//==============================================================================
bool MorvaneDialog::updateFirmwareLink()
{
    const auto& version = queries->getFirmwareVersion();
    const int result = firmwareOffer->check (deviceModel, (int) version.major, (int) version.minor,
                                             queries->getFirmwareVersionText(), settings.getFile());
    const auto labels = firmwareOffer->labelsFor (result);
    const bool sendPage = receiveMode == 0;

    using Action = FirmwareOffer::Labels::Action;

    switch (labels.action)
    {
        case Action::show:
        case Action::showIfOffered:
        {
            const bool shown = labels.action == Action::show || firmwareOffered;
            firmwareTextLabel->setText (labels.text, juce::dontSendNotification);
            firmwareLinkLabel->setText (labels.link, juce::dontSendNotification);
            firmwareOfferShown = shown;
            firmwareTextLabel->setVisible (shown && sendPage);
            firmwareLinkLabel->setVisible (shown && sendPage);
            return labels.action == Action::show;
        }

        case Action::hide:
            firmwareOffered = false;
            firmwareOfferShown = false;
            firmwareTextLabel->setText ({}, juce::dontSendNotification);
            firmwareLinkLabel->setText ({}, juce::dontSendNotification);
            firmwareTextLabel->setVisible (false);
            firmwareLinkLabel->setVisible (false);
            return false;

        case Action::leave:
            break;
    }

    // A check skipped while a download runs keeps the offer that is being taken up.
    return result < 0 && firmwareOffered;
}

void MorvaneDialog::showFirmwareUpdateWindow()
{
    if (firmwareLinkLabel->isEnabled() && firmwareLinkLabel->isVisible())
        firmwareOffer->showWindowAndDownload (this);
}

void MorvaneDialog::onFirmwareDownloadFinished()
{
    juce::MemoryBlock image;
    PayloadKind kind = PayloadKinds::notSendable;
    juce::String problem;

    switch (firmwareOffer->takeDownload (deviceModel, image, kind, problem))
    {
        case FirmwareOffer::Outcome::taken:
            loadedData = std::move (image);
            payloadKind = kind;
            firmwareInMemory = true;
            filePath = {};
            loadedFileText = FirmwareOffer::describeDownload (deviceModel, firmwareOffer->getVersionText());
            fileField->setText (loadedFileText, false);
            fileLoaded = true;
            updatePageVisibility();
            transmit();   // downloaded firmware is sent at once
            break;

        case FirmwareOffer::Outcome::cancelled:
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", "Update canceled.");
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
    const auto text = ! fileLoaded ? juce::String() : (firmwareInMemory ? loadedFileText : filePath);

    switch (FirmwareOffer::folderActionFor (text, firmwareInMemory))
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
                         FirmwareOffer::noticeText (deviceModel, payloadKind, successText));
    progressBar->setPercentageDisplay (true);
    progressBar->repaint();
    restartDevicePoll();
    setControlsEnabled (true);
    resetReceivePage();
}
