#include "ConsolePorts.h"

#include "MorvaneDialog.h"
#include "DeviceRules.h"
#include "SendFile.h"
#include "MidiProcessing.h"
#include "SysExMessage.h"
#include "UserDialogs.h"

namespace
{
const char* const noPortText = "<< none >>";
const char* const noPortsFoundText = "No MIDI ports were found";
const char* const selectDeviceText = "Select Device";
const char* const selectInputText = "Select an Input Port";
const char* const selectOutputText = "Select an Output Port";

const juce::Colour greyThumb (0xff808080);
const juce::Colour blackThumb (0xff000000);
} // namespace

ConsolePorts::ConsolePorts (MorvaneDialog& console)
    : c (console)
{
}

void ConsolePorts::setPortControlsEnabled (bool inputEnabled, bool outputEnabled)
{
    c.setEnabledIf (c.ui.inputSelector.get(), inputEnabled);
    c.setEnabledIf (c.ui.inputPortLabel.get(), inputEnabled);
    c.setEnabledIf (c.ui.outputSelector.get(), outputEnabled);
    c.setEnabledIf (c.ui.outputPortLabel.get(), outputEnabled);
}

void ConsolePorts::showDeviceMenu()
{
    const auto modifiers = c.dialogs.currentModifiers();
    c.deviceMenu.clear();

    for (const auto& entry : DeviceRules::deviceMenuEntries())
        c.deviceMenu.addItem (entry.id, entry.text);

    if (DeviceRules::offersUtility (c.receiveMode == 1, modifiers.isCtrlDown()))
    {
        c.deviceMenu.addSeparator();
        c.deviceMenu.addItem (DeviceRules::utilityModel, "Utility");
    }

    const int result = c.dialogs.showMenu (c.deviceMenu, c.ui.deviceSelector.get());

    if (result != 0)
        chooseDevice (result);
}

void ConsolePorts::chooseDevice (int model)
{
    const auto text = DeviceRules::menuTextForModel (model);

    if (text.isEmpty())
        return;

    c.deviceModel = (std::uint8_t) model;
    currentDeviceModel = (juce::uint8) model;
    c.deviceAnswered = false;
    c.deviceChosen = true;
    c.ui.deviceLabel->setText (text, juce::dontSendNotification);
    c.ui.checkMark->setVisible (true);
    resetPorts();

    if (DeviceRules::needsBothPorts (model))
    {
        autoSelectInputPort();
        autoSelectOutputPort();
        // An Orvix II checks the loaded file again for itself; the others check it at BEGIN.
        if (model == 3 && c.sendFile->isLoaded() && c.sendFile->getPath().isNotEmpty())
            c.chooseFileToSend (juce::File (c.sendFile->getPath()));

        c.refreshDeviceInfo();
    }
    else
    {
        c.updatePageVisibility();
    }

    updateBufferDelay();
    setBufferDelayEnabled (false);
    c.updatePageVisibility();
}

void ConsolePorts::buildInputPortMenu()
{
    c.inputPortMenu.clear();
    c.inputPortMenu.addItem (-1, noPortText);
    c.inputPortMenu.addSeparator();
    c.inputPortNames.clear();

    if (c.link != nullptr)
        c.link->getInputDeviceNames (c.inputPortNames);

    for (int i = 0; i < c.inputPortNames.size(); ++i)
        c.inputPortMenu.addColouredItem (i + 1, c.inputPortNames[i], juce::Colours::black);

    if (c.inputPortNames.isEmpty())
        c.inputPortMenu.addSectionHeader (noPortsFoundText);
}

void ConsolePorts::buildOutputPortMenu()
{
    c.outputPortMenu.clear();
    c.outputPortMenu.addItem (-1, noPortText);
    c.outputPortMenu.addSeparator();
    c.outputPortNames.clear();

    if (c.link != nullptr)
        c.link->getOutputDeviceNames (c.outputPortNames);

    for (int i = 0; i < c.outputPortNames.size(); ++i)
        c.outputPortMenu.addColouredItem (i + 1, c.outputPortNames[i], juce::Colours::black);

    if (c.outputPortNames.isEmpty())
        c.outputPortMenu.addSectionHeader (noPortsFoundText);
}

juce::String ConsolePorts::portNameFromMenu (int itemId, const juce::PopupMenu& menu)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();

        if (! item.isSeparator && item.itemID == itemId)
            return item.text;
    }

    return {};
}

void ConsolePorts::showInputPortMenu()
{
    buildInputPortMenu();
    const int result = c.dialogs.showMenu (c.inputPortMenu, c.ui.inputSelector.get());

    if (result == 0)
        return;

    const auto text = portNameFromMenu (result, c.inputPortMenu);
    c.ui.inputPortLabel->setText (text, juce::dontSendNotification);
    openPort (true, text, result - 1);
    updateBufferDelayAfterPortChoice (text);
}

void ConsolePorts::showOutputPortMenu()
{
    buildOutputPortMenu();
    const int result = c.dialogs.showMenu (c.outputPortMenu, c.ui.outputSelector.get());

    if (result == 0)
        return;

    const auto text = portNameFromMenu (result, c.outputPortMenu);
    c.ui.outputPortLabel->setText (text, juce::dontSendNotification);
    openPort (false, text, result - 1);
    updateBufferDelayAfterPortChoice (text);
}

void ConsolePorts::autoSelectInputPort()
{
    const auto pattern = DeviceRules::portPattern (currentDeviceModel.load());
    buildInputPortMenu();
    const int index = DeviceRules::findPortByPattern (c.inputPortNames, pattern);

    if (index >= 0)
        openPort (true, c.inputPortNames[index], index);
}

