#include "ConsolePage.h"

#include "ConsolePortPickers.h"
#include "ConsoleSettings.h"
#include "ConsoleTransferView.h"
#include "ConsoleWidgets.h"
#include "DeviceRules.h"
#include "MidiProcessing.h"
#include "SendFile.h"
#include "TPXDrawableButton.h"
#include "UserDialogs.h"

namespace
{
void setEnabledIf (juce::Component* component, bool enabled)
{
    if (component != nullptr)
        component->setEnabled (enabled);
}
} // namespace

ConsolePage::ConsolePage (Console console)
    : c (std::move (console))
{
}

void ConsolePage::reset()
{
    receiveMode = 0;
    receiveFolderChosen = controlsLocked = false;
    receiveFolder.clear();
}

void ConsolePage::takeStoredReceiveFolder (const juce::String& path)
{
    receiveFolder = path;
    receiveFolderChosen = true;
}

void ConsolePage::updatePageVisibility()
{
    const auto s = c.state();
    const bool receivePage = receiveMode == 1;
    const bool utility = s.deviceModel == DeviceRules::utilityModel;

    if (controlsLocked)
        c.ports.setPortControlsEnabled (false, false);
    else if (s.deviceChosen)
        c.ports.setPortControlsEnabled (DeviceRules::inputSelectorEnabled (s.deviceModel, receivePage),
                                        DeviceRules::outputSelectorEnabled (s.deviceModel, receivePage));
    else
        c.ports.setPortControlsEnabled (false, false);

    const bool ready = DeviceRules::isLinkReady (s.deviceModel, s.inputOk, s.outputOk, receivePage);
    const bool firmwareOffered = currentControls().connected && ! utility && ! receivePage && s.firmwareOfferShown;

    c.ui.firmwareTextLabel->setVisible (firmwareOffered);
    c.ui.firmwareLinkLabel->setVisible (firmwareOffered);

    if (ready && ! utility && receivePage)
        c.ui.receiveBrowseLabel->setVisible (! receiveFolderChosen);

    showControls();

    c.view.setInvitationWanted (DeviceRules::showsReceiveBegin (s.deviceModel, s.inputOk, s.outputOk,
                                                                receiveFolderChosen, receivePage));
}

ConsoleState::Controls ConsolePage::currentControls() const
{
    const auto s = c.state();
    const bool receivePage = receiveMode == 1;

    ConsoleState::Link link;
    link.model = s.deviceModel;
    link.deviceChosen = s.deviceChosen;
    link.inputOpen = s.inputOk;
    link.outputOpen = s.outputOk;
    link.reached = isConnectedForModel() && arePortsPresent();
    link.answered = s.answered;

    ConsoleState::Page page;
    page.receivePage = receivePage;
    page.hasWhatBeginNeeds = receivePage ? receiveFolderChosen : c.sendFile.isLoaded();
    page.locked = controlsLocked;

    return ConsoleState::controlsFor (link, page);
}

void ConsolePage::showControls()
{
    const auto shown = currentControls();

    c.ui.browseButton->setEnabled (shown.browse);
    c.ui.fileField->setEnabled (shown.browse);
    setEnabledIf (c.ui.showFolder.get(), shown.browse);
    c.ui.transmitButton->setEnabled (shown.begin);

    // The connection's label and the ports' marks show only a device that counts as connected.
    c.ui.connectedLabel->setVisible (shown.connected && ConsoleState::mustAnswer (c.state().deviceModel));
    c.ui.inputCheck->setVisible (shown.connected && c.ports.isPresent (ConsolePorts::Direction::input));
    c.ui.outputCheck->setVisible (shown.connected && c.ports.isPresent (ConsolePorts::Direction::output));
    c.ports.showPortPresence();
}

bool ConsolePage::arePortsPresent() const
{
    const auto s = c.state();
    return DeviceRules::isLinkReady (s.deviceModel, c.ports.isPresent (ConsolePorts::Direction::input),
                                     c.ports.isPresent (ConsolePorts::Direction::output), receiveMode == 1);
}

bool ConsolePage::isConnectedForModel() const
{
    if (c.link == nullptr)
        return false;

    const int model = c.state().deviceModel;

    if (DeviceRules::needsBothPorts (model))
        return c.link->areConnected (true, true);

    if (DeviceRules::usesOnePort (model))
        return receiveMode == 1 ? c.link->isInputConnected() == 1 : c.link->isOutputConnected() == 1;

    return false;
}

void ConsolePage::setControlsEnabled (bool enabled)
{
    controlsLocked = ! enabled;
    const bool receivePage = receiveMode == 1;
    showControls();

    c.ui.sendTabButton->setEnabled (enabled);
    c.ui.receiveTabButton->setEnabled (enabled);
    c.ui.deviceLabel->setEnabled (enabled);
    c.ui.deviceSelector->setEnabled (enabled);

    // While work runs neither port may change, whatever the model: giving up a port stops the
    // link worker under a request in flight.
    const auto s = c.state();

    if (! enabled)
        c.ports.setPortControlsEnabled (false, false);
    else if (s.deviceChosen)
        c.ports.setPortControlsEnabled (DeviceRules::inputSelectorEnabled (s.deviceModel, receivePage),
                                        DeviceRules::outputSelectorEnabled (s.deviceModel, receivePage));

    c.ui.firmwareLinkLabel->setEnabled (enabled);
}

