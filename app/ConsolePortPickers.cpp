#include "ConsolePortPickers.h"

#include "ConsoleWidgets.h"
#include "DeviceRules.h"
#include "SysExMessage.h"
#include "UserDialogs.h"

namespace
{
const char* const selectDeviceText = "Select Device";
const char* const selectInputText = "Select an Input Port";
const char* const selectOutputText = "Select an Output Port";

const juce::Colour greyThumb (0xff808080);
const juce::Colour blackThumb (0xff000000);

void setEnabledIf (juce::Component* component, bool enabled)
{
    if (component != nullptr)
        component->setEnabled (enabled);
}
} // namespace

ConsolePortPickers::ConsolePortPickers (Console console, MidiProcessing* link)
    : c (std::move (console)),
      ports (link),
      deviceModel ((std::uint8_t) DeviceRules::noModel)
{
}

juce::Component* ConsolePortPickers::selectorFor (Direction side) const
{
    return side == Direction::input ? (juce::Component*) c.ui.inputSelector.get() : c.ui.outputSelector.get();
}

juce::Label* ConsolePortPickers::labelFor (Direction side) const
{
    return side == Direction::input ? c.ui.inputPortLabel.get() : c.ui.outputPortLabel.get();
}

void ConsolePortPickers::reset() noexcept
{
    deviceModel = (std::uint8_t) DeviceRules::noModel;
    deviceChosen = false;
    ports.forget();
}

void ConsolePortPickers::setPortControlsEnabled (bool inputEnabled, bool outputEnabled)
{
    setEnabledIf (c.ui.inputSelector.get(), inputEnabled);
    setEnabledIf (c.ui.inputPortLabel.get(), inputEnabled);
    setEnabledIf (c.ui.outputSelector.get(), outputEnabled);
    setEnabledIf (c.ui.outputPortLabel.get(), outputEnabled);
}

void ConsolePortPickers::showPortPresence()
{
    for (auto side : ConsolePorts::directions)
    {
        const auto& name = ports.getChosenName (side);

        if (ports.isOpen (side) && name.isNotEmpty())
            labelFor (side)->setText (ports.isPresent (side) ? name : juce::String (side == Direction::input ? selectInputText : selectOutputText),
                                      juce::dontSendNotification);
    }
}

void ConsolePortPickers::showDeviceMenu()
{
    const auto modifiers = c.dialogs.currentModifiers();
    deviceMenu.clear();

    for (const auto& entry : DeviceRules::deviceMenuEntries())
        deviceMenu.addItem (entry.id, entry.text);

    if (DeviceRules::offersUtility (c.isReceivePage(), modifiers.isCtrlDown()))
    {
        deviceMenu.addSeparator();
        deviceMenu.addItem (DeviceRules::utilityModel, "Utility");
    }

    const int result = c.dialogs.showMenu (deviceMenu, c.ui.deviceSelector.get());

    if (result != 0)
        chooseDevice (result);
}

void ConsolePortPickers::chooseDevice (int model)
{
    const auto text = DeviceRules::menuTextForModel (model);

    if (text.isEmpty())
        return;

    deviceModel = (std::uint8_t) model;
    currentDeviceModel = (juce::uint8) model;
    deviceChosen = true;
    c.deviceChanged();
    c.ui.deviceLabel->setText (text, juce::dontSendNotification);
    c.ui.checkMark->setVisible (true);
    resetPorts();

    if (DeviceRules::needsBothPorts (model))
    {
        autoSelectPort (Direction::input);
        autoSelectPort (Direction::output);
        c.devicePortsChosen (model);
    }
    else
    {
        c.pageChanged();
    }

    updateBufferDelay();
    setBufferDelayEnabled (false);
    c.pageChanged();
}

void ConsolePortPickers::showPortMenu (Direction side)
{
    const auto& menu = ports.buildMenu (side);

    // Without any port the picker says why, for a program started from a menu has no terminal
    // to read the system's complaint in.
    const auto reason = ports.getNoPortsReason (side);

    if (auto* selector = dynamic_cast<juce::SettableTooltipClient*> (selectorFor (side)))
        selector->setTooltip (reason);

    if (auto* label = labelFor (side))
        label->setTooltip (reason);

    const int result = c.dialogs.showMenu (menu, selectorFor (side));

    if (result == 0)
        return;

    // Another port: what answered on the last one no longer holds.
    c.deviceChanged();

    const auto text = ConsolePorts::nameFromMenu (result, menu);
    labelFor (side)->setText (text, juce::dontSendNotification);
    openPort (side, text, result - 1);
    updateBufferDelayAfterPortChoice (text);
}

