#include "WindowPlaceKeeper.h"

namespace
{
constexpr int mostTimesAsked = 5;   // a window manager that will not have it is left alone
}

WindowPlaceKeeper::WindowPlaceKeeper (juce::Component& windowToKeep, juce::Point<int> placeToKeep)
    : window (&windowToKeep), place (placeToKeep)
{
    startTimer (20);
}

void WindowPlaceKeeper::timerCallback()
{
    const auto now = juce::Time::getMillisecondCounterHiRes();
    const auto userActed = juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown()
                        || juce::ModifierKeys::currentModifiers.isAnyModifierKeyDown();

    if (window == nullptr || userActed || timesAsked >= mostTimesAsked || (shownAt > 0.0 && now - shownAt > keepForMs))
    {
        stopTimer();
        return;
    }

    if (! window->isShowing() || window->getPeer() == nullptr)
        return;

    if (shownAt == 0.0)
        shownAt = now;

    // Only the corner that a busy window manager falls back to is taken back: any other place
    // is one that someone chose (a move by the user or by a test).
    const auto position = window->getScreenPosition();
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (window->getScreenBounds());
    const auto corner = display != nullptr ? display->userArea.getTopLeft() : juce::Point<int>();

    if (position != place && (position == corner || position == juce::Point<int>()))
    {
        window->setTopLeftPosition (place);
        ++timesAsked;
    }
}
