#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class ConsolePortPickers;
class DeviceQueries;
struct ConsoleWidgets;

/** What the console asks a connected device and shows of it: the firmware version and system
    information once per connection (with the firmware offer that follows), and the device poll
    that watches the connection and shows its marks. The exchanges themselves are DeviceQueries'.

    Message thread only.
*/
class ConsoleDeviceInfo
{
public:
    /** What the device information works on and tells. */
    struct Console
    {
        ConsoleWidgets& ui;
        DeviceQueries& queries;
        /** The chosen device and its open ports. */
        const ConsolePortPickers& choice;
        /** Whether the link reaches the ports the model needs on this page, and they are listed. */
        std::function<bool()> isConnected;
        /** The answer or the connection changed: the page's controls follow. */
        std::function<void()> pageChanged;
        /** The device stopped answering. */
        std::function<void()> deviceLost;
        /** The device answered: the firmware offer may follow. */
        std::function<void()> deviceAnswered;
    };

    explicit ConsoleDeviceInfo (Console console);

    /** Asks a connected device that has not answered yet for its firmware version; true when it
        was read ("Connected (FW: ...)" is shown). The fourth time-out in a row forgets the device.
    */
    bool queryFirmwareVersion();
    void querySystemInfo();
    /** Asks the version and system information again (after a device choice). */
    void refreshDeviceInfo();
    /** One look at the connection: the port marks, the first questions to a newly connected
        device, and the controls that need it.
    */
    void pollDeviceInfo();

    /** Whether the chosen device has told its firmware version since it was chosen. */
    bool hasAnswered() const noexcept { return answered; }
    /** The device choice changed: what the last device answered no longer holds. */
    void forgetAnswer() noexcept { answered = false; }
    /** What the last poll found. */
    bool isConnected() const noexcept { return wasConnected; }

    /** A road found the device gone: it no longer counts as connected, at once, and is asked
        again once its ports are reached again.
    */
    void deviceGone();

private:
    bool bothPortsReady() const;
    void dropAnswer();

    Console c;
    bool answered = false, wasConnected = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleDeviceInfo)
};
