#pragma once

#include "ConsolePorts.h"

#include <cstdint>
#include <functional>

struct ConsoleWidgets;
class UserDialogs;

/** The console's device and port pickers over the ports model: the device menu and the chosen
    device, the input and output port menus and their labels, the automatic choice of the
    device's own ports by name, and the MIDI Buffer Delay that goes with the model and port. When
    the system lists no port, the port picker's tooltip says why.

    It tells the console through the calls it is given. Message thread only.
*/
class ConsolePortPickers
{
public:
    using Direction = ConsolePorts::Direction;

    /** What the pickers work on and tell. */
    struct Console
    {
        ConsoleWidgets& ui;
        UserDialogs& dialogs;
        std::function<bool()> isReceivePage;
        /** The port choice changed: a sleeping device poll looks again. */
        std::function<void()> portsChanged;
        /** The page's controls follow the device and port choice. */
        std::function<void()> pageChanged;
        /** The device choice changed (a model, or none) or the user picked a port: what the last
            device answered no longer holds.
        */
        std::function<void()> deviceChanged;
        /** A device that needs both ports has had them chosen by name. */
        std::function<void (int model)> devicePortsChosen;
    };

    ConsolePortPickers (Console console, MidiProcessing* link);

    void showDeviceMenu();
    /** Chooses a device as the device menu would (the model code of a menu item). */
    void chooseDevice (int model);
    void showPortMenu (Direction side);
    /** Opens the named port ("<< none >>" gives the side up); true when a port was closed. */
    bool openPort (Direction side, const juce::String& name, int menuIndex = -1);
    /** Gives the side up and shows the model's prompt; true when a port was closed. */
    bool resetPort (Direction side);
    bool resetPorts();
    /** Forgets the device after it stopped answering. */
    void onDeviceLost();
    /** Forgets the device choice (the receive page cannot use the Utility). */
    void forgetDevice();
    /** Back to no device and no port, without touching the link or the widgets. */
    void reset() noexcept;

    void setPortControlsEnabled (bool inputEnabled, bool outputEnabled);

    /** A chosen port that is no longer listed gives its picker back to the prompt; the choice
        stays, so that the link takes the port again by its name when it comes back, and the
        picker shows the name again then.
    */
    void showPortPresence();
    void setBufferDelayEnabled (bool shown);

    int getDeviceModel() const noexcept { return deviceModel; }
    bool isDeviceChosen() const noexcept { return deviceChosen; }
    bool isOpen (Direction side) const noexcept { return ports.isOpen (side); }

    /** The side's chosen port is open and still listed (the lists are refreshed every 2000 ms). */
    bool isPresent (Direction side) const { return ports.isPresent (side); }
    ConsolePorts& getPorts() noexcept { return ports; }

private:
    void autoSelectPort (Direction side);
    bool openLinkForModel();
    void updateBufferDelay();
    void updateBufferDelayAfterPortChoice (const juce::String& choice);
    juce::Component* selectorFor (Direction side) const;
    juce::Label* labelFor (Direction side) const;

    Console c;
    ConsolePorts ports;
    juce::PopupMenu deviceMenu;
    std::uint8_t deviceModel;
    bool deviceChosen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePortPickers)
};
