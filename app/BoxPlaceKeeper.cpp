#include "BoxPlaceKeeper.h"

namespace
{
constexpr double giveUpAfterMs = 2000.0;
constexpr int mostTimesAsked = 5;   // a window manager that will not have it is left alone
}

BoxPlaceKeeper::BoxPlaceKeeper (juce::Component* ownerWindow)
    : owner (ownerWindow), started (juce::Time::getMillisecondCounterHiRes())
{
    if (ownerWindow != nullptr)
        startTimer (20);
}

void BoxPlaceKeeper::timerCallback()
{
    if (owner == nullptr || juce::Time::getMillisecondCounterHiRes() - started > giveUpAfterMs
        || juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown() || timesAsked >= mostTimesAsked)
    {
        stopTimer();
        return;
    }

    auto* alert = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());

    if (alert == nullptr || ! alert->isShowing() || alert->getPeer() == nullptr)
        return;

    if (box == nullptr)
        box = alert;
    else if (box != alert)
        return;

    // Where the box was put: centred on the owner, kept inside the owner's screen. The window
    // manager's own placement may reach the framework a moment after the box shows, so the box
    // is looked at until the end, not only until it is first seen in its place.
    const auto before = alert->getBounds();
    alert->centreAroundComponent (owner.getComponent(), before.getWidth(), before.getHeight());

    if (alert->getBounds() != before)
        ++timesAsked;
}
