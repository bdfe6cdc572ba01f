#include "ConsoleSendPage.h"

#include "MorvaneDialog.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "SendOptionsDialog.h"
#include "SendFile.h"
#include "SendPlan.h"
#include "SendRoad.h"
#include "SkinnedDialogWindow.h"
#include "SysExFileCheck.h"
#include "Transfers.h"
#include "UserDialogs.h"


ConsoleSendPage::ConsoleSendPage (MorvaneDialog& console)
    : c (console)
{
}

bool ConsoleSendPage::canTakeDrag (const juce::StringArray& files)
{
    return ! files.isEmpty() && juce::File::isAbsolutePath (files[0]) && juce::File (files[0]).existsAsFile();
}

void ConsoleSendPage::filesDropped (const juce::StringArray& files, int x, int y)
{
    if (files.isEmpty() || c.receiveMode != 0 || ! SysExFileCheck::isInDropArea (x, y) || c.controlsLocked)
        return;

    const juce::File dropped (files[0]);

    if (! canTakeDrag (files))
        return;

    if (! dropped.hasFileExtension ("syx"))
    {
        c.tell (Severity::info, "\"" + dropped.getFileName() + "\" is not a .syx file. Only .syx files can be sent.");
        return;
    }

    const bool bothPorts = c.isInputOk() && c.isOutputOk() && DeviceRules::needsBothPorts (c.getDeviceModel());
    const bool outputOnly = c.isOutputOk() && DeviceRules::usesOnePort (c.getDeviceModel());

    if (bothPorts || outputOnly)
        chooseFileToSend (dropped);
    else
        c.tell (Severity::info, "Choose the device and its MIDI ports before dropping a file to send.");
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

    if (! c.sendFile->takeFile (file, c.getDeviceModel(), c.queries->getFirmwareVersion().major))
        return false;

    showLoadedFile();
    return true;
}

void ConsoleSendPage::showLoadedFile()
{
    if (c.receiveMode == 0)
    {
        c.ui.fileField->setText (c.sendFile->getShownText(), true);
        c.ui.fileField->setTooltip (c.sendFile->getLinkText());
    }

    c.updatePageVisibility();

    // BEGIN is usable at once, not only from the next device poll.
    if (c.receiveMode == 0 && ! c.controlsLocked && c.isConnectedForModel())
    {
        c.ui.transmitButton->setEnabled (true);
        c.ui.cancelButton->setEnabled (true);
    }
}

bool ConsoleSendPage::sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description)
{
    if (c.transfers->isSendRunning()
        || ! c.sendFile->takeImage (image, description, c.getDeviceModel(), c.queries->getFirmwareVersion().major))
        return false;

    showLoadedFile();
    transmit();
    return c.transfers->isSendRunning();
}

void ConsoleSendPage::transmit()
{
    if (! c.sendFile->isLoaded() || c.transfers->isSendRunning())
        return;

    const auto& version = c.queries->getFirmwareVersion();
    const auto kind = c.sendFile->classify (c.getDeviceModel());

    if (! c.sendFile->check (c.getDeviceModel(), version.major))
        return;

    const auto gate = SendPlan::gateFor (c.getDeviceModel(), kind, version.major);
    SendPlan::Choices choices;

    if (gate == SendPlan::Gate::notSent)
        return;

    if (gate == SendPlan::Gate::optionsFirst)
    {
        if (runSendOptions (kind) != 1)
            return;

        choices = c.sendDialog->getChoices();
    }

    const SendPlan::Device device { c.getDeviceModel(), version, c.queries->getSystemInfo() };
    const auto plan = SendPlan::prepare (c.sendFile->getData(), kind, device, choices);

    if (plan.errorText.isNotEmpty())
        c.tell (Severity::warning, plan.errorText);
    else if (plan.send)
        c.sendRoad->sendFile (plan, kind, c.getDeviceModel(), c.bufferDelay);
}

int ConsoleSendPage::runSendOptions (PayloadKind kind)
{
    SendOptionsDialog::Setup setup;
    setup.kind = kind;
    setup.deviceModel = c.getDeviceModel();
    setup.version = c.queries->getFirmwareVersion();
    setup.userCabCount = c.queries->getUserCabCount();
    setup.presetCount = c.sendFile->getCounts().presetMessageCount;
    setup.cabCount = c.sendFile->getCounts().cabMessageCount;
    setup.fileText = c.ui.fileField->getText();
    setup.outputPortText = c.ui.outputPortLabel->getText();
    setup.displayOffset = c.queries->getDisplayOffset();
    setup.queryDisplayOffset = [this] { return c.queries->queryDisplayOffset() ? (int) c.queries->getDisplayOffset() : -1; };

    c.sendDialog.reset();
    c.sendDialog = std::make_unique<SendOptionsDialog> (c.skinManager, c.dialogs, setup);

    if (c.sendOptionsRunner != nullptr)
        return c.sendOptionsRunner (*c.sendDialog);

    auto* dialog = c.sendDialog.get();
    dialog->onFinished = [dialog] (int result)
    {
        if (auto* window = dialog->findParentComponentOfClass<juce::DialogWindow>())
            window->exitModalState (result);
    };

    const int result = SkinnedDialogWindow::runModal (dialog->getContent().title, *dialog, &c);
    c.sendDialog->onFinished = nullptr;
    return result;
}
