#include "ConsoleSendPage.h"

#include "MorvaneDialog.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "SendOptionsDialog.h"
#include "SendFileIntake.h"
#include "SendPlan.h"
#include "SendRoad.h"
#include "SysExFileCheck.h"
#include "UserDialogs.h"


ConsoleSendPage::ConsoleSendPage (MorvaneDialog& console)
    : c (console)
{
}

void ConsoleSendPage::filesDropped (const juce::StringArray& files, int x, int y)
{
    if (files.isEmpty() || c.receiveMode != 0 || ! SysExFileCheck::isInDropArea (x, y))
        return;

    const bool bothPorts = c.inputPortOk && c.outputPortOk && DeviceRules::needsBothPorts (c.deviceModel);
    const bool outputOnly = c.outputPortOk && DeviceRules::usesOnePort (c.deviceModel);

    if ((bothPorts || outputOnly) && ! c.controlsLocked)
        chooseFileToSend (juce::File (files[0]));
}

bool ConsoleSendPage::chooseFileToSend (const juce::File& chosen)
{
    auto file = chosen;

    if (file == juce::File())
    {
        file = c.dialogs.chooseFileToOpen ("Select a file...", juce::File (c.settings.getSendFolder()), "*.syx");

        if (file == juce::File())
            return false;
    }

    c.setSendDirectory (file.getParentDirectory().getFullPathName());

    // Only an ordinary file of a sendable size is read; every other path is refused with its reason.
    const auto intake = SendFileIntake::read (file, SysExFileCheck::maxFileBytes);

    if (! intake.isAccepted())
    {
        c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", intake.getText());
        return false;
    }

    if (! loadFileToSend (intake.data, file.getFullPathName(), file.getFileName()))
        return false;

    c.firmwareInMemory = false;
    return true;
}

bool ConsoleSendPage::loadFileToSend (const juce::MemoryBlock& data, const juce::String& path, const juce::String& shownText)
{
    if (! SysExFileCheck::accepts (data, c.deviceModel, c.queries->getFirmwareVersion().major))
    {
        reportUnsupportedFile (data);
        return false;
    }

    c.filePath = path;
    c.loadedData = data;
    c.fileLoaded = true;

    if (c.receiveMode == 0)
    {
        c.fileField->setText (shownText, true);
        c.fileField->setTooltip (path.isNotEmpty() ? path : shownText);
    }

    c.updatePageVisibility();

    // BEGIN is usable at once, not only from the next device poll.
    if (c.receiveMode == 0 && ! c.controlsLocked && c.isConnectedForModel())
    {
        c.transmitButton->setEnabled (true);
        c.cancelButton->setEnabled (true);
    }

    return true;
}

bool ConsoleSendPage::checkSysExFile (const juce::MemoryBlock& data) const
{
    return SysExFileCheck::checkSysExFile (data, c.deviceModel, c.queries->getFirmwareVersion().major);
}

void ConsoleSendPage::reportUnsupportedFile (const juce::MemoryBlock& data)
{
    c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", SysExFileCheck::refusalText (data, c.deviceModel));
}

PayloadKind ConsoleSendPage::classifySysExFile (const juce::MemoryBlock& data)
{
    return SysExFileCheck::classify (data, c.deviceModel, c.fileCounts);
}

bool ConsoleSendPage::sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description)
{
    if (c.isSendRunning() || ! loadFileToSend (image, {}, description))
        return false;

    c.firmwareInMemory = true;
    c.loadedFileText = description;
    transmit();
    return c.isSendRunning();
}

void ConsoleSendPage::transmit()
{
    if (! c.fileLoaded || c.isSendRunning())
        return;

    c.payloadKind = classifySysExFile (c.loadedData);

    if (c.deviceModel != DeviceRules::utilityModel && ! checkSysExFile (c.loadedData))
    {
        reportUnsupportedFile (c.loadedData);
        return;
    }

    const auto& version = c.queries->getFirmwareVersion();
    const auto gate = SendPlan::gateFor (c.deviceModel, c.payloadKind, version.major);
    SendPlan::Choices choices;

    if (gate == SendPlan::Gate::notSent)
        return;

    if (gate == SendPlan::Gate::optionsFirst)
    {
        if (runSendOptions (c.payloadKind) != 1)
            return;

        choices = c.sendDialog->getChoices();
    }

    const SendPlan::Device device { c.deviceModel, version, c.queries->getSystemInfo() };
    const auto plan = SendPlan::prepare (c.loadedData, c.payloadKind, device, choices);

    if (plan.errorText.isNotEmpty())
        c.dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", plan.errorText);
    else if (plan.send)
        c.sendRoad->sendFile (plan, c.payloadKind, c.deviceModel, c.bufferDelay);
}

int ConsoleSendPage::runSendOptions (PayloadKind kind)
{
    SendOptionsDialog::Setup setup;
    setup.kind = kind;
    setup.deviceModel = c.deviceModel;
    setup.version = c.queries->getFirmwareVersion();
    setup.userCabCount = c.queries->getUserCabCount();
    setup.presetCount = c.fileCounts.presetMessageCount;
    setup.cabCount = c.fileCounts.cabMessageCount;
    setup.fileText = c.fileField->getText();
    setup.outputPortText = c.outputPortLabel->getText();
    setup.displayOffset = c.queries->getDisplayOffset();
    setup.queryDisplayOffset = [this] { return c.queries->queryDisplayOffset() ? (int) c.queries->getDisplayOffset() : -1; };

    c.sendDialog.reset();
    c.sendDialog = std::make_unique<SendOptionsDialog> (c.skinManager, c.dialogs, setup);

    if (c.sendOptionsRunner != nullptr)
        return c.sendOptionsRunner (*c.sendDialog);

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = c.sendDialog->getContent().title;
    options.dialogBackgroundColour = juce::Colour (0xffd3d3d3);
    options.content.setNonOwned (c.sendDialog.get());
    options.componentToCentreAround = &c;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;

    std::unique_ptr<juce::DialogWindow> window (options.create());
    auto* windowToEnd = window.get();
    c.sendDialog->onFinished = [windowToEnd] (int result) { windowToEnd->exitModalState (result); };
    const int result = window->runModalLoop();
    c.sendDialog->onFinished = nullptr;
    return result;
}
