#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** The console's device and port choice: the device menu, the input and output port menus built
    from the link's lists, the automatic choice of the device's own ports by name, opening and
    giving up a port and handing the open ports to the link worker, and the MIDI Buffer Delay
    that goes with the model and port. The console shows what this chooses.
*/
class ConsolePorts
{
public:
    explicit ConsolePorts (MorvaneDialog& console);

    void setPortControlsEnabled (bool inputEnabled, bool outputEnabled);
    void showDeviceMenu();
    void chooseDevice (int model);
    void buildInputPortMenu();
    void buildOutputPortMenu();
    static juce::String portNameFromMenu (int itemId, const juce::PopupMenu& menu);
    void showInputPortMenu();
    void showOutputPortMenu();
    void autoSelectInputPort();
    void autoSelectOutputPort();
    bool openInputPort (const juce::String& name);
    bool openOutputPort (const juce::String& name);
    bool openPort (bool input, const juce::String& name, int menuIndex);
    bool resetPort (bool input);
    bool resetInputPort();
    bool resetOutputPort();
    bool resetPorts();
    bool openLinkForModel();
    void updateBufferDelay();
    void updateBufferDelayAfterPortChoice (const juce::String& choice);
    void setBufferDelayEnabled (bool shown);
    void onDeviceLost();

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePorts)
};
