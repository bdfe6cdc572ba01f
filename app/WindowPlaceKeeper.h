#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Keeps the main window where the program put it (its stored place, or centred on the first
    start) while the window manager takes it on.

    A busy window manager may map a new window before it has heard where the program put it and
    then place it by its own rules (seen with a loaded machine: the screen's top-left corner).
    For two seconds after the window first shows, while it is seen in that corner, this asks
    again for its place (a few times at most). Any other place is left alone, and it stops at
    once when the user presses a mouse button or a modifier key, so a window that the user moves
    stays where it was moved.
*/
class WindowPlaceKeeper : private juce::Timer
{
public:
    /** Keeps the window's top-left corner at the given screen position. */
    WindowPlaceKeeper (juce::Component& window, juce::Point<int> place);

    /** How long the place is kept once the window shows. */
    static constexpr double keepForMs = 2000.0;

private:
    void timerCallback() override;

    juce::Component::SafePointer<juce::Component> window;
    const juce::Point<int> place;
    double shownAt = 0.0;
    int timesAsked = 0;

    JUCE_DECLARE_NON_COPYABLE (WindowPlaceKeeper)
};