void ConsolePage::showReceivePage()
{
    receiveMode = 1;
    c.ui.receiveTabButton->setVisible (false);
    c.ui.receiveTabFocus->setVisible (true);
    c.ui.sendTabButton->setVisible (true);
    c.ui.sendTabFocus->setVisible (false);

    const int model = c.state().deviceModel;

    if (DeviceRules::isFootController (model))
    {
        c.ports.resetPort (ConsolePorts::Direction::input);
        c.ports.resetPort (ConsolePorts::Direction::output);
        updatePageVisibility();
    }
    else if (model == DeviceRules::utilityModel)
    {
        // The Utility cannot back anything up.
        c.ports.forgetDevice();
        updatePageVisibility();
    }

    c.ports.setBufferDelayEnabled (false);
    c.ui.firmwareTextLabel->setVisible (false);
    c.ui.firmwareLinkLabel->setVisible (false);
    c.view.clearEnding();
    c.view.setInvitationWanted (receiveFolderChosen);

    if (receiveFolderChosen)
    {
        c.ui.fileField->setText (receiveFolder);
        c.ui.fileField->setTooltip (receiveFolder);
    }
    else
    {
        c.ui.fileField->clear();
        c.ui.fileField->setTooltip ({});

        if (c.state().deviceChosen)
            c.ui.receiveBrowseLabel->setVisible (true);
    }

    c.console.repaint();
}

void ConsolePage::showSendPage()
{
    receiveMode = 0;
    c.ui.sendTabFocus->setVisible (true);
    c.ui.receiveTabButton->setVisible (true);
    c.ui.sendTabButton->setVisible (false);
    c.ui.receiveTabFocus->setVisible (false);

    if (DeviceRules::isFootController (c.state().deviceModel))
    {
        c.ports.resetPort (ConsolePorts::Direction::input);
        c.ports.resetPort (ConsolePorts::Direction::output);
        updatePageVisibility();

        const auto s = c.state();

        if (s.deviceModel == 2 && s.deviceChosen && s.outputOk)
            c.ports.setBufferDelayEnabled (true);
    }

    c.ui.receiveBrowseLabel->setVisible (false);
    c.view.clearEnding();
    c.view.setInvitationWanted (false);

    if (c.sendFile.isLoaded())
    {
        c.ui.fileField->setText (c.sendFile.getShownText());
        c.ui.fileField->setTooltip (c.sendFile.getLinkText());
    }
    else
    {
        c.ui.fileField->clear();
        c.ui.fileField->setTooltip ({});
    }

    const auto s = c.state();

    if (s.deviceChosen && s.inputOk && s.outputOk && s.firmwareOfferShown)
    {
        c.ui.firmwareTextLabel->setVisible (true);
        c.ui.firmwareLinkLabel->setVisible (true);
    }

    c.console.repaint();
}

//==============================================================================
void ConsolePage::browseReceiveFolder()
{
    const auto chosen = c.dialogs.chooseFolder ("Choose save location", juce::File (c.settings.getStoredReceiveFolder()));

    if (chosen != juce::File())
        setReceiveFolder (chosen.getFullPathName());
}

void ConsolePage::setReceiveFolder (const juce::String& path)
{
    if (path.isEmpty() || ! juce::File (path).isDirectory())
        return;

    // Another folder: how the last backup ended no longer belongs on the page.
    c.view.clearEnding();

    receiveFolder = path;
    c.settings.setReceiveDirectory (path);
    receiveFolderChosen = true;
    c.ui.fileField->setText (path);
    updatePageVisibility();
}

bool ConsolePage::canTakeDrag (const juce::StringArray& files)
{
    return refusalFor (files).isEmpty();
}

bool ConsolePage::takesEveryDrag() noexcept
{
   #if JUCE_LINUX || JUCE_BSD
    return true;
   #else
    return false;
   #endif
}

juce::String ConsolePage::refusalOfMissing (const juce::StringArray& files)
{
    if (files.isEmpty())
        return "Nothing was dropped.";

    // Only a full path names a file or a folder.
    if (! juce::File::isAbsolutePath (files[0]) || ! juce::File (files[0]).exists())
        return "\"" + files[0] + "\" could not be found.";

    return {};
}

juce::String ConsolePage::refusalFor (const juce::StringArray& files)
{
    if (const auto missing = refusalOfMissing (files); missing.isNotEmpty())
        return missing;

    const juce::File dropped (files[0]);

    if (! dropped.isDirectory())
        return "\"" + dropped.getFileName() + "\" is not a folder. Only a folder can be chosen for the backups.";

    return {};
}

void ConsolePage::receiveFolderDropped (const juce::StringArray& files)
{
    if (files.isEmpty())
        return;

    if (const auto refusal = refusalFor (files); refusal.isNotEmpty())
    {
        c.view.tell (Severity::info, refusal);
        return;
    }

    if (controlsLocked)
    {
        c.view.tell (Severity::info, busyDropText);
        return;
    }

    // A drop chooses the folder as BROWSE does, and is taken when BROWSE would be offered.
    if (currentControls().connected)
        setReceiveFolder (files[0]);
    else
        c.view.tell (Severity::info, "Choose the device and its MIDI ports before dropping a folder for the backups.");
}
