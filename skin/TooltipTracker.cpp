#include "TooltipTracker.h"

TooltipTracker::TooltipTracker (int millisecondsBeforeTipAppears)
    : delayMs (juce::jmax (0, millisecondsBeforeTipAppears))
{
}

TooltipTracker::Action TooltipTracker::look (const Look& seen)
{
    const auto moved = ! looked || seen.position != lastPosition;
    const auto movedQuickly = ! looked || seen.position.getDistanceFrom (lastPosition) > quickMovePixels;
    const auto tipChanged = seen.tip != lastTip || seen.target != lastTarget;

    looked = true;
    lastPosition = seen.position;
    lastTarget = seen.target;
    lastTip = seen.tip;

    if (tipChanged || dismissed || movedQuickly)
        lastChangeMs = seen.nowMs;

    auto action = Action::none;
    const auto recentlyHidden = hiddenOnce && seen.nowMs - lastHideMs < recentlyHiddenMs;

    if (showing || recentlyHidden)
    {
        // A tip shows, or has only just gone: follow the mouse at once.
        if (seen.target == nullptr || dismissed || seen.tip.isEmpty())
            action = hide (seen.nowMs);
        else if (tipChanged && ! seen.pressedHere)
            action = Action::show;
    }
    else if (seen.tip.isNotEmpty() && seen.tip != tipShowing && ! seen.pressedHere
             && seen.nowMs - lastChangeMs > (juce::uint32) delayMs)
    {
        action = Action::show;
    }

    if (action == Action::show)
    {
        tipShowing = seen.tip;
        showing = true;
        dismissed = false;
    }

    movedAtLastLook = moved;
    tipWaiting = ! showing && seen.tip.isNotEmpty() && ! seen.pressedHere;
    return action;
}

void TooltipTracker::dismiss() noexcept
{
    if (showing)
        dismissed = true;
}

TooltipTracker::Action TooltipTracker::hideNow (juce::uint32 nowMs)
{
    return hide (nowMs);
}

TooltipTracker::Action TooltipTracker::hide (juce::uint32 nowMs)
{
    if (! showing)
        return Action::none;

    tipShowing = {};
    showing = false;
    dismissed = false;
    hiddenOnce = true;
    lastHideMs = nowMs;
    return Action::hide;
}
