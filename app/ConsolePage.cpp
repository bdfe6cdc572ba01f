#include "ConsolePage.h"

#include "MorvaneDialog.h"
#include "ConsolePortPickers.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "SendFile.h"
#include "SysExFileCheck.h"
#include "UserDialogs.h"
#include "MidiProcessing.h"
#include "TPXDrawableButton.h"
#include "TPXProgressBar.h"

namespace
{
const char* const selectDeviceText = "Select Device";
const char* const receiveBeginText = "Press BEGIN to select a backup type to receive.";
} // namespace

ConsolePage::ConsolePage (MorvaneDialog& console)
    : c (console)
{
}

void ConsolePage::updatePageVisibility()
{
    const bool receivePage = c.receiveMode == 1;
    const bool utility = c.getDeviceModel() == DeviceRules::utilityModel;

    if (c.controlsLocked)
        c.setPortControlsEnabled (false, false);
    else if (c.isDeviceChosen())
        c.setPortControlsEnabled (DeviceRules::inputSelectorEnabled (c.getDeviceModel(), receivePage),
                                  DeviceRules::outputSelectorEnabled (c.getDeviceModel(), receivePage));
    else
        c.setPortControlsEnabled (false, false);

    if (c.isDeviceChosen() && ! c.sendFile->isLoaded() && utility)
    {
        c.ui.firmwareTextLabel->setVisible (false);
        c.ui.firmwareLinkLabel->setVisible (false);
    }

    const bool ready = DeviceRules::isLinkReady (c.getDeviceModel(), c.isInputOk(), c.isOutputOk(), receivePage);
    if (ready)
    {
        if (! c.controlsLocked)
        {
            c.ui.browseButton->setEnabled (true);
            c.ui.fileField->setEnabled (true);
            c.setEnabledIf (c.ui.showFolder.get(), true);
        }

        if (! utility)
        {
            if (! receivePage)
            {
                c.ui.firmwareTextLabel->setVisible (c.firmwareOfferShown);
                c.ui.firmwareLinkLabel->setVisible (c.firmwareOfferShown);
            }
            else
            {
                c.ui.receiveBrowseLabel->setVisible (! c.receiveFolderChosen);
            }
        }
        else
        {
            c.ui.firmwareTextLabel->setVisible (false);
            c.ui.firmwareLinkLabel->setVisible (false);
        }
    }
    else
    {
        c.ui.browseButton->setEnabled (false);
        c.ui.fileField->setEnabled (false);
        c.setEnabledIf (c.ui.showFolder.get(), false);
        c.ui.firmwareTextLabel->setVisible (false);
        c.ui.firmwareLinkLabel->setVisible (false);
    }

    c.ui.receiveBeginLabel->setVisible (DeviceRules::showsReceiveBegin (c.getDeviceModel(), c.isInputOk(), c.isOutputOk(),
                                                                     c.receiveFolderChosen, receivePage));
}

bool ConsolePage::isConnectedForModel() const
{
    if (c.link == nullptr)
        return false;

    if (DeviceRules::needsBothPorts (c.getDeviceModel()))
        return c.link->areConnected (true, true);

    if (DeviceRules::usesOnePort (c.getDeviceModel()))
        return c.receiveMode == 1 ? c.link->isInputConnected() == 1 : c.link->isOutputConnected() == 1;

    return false;
}

void ConsolePage::resetReceivePage()
{
    c.ui.progressLabel->setText (c.receiveMode == 1 ? receiveBeginText : "", juce::dontSendNotification);
    c.ui.check3->setVisible (false);
    c.ui.progressBar->setProgress (0.0);
}