void ConsolePortPickers::autoSelectPort (Direction side)
{
    const int index = ports.findDevicePort (side, deviceModel);

    if (index >= 0)
        openPort (side, ports.getNames (side)[index], index);
}

bool ConsolePortPickers::openPort (Direction side, const juce::String& name, int menuIndex)
{
    auto& label = *labelFor (side);
    const auto prompt = side == Direction::input ? selectInputText : selectOutputText;
    bool closed = false;

    if (name != ConsolePorts::noPortText)
    {
        // A side that failed is given up entirely and goes back to its prompt.
        label.setText (ports.open (side, name, menuIndex) ? name : juce::String (prompt), juce::dontSendNotification);
    }
    else
    {
        closed = ports.close (side);
        // The picker goes back to its prompt: "<< none >>" is a choice, not a port.
        label.setText (prompt, juce::dontSendNotification);
    }

    // The other side of a one-port model keeps working.
    openLinkForModel();
    c.pageChanged();
    return closed;
}

bool ConsolePortPickers::resetPort (Direction side)
{
    const bool closed = ports.close (side);
    c.portsChanged();
    const bool receivePage = c.isReceivePage();

    labelFor (side)->setText (side == Direction::input ? DeviceRules::inputLabelAfterReset (deviceModel, receivePage)
                                                       : DeviceRules::outputLabelAfterReset (deviceModel, receivePage),
                              juce::dontSendNotification);
    return closed;
}

bool ConsolePortPickers::resetPorts()
{
    const bool input = resetPort (Direction::input);
    const bool output = resetPort (Direction::output);
    return input && output;
}

bool ConsolePortPickers::openLinkForModel()
{
    // The port choice changed: a sleeping device poll looks again.
    c.portsChanged();
    return ports.handToLink (deviceModel);
}

void ConsolePortPickers::updateBufferDelay()
{
    const auto delay = DeviceRules::bufferDelayFor (deviceModel, c.isReceivePage());

    if (! delay.has_value())
        return;

    c.ui.bufferDelaySlider->setValue (delay->milliseconds, juce::sendNotificationAsync);
    c.ui.bufferDelaySlider->setVisible (delay->shown);
    c.ui.bufferDelayLabel->setVisible (delay->shown);
    c.ui.bufferDelaySlider->setColour (juce::Slider::thumbColourId, delay->shown ? blackThumb : greyThumb);
}

void ConsolePortPickers::updateBufferDelayAfterPortChoice (const juce::String& choice)
{
    if (choice != ConsolePorts::noPortText)
    {
        updateBufferDelay();
        return;
    }

    // Without the port the device needs, the delay has nothing to pace.
    if (! DeviceRules::isLinkReady (deviceModel, isOpen (Direction::input), isOpen (Direction::output), c.isReceivePage()))
        setBufferDelayEnabled (false);
}

void ConsolePortPickers::setBufferDelayEnabled (bool shown)
{
    if (c.ui.bufferDelaySlider == nullptr || c.ui.bufferDelayLabel == nullptr)
        return;

    c.ui.bufferDelaySlider->setVisible (shown);
    c.ui.bufferDelaySlider->setColour (juce::Slider::thumbColourId, shown ? blackThumb : greyThumb);
    c.ui.bufferDelayLabel->setVisible (shown);

    if (! shown)
        c.ui.bufferDelaySlider->setValue (0.0, juce::sendNotificationAsync);
}

void ConsolePortPickers::onDeviceLost()
{
    deviceModel = (std::uint8_t) DeviceRules::lostModel;
    deviceChosen = false;
    c.deviceChanged();
    resetPort (Direction::input);
    resetPort (Direction::output);
    c.ui.deviceLabel->setText (selectDeviceText, juce::dontSendNotification);
    c.ui.checkMark->setVisible (false);
    c.ui.inputPortLabel->setText (selectInputText, juce::dontSendNotification);
    c.ui.outputPortLabel->setText (selectOutputText, juce::dontSendNotification);
    c.pageChanged();
}

void ConsolePortPickers::forgetDevice()
{
    c.ui.deviceLabel->setText (selectDeviceText, juce::dontSendNotification);
    c.ui.checkMark->setVisible (false);
    deviceModel = (std::uint8_t) DeviceRules::lostModel;
    deviceChosen = false;
    resetPorts();
}
