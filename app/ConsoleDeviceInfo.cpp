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
            c.pageChanged();
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
    }
    else
    {
        dropAnswer();
    }

    wasConnected = connected;

    // A chosen port that is no longer there loses its mark, and the controls that need the
    // device follow; the choice stays and its port is taken again when it comes back.
    c.pageChanged();
}

void ConsoleDeviceInfo::deviceGone()
{
    wasConnected = false;
    dropAnswer();
    c.pageChanged();
}

void ConsoleDeviceInfo::dropAnswer()
{
    // Whatever answers when the ports are reached again is asked anew.
    answered = false;
    c.ui.firmwareTextLabel->setVisible (false);
    c.ui.firmwareLinkLabel->setVisible (false);
}