void ConsolePage::setControlsEnabled (bool enabled)
{
    c.controlsLocked = ! enabled;
    const bool receivePage = c.receiveMode == 1;
    c.ui.browseButton->setEnabled (enabled);
    c.setEnabledIf (c.ui.showFolder.get(), enabled);
    c.ui.transmitButton->setEnabled (enabled && (! receivePage || c.receiveFolderChosen));

    if (receivePage)
        c.ui.cancelButton->setEnabled (enabled);

    c.ui.sendTabButton->setEnabled (enabled);
    c.ui.receiveTabButton->setEnabled (enabled);
    c.ui.fileField->setEnabled (enabled);
    c.ui.deviceLabel->setEnabled (enabled);
    c.ui.deviceSelector->setEnabled (enabled);

    // While work runs neither port may change, whatever the model: giving up a port stops the
    // link worker under a request in flight.
    if (! enabled)
        c.setPortControlsEnabled (false, false);
    else if (c.isDeviceChosen())
        c.setPortControlsEnabled (DeviceRules::inputSelectorEnabled (c.getDeviceModel(), receivePage),
                                  DeviceRules::outputSelectorEnabled (c.getDeviceModel(), receivePage));

    c.ui.firmwareLinkLabel->setEnabled (enabled);
}

void ConsolePage::showReceivePage()
{
    c.receiveMode = 1;
    c.ui.receiveTabButton->setVisible (false);
    c.ui.receiveTabFocus->setVisible (true);
    c.ui.sendTabButton->setVisible (true);
    c.ui.sendTabFocus->setVisible (false);

    if (DeviceRules::isFootController (c.getDeviceModel()))
    {
        c.resetInputPort();
        c.resetOutputPort();
        updatePageVisibility();
    }
    else if (c.getDeviceModel() == DeviceRules::utilityModel)
    {
        // The Utility cannot back anything up.
        c.portChoice->forgetDevice();
        updatePageVisibility();
    }

    c.setBufferDelayEnabled (false);
    c.ui.firmwareTextLabel->setVisible (false);
    c.ui.firmwareLinkLabel->setVisible (false);

    if (c.receiveFolderChosen)
    {
        c.ui.fileField->setText (c.receiveFolder, false);
        c.ui.fileField->setTooltip (c.receiveFolder);
        c.ui.receiveBeginLabel->setVisible (true);
    }
    else
    {
        c.ui.fileField->clear();
        c.ui.fileField->setTooltip ({});

        if (c.isDeviceChosen())
            c.ui.receiveBrowseLabel->setVisible (true);
    }

    c.repaint();
}

void ConsolePage::showSendPage()
{
    c.receiveMode = 0;
    c.ui.sendTabFocus->setVisible (true);
    c.ui.receiveTabButton->setVisible (true);
    c.ui.sendTabButton->setVisible (false);
    c.ui.receiveTabFocus->setVisible (false);

    if (DeviceRules::isFootController (c.getDeviceModel()))
    {
        c.resetInputPort();
        c.resetOutputPort();
        updatePageVisibility();

        if (c.getDeviceModel() == 2 && c.isDeviceChosen() && c.isOutputOk())
            c.setBufferDelayEnabled (true);
    }

    c.ui.receiveBrowseLabel->setVisible (false);
    c.ui.receiveBeginLabel->setVisible (false);

    if (c.sendFile->isLoaded())
    {
        c.ui.fileField->setText (c.sendFile->getShownText(), false);
        c.ui.fileField->setTooltip (c.sendFile->getLinkText());
    }
    else
    {
        c.ui.fileField->clear();
        c.ui.fileField->setTooltip ({});
    }

    if (c.isDeviceChosen() && c.isInputOk() && c.isOutputOk() && c.firmwareOfferShown)
    {
        c.ui.firmwareTextLabel->setVisible (true);
        c.ui.firmwareLinkLabel->setVisible (true);
    }

    c.repaint();
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

    c.receiveFolder = path;
    c.setReceiveDirectory (path);
    c.receiveFolderChosen = true;
    c.ui.fileField->setText (path, true);
    c.updatePageVisibility();
}

bool ConsolePage::canTakeDrag (const juce::StringArray& files)
{
    // Only a full path names a folder.
    return ! files.isEmpty() && juce::File::isAbsolutePath (files[0]) && juce::File (files[0]).isDirectory();
}

void ConsolePage::receiveFolderDropped (const juce::StringArray& files, int x, int y)
{
    if (! canTakeDrag (files) || c.controlsLocked || ! SysExFileCheck::isInDropArea (x, y))
        return;

    if (DeviceRules::isLinkReady (c.getDeviceModel(), c.isInputOk(), c.isOutputOk(), true))
        setReceiveFolder (files[0]);
    else
        c.tell (Severity::info, "Choose the device and its MIDI ports before dropping a folder for the backups.");
}
