#include "ConsoleState.h"

#include "DeviceRules.h"
#include "TransferReport.h"

bool ConsoleState::mustAnswer (int model) noexcept
{
    return DeviceRules::needsBothPorts (model);
}

bool ConsoleState::isConnected (const Link& link, bool receivePage) noexcept
{
    return link.deviceChosen
        && DeviceRules::isLinkReady (link.model, link.inputOpen, link.outputOpen, receivePage)
        && link.reached
        && (link.answered || ! mustAnswer (link.model));
}

ConsoleState::Controls ConsoleState::controlsFor (const Link& link, const Page& page) noexcept
{
    Controls controls;
    controls.connected = isConnected (link, page.receivePage);
    controls.browse = controls.connected && ! page.locked;
    controls.begin = controls.browse && page.hasWhatBeginNeeds;
    return controls;
}

ConsoleState::Shown ConsoleState::showEnding (const TransferEnding& ending)
{
    Shown shown;
    shown.line = ending.line;

    if (ending.kind == TransferEnding::Kind::complete)
    {
        shown.bar = 1.0;
        shown.tick = true;
    }
    else if (ending.toldAsPercent)
    {
        shown.bar = TransferReport::shownPercent (ending.progress, false) / 100.0;
    }

    return shown;
}

double ConsoleState::barWhileRunning (double fraction) noexcept
{
    return TransferReport::shownPercent (fraction, false) / 100.0;
}
