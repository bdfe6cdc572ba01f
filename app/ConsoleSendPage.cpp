#include "ConsoleSendPage.h"

#include "ConsolePage.h"
#include "ConsoleSettings.h"
#include "ConsoleWidgets.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "SendOptionsDialog.h"
#include "SendFile.h"
#include "SendPlan.h"
#include "SendRoad.h"
#include "SkinnedDialogWindow.h"
#include "ConsoleTransferView.h"
#include "Transfers.h"
#include "UserDialogs.h"


ConsoleSendPage::ConsoleSendPage (Console console)
    : c (std::move (console))
{
}

ConsoleSendPage::~ConsoleSendPage() = default;

bool ConsoleSendPage::canTakeDrag (const juce::StringArray& files)
{
    return refusalFor (files).isEmpty();
}

juce::String ConsoleSendPage::refusalFor (const juce::StringArray& files)
{
    if (const auto missing = ConsolePage::refusalOfMissing (files); missing.isNotEmpty())
        return missing;

    const juce::File dropped (files[0]);

    if (dropped.isDirectory())
        return "\"" + dropped.getFileName() + "\" is a folder, and a folder cannot be sent. Only .syx files can be sent.";

    if (! dropped.hasFileExtension ("syx"))
        return "\"" + dropped.getFileName() + "\" is not a .syx file. Only .syx files can be sent.";

    return {};
}

void ConsoleSendPage::filesDropped (const juce::StringArray& files)
{
    const auto state = c.state();

    if (files.isEmpty() || ! state.sendPage)
        return;

    if (const auto refusal = refusalFor (files); refusal.isNotEmpty())
    {
        c.view.tell (Severity::info, refusal);
        return;
    }

    if (state.locked)
    {
        c.view.tell (Severity::info, ConsolePage::busyDropText);
        return;
    }

    // A drop chooses a file as BROWSE does, and is taken when BROWSE would be offered.
    if (state.connected)
        chooseFileToSend (juce::File (files[0]));
    else
        c.view.tell (Severity::info, "Choose the device and its MIDI ports before dropping a file to send.");
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

    c.settings.setSendDirectory (file.getParentDirectory().getFullPathName());

    if (! c.transfers.getSendFile().takeFile (file, c.state().deviceModel, c.transfers.getQueries().getFirmwareVersion().major))
        return false;

    showLoadedFile();
    return true;
}

void ConsoleSendPage::showLoadedFile()
{
    if (c.state().sendPage)
    {
        c.ui.fileField->setText (c.transfers.getSendFile().getShownText());
        c.ui.fileField->setTooltip (c.transfers.getSendFile().getLinkText());
    }

    // Another file: how the last send ended no longer belongs on the page. BEGIN follows at once.
    c.view.clearEnding();
    c.pageChanged();
}

bool ConsoleSendPage::sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description)
{
    if (c.transfers.isSendRunning()
        || ! c.transfers.getSendFile().takeImage (image, description, c.state().deviceModel, c.transfers.getQueries().getFirmwareVersion().major))
        return false;

    showLoadedFile();
    transmit();
    return c.transfers.isSendRunning();
}

void ConsoleSendPage::transmit()
{
    if (! c.transfers.getSendFile().isLoaded() || c.transfers.isSendRunning())
        return;

    const auto state = c.state();

    // A new attempt: no earlier ending stays under what this one tells, even when it is refused.
    c.view.clearEnding();

    const auto& version = c.transfers.getQueries().getFirmwareVersion();
    const auto kind = c.transfers.getSendFile().classify (state.deviceModel);

    if (! c.transfers.getSendFile().check (state.deviceModel, version.major))
        return;

    const auto gate = SendPlan::gateFor (state.deviceModel, kind, version.major);
    SendPlan::Choices choices;

    if (gate == SendPlan::Gate::notSent)
        return;

    if (gate == SendPlan::Gate::optionsFirst)
    {
        if (runSendOptions (kind) != 1)
            return;

        choices = sendDialog->getChoices();
    }

    const SendPlan::Device device { state.deviceModel, version, c.transfers.getQueries().getSystemInfo() };
    const auto plan = SendPlan::prepare (c.transfers.getSendFile().getData(), kind, device, choices);

    if (plan.errorText.isNotEmpty())
    {
        c.view.showEnding ({ TransferEnding::Kind::refused, {}, 0.0, false });
        c.view.tell (Severity::warning, plan.errorText);
    }
    else if (plan.send)
        c.transfers.getSendRoad().sendFile (plan, kind, state.deviceModel, state.bufferDelay);
}

int ConsoleSendPage::runSendOptions (PayloadKind kind)
{
    SendOptionsDialog::Setup setup;
    setup.kind = kind;
    setup.deviceModel = c.state().deviceModel;
    setup.version = c.transfers.getQueries().getFirmwareVersion();
    setup.userCabCount = c.transfers.getQueries().getUserCabCount();
    setup.presetCount = c.transfers.getSendFile().getCounts().presetMessageCount;
    setup.cabCount = c.transfers.getSendFile().getCounts().cabMessageCount;
    setup.fileText = c.ui.fileField->getText();
    setup.outputPortText = c.ui.outputPortLabel->getText();
    setup.displayOffset = c.transfers.getQueries().getDisplayOffset();
    setup.queryDisplayOffset = [this] { return c.transfers.getQueries().queryDisplayOffset() ? (int) c.transfers.getQueries().getDisplayOffset() : -1; };

    sendDialog.reset();
    sendDialog = std::make_unique<SendOptionsDialog> (c.skin, c.dialogs, setup);

    if (c.optionsRunner != nullptr)
        return c.optionsRunner (*sendDialog);

    auto* dialog = sendDialog.get();
    dialog->onFinished = [dialog] (int result)
    {
        if (auto* window = dialog->findParentComponentOfClass<juce::DialogWindow>())
            window->exitModalState (result);
    };

    const int result = SkinnedDialogWindow::runModal (dialog->getContent().title, *dialog, &c.centre);
    sendDialog->onFinished = nullptr;
    return result;
}