void ConsolePorts::autoSelectOutputPort()
{
    const auto pattern = DeviceRules::portPattern (currentDeviceModel.load());
    buildOutputPortMenu();
    const int index = DeviceRules::findPortByPattern (c.outputPortNames, pattern);

    if (index >= 0)
        openPort (false, c.outputPortNames[index], index);
}

bool ConsolePorts::openInputPort (const juce::String& name)
{
    return openPort (true, name, -1);
}

bool ConsolePorts::openOutputPort (const juce::String& name)
{
    return openPort (false, name, -1);
}

bool ConsolePorts::openPort (bool input, const juce::String& name, int menuIndex)
{
    auto& label = input ? *c.ui.inputPortLabel : *c.ui.outputPortLabel;
    auto& ok = input ? c.inputPortOk : c.outputPortOk;
    bool closed = false;

    if (name != noPortText)
    {
        bool opened = false;

        if (c.link != nullptr)
        {
            auto& ports = c.link->getPortManager();
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
            if (c.link != nullptr)
                input ? c.link->closeInputPort() : c.link->closeOutputPort();

            ok = false;
            label.setText (input ? selectInputText : selectOutputText, juce::dontSendNotification);
            openLinkForModel();
        }
    }
    else
    {
        if (c.link != nullptr)
            closed = input ? c.link->closeInputPort() : c.link->closeOutputPort();

        ok = false;
        // The picker goes back to its prompt: "<< none >>" is a choice, not a port.
        label.setText (input ? selectInputText : selectOutputText, juce::dontSendNotification);
        // The other side of a one-port model keeps working.
        openLinkForModel();
    }

    c.updatePageVisibility();
    return closed;
}

bool ConsolePorts::resetPort (bool input)
{
    bool closed = false;

    if (c.link != nullptr)
        closed = input ? c.link->closeInputPort() : c.link->closeOutputPort();

    c.wakeDevicePoll();
    const bool receivePage = c.receiveMode == 1;

    if (input)
    {
        c.inputPortOk = false;
        c.ui.inputPortLabel->setText (DeviceRules::inputLabelAfterReset (c.deviceModel, receivePage), juce::dontSendNotification);
    }
    else
    {
        c.outputPortOk = false;
        c.ui.outputPortLabel->setText (DeviceRules::outputLabelAfterReset (c.deviceModel, receivePage), juce::dontSendNotification);
    }

    return closed;
}

bool ConsolePorts::resetInputPort()  { return resetPort (true); }

bool ConsolePorts::resetOutputPort() { return resetPort (false); }

bool ConsolePorts::resetPorts()
{
    const bool input = resetInputPort();
    const bool output = resetOutputPort();
    return input && output;
}

bool ConsolePorts::openLinkForModel()
{
    // The port choice changed: a sleeping device poll looks again.
    c.wakeDevicePoll();

    if (c.link == nullptr)
        return false;

    if (const auto sides = DeviceRules::linkSidesFor (c.deviceModel, c.inputPortOk, c.outputPortOk))
        return c.link->openDevices (sides->input, sides->output);

    return false;
}

void ConsolePorts::updateBufferDelay()
{
    const auto delay = DeviceRules::bufferDelayFor (c.deviceModel, c.receiveMode == 1);

    if (! delay.has_value())
        return;

    c.ui.bufferDelaySlider->setValue (delay->milliseconds, juce::sendNotificationAsync);
    c.ui.bufferDelaySlider->setVisible (delay->shown);
    c.ui.bufferDelayLabel->setVisible (delay->shown);
    c.ui.bufferDelaySlider->setColour (juce::Slider::thumbColourId, delay->shown ? blackThumb : greyThumb);
}

void ConsolePorts::updateBufferDelayAfterPortChoice (const juce::String& choice)
{
    if (choice != noPortText)
    {
        updateBufferDelay();
        return;
    }

    // Without the port the device needs, the delay has nothing to pace.
    if (! DeviceRules::isLinkReady (c.deviceModel, c.inputPortOk, c.outputPortOk, c.receiveMode == 1))
        setBufferDelayEnabled (false);
}

void ConsolePorts::setBufferDelayEnabled (bool shown)
{
    if (c.ui.bufferDelaySlider == nullptr || c.ui.bufferDelayLabel == nullptr)
        return;

    if (shown)
    {
        c.ui.bufferDelaySlider->setVisible (true);
        c.ui.bufferDelaySlider->setColour (juce::Slider::thumbColourId, blackThumb);
        c.ui.bufferDelayLabel->setVisible (true);
    }
    else
    {
        c.ui.bufferDelaySlider->setVisible (false);
        c.ui.bufferDelaySlider->setColour (juce::Slider::thumbColourId, greyThumb);
        c.ui.bufferDelaySlider->setValue (0.0, juce::sendNotificationAsync);
        c.ui.bufferDelayLabel->setVisible (false);
    }
}

void ConsolePorts::onDeviceLost()
{
    c.deviceModel = DeviceRules::lostModel;
    c.deviceChosen = false;
    c.deviceAnswered = false;
    resetInputPort();
    resetOutputPort();
    c.ui.deviceLabel->setText (selectDeviceText, juce::dontSendNotification);
    c.ui.checkMark->setVisible (false);
    c.ui.inputPortLabel->setText (selectInputText, juce::dontSendNotification);
    c.ui.outputPortLabel->setText (selectOutputText, juce::dontSendNotification);
    c.updatePageVisibility();
}
