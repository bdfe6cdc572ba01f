#include "ConsoleDeviceInfo.h"

#include "MorvaneDialog.h"
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

ConsoleDeviceInfo::ConsoleDeviceInfo (MorvaneDialog& console)
    : c (console)
{
}

bool ConsoleDeviceInfo::queryFirmwareVersion()
{
    if (! (c.isInputOk() && c.isOutputOk() && c.isDeviceChosen()) || c.deviceAnswered || c.queries->isVersionQueryRunning())
        return false;

    switch (c.queries->queryFirmwareVersion())
    {
        case DeviceQueries::Outcome::answered:
            c.deviceAnswered = true;
            c.ui.connectedLabel->setText ("Connected (FW: " + c.queries->getFirmwareVersionText() + ")", juce::dontSendNotification);
            c.ui.connectedLabel->setVisible (true);
            return true;

        case DeviceQueries::Outcome::timedOutTooOften:
            c.onDeviceLost();
            return false;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            return false;
    }

    return false;
}

void ConsoleDeviceInfo::querySystemInfo()
{
    if (! (c.isInputOk() && c.isOutputOk() && c.isDeviceChosen() && c.deviceAnswered) || c.queries->isSysInfoQueryRunning())
        return;

    switch (c.queries->querySystemInfo())
    {
        case DeviceQueries::Outcome::answered:
            if (currentDeviceModel.load() != 16)
                c.queries->sendEditorDisconnect();
            break;

        case DeviceQueries::Outcome::timedOutTooOften:
            c.onDeviceLost();
            break;

        case DeviceQueries::Outcome::otherReply:
        case DeviceQueries::Outcome::timedOut:
            break;
    }
}

void ConsoleDeviceInfo::refreshDeviceInfo()
{
    if (c.queries->isVersionQueryRunning())
        return;

    c.queries->resetVersionTimeouts();

    if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
        querySystemInfo();

    if (c.deviceAnswered)
        c.firmwareOffered = c.updateFirmwareLink();
}

void ConsoleDeviceInfo::pollDeviceInfo()
{
    const bool connected = c.isConnectedForModel();

    c.ui.inputCheck->setVisible (c.isInputOk());
    c.ui.outputCheck->setVisible (c.isOutputOk());

    if (connected)
    {
        if (c.isInputOk() && c.isOutputOk() && DeviceRules::needsBothPorts (c.getDeviceModel())
            && ! c.deviceAnswered && ! c.queries->isVersionQueryRunning())
        {
            if (! c.wasConnected)
                c.queries->resetVersionTimeouts();

            if (queryFirmwareVersion() && ! isLM6 (currentDeviceModel.load()))
                querySystemInfo();

            if (c.deviceAnswered)
                c.firmwareOffered = c.updateFirmwareLink();
        }

        const bool canStart = c.receiveMode == 1 ? c.receiveFolderChosen : c.sendFile->isLoaded();

        if (canStart)
        {
            c.ui.transmitButton->setEnabled (true);
            c.ui.cancelButton->setEnabled (true);
        }
    }
    else
    {
        c.deviceAnswered = false;
        c.ui.connectedLabel->setVisible (false);
        c.ui.firmwareTextLabel->setVisible (false);
        c.ui.firmwareLinkLabel->setVisible (false);
        c.ui.transmitButton->setEnabled (false);
        c.ui.cancelButton->setEnabled (false);
    }

    c.wasConnected = connected;
}
