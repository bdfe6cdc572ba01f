#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** What the console asks a connected device and shows of it: the firmware version and system
    information once per connection (with the firmware offer that follows), and the device poll
    that watches the connection. The exchanges themselves are DeviceQueries'.
*/
class ConsoleDeviceInfo
{
public:
    explicit ConsoleDeviceInfo (MorvaneDialog& console);

    bool queryFirmwareVersion();
    void querySystemInfo();
    void refreshDeviceInfo();
    void pollDeviceInfo();

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleDeviceInfo)
};
