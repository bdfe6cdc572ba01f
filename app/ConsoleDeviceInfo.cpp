#include "ConsoleDeviceInfo.h"

#include "ConsolePortPickers.h"
#include "ConsoleWidgets.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "SendFile.h"
#include "MidiProcessing.h"
#include "SysExMessage.h"

namespace
{
// The LM6 is never asked its system information.
bool isLM6 (int model)
{
    return model == 5 || model == 10;
}
} // namespace

ConsoleDeviceInfo::ConsoleDeviceInfo (Console console)
    : c (std::move (console))
{
}

bool ConsoleDeviceInfo::bothPortsReady() const
{
    return c.choice.isOpen (ConsolePorts::Direction::input) && c.choice.isOpen (ConsolePorts::Direction::output);
}

bool ConsoleDeviceInfo::queryFirmwareVersion()
{
    if (! (bothPortsReady() && c.choice.isDeviceChosen()) || answered || c.queries.isVersionQueryRunning())
        return false;

    switch (c.queries.queryFirmwareVersion())
    {
        case DeviceQueries::Outcome::answered:
            answered = true;
            c.ui.connectedLabel->setText ("Connected (FW: " + c.queries.getFirmwareVersionText() + ")", juce::dontSendNotification);
            c.ui.connectedLabel->setVisible (true);
            return true;

        case DeviceQueries::Outcome::timedOutTooOften:
            c.deviceLost();
            return false;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            return false;
    }

    return false;
}

void ConsoleDeviceInfo::querySystemInfo()
{
    if (! (bothPortsReady() && c.choice.isDeviceChosen() && answered) || c.queries.isSysInfoQueryRunning())
        return;

    switch (c.queries.querySystemInfo())
    {
        case DeviceQueries::Outcome::answered:
            if (currentDeviceModel.load() != 16)
                c.queries.sendEditorDisconnect();
            break;

        case DeviceQueries::Outcome::timedOutTooOften:
            c.deviceLost();
            break;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            break;
    }
}

void ConsoleDeviceInfo::refreshDeviceInfo()
{
    if (c.queries.isVersionQueryRunning())
        return;

    c.queries.resetVersionTimeouts();

    if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
        querySystemInfo();

    if (answered)
        c.deviceAnswered();
}

void ConsoleDeviceInfo::pollDeviceInfo()
{
    const bool connected = c.isConnected();

    // A chosen port that is no longer there loses its mark; the choice stays and its port is
    // taken again when it comes back.
    c.ui.inputCheck->setVisible (c.choice.isPresent (ConsolePorts::Direction::input));
    c.ui.outputCheck->setVisible (c.choice.isPresent (ConsolePorts::Direction::output));

    if (connected)
    {
        if (bothPortsReady() && DeviceRules::needsBothPorts (c.choice.getDeviceModel())
            && ! answered && ! c.queries.isVersionQueryRunning())
        {
            if (! wasConnected)
                c.queries.resetVersionTimeouts();

            if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
                querySystemInfo();

            if (answered)
                c.deviceAnswered();
        }

        if (c.canStart())
            c.ui.transmitButton->setEnabled (true);
    }
    else
    {
        answered = false;
        c.ui.connectedLabel->setVisible (false);
        c.ui.firmwareTextLabel->setVisible (false);
        c.ui.firmwareLinkLabel->setVisible (false);
        c.ui.transmitButton->setEnabled (false);
    }

    wasConnected = connected;
}
