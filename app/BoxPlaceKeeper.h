#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Keeps a modal message box centred on its owner window while the window manager takes it on.

    A busy window manager may take a new box on before it has heard where Morvane put it and then
    place it by its own rules (seen with a loaded machine: the box in the screen's top-left
    corner, away from the window it belongs to). While it lives, this looks at the modal box
    every few milliseconds, and while the box is seen elsewhere than over the owner it asks again
    for the box's place (a few times at most). It stops once the user presses a mouse button and
    after two seconds, so a box that the user moves stays where it was moved.
*/
class BoxPlaceKeeper : private juce::Timer
{
public:
    /** Keeps the boxes shown while it lives centred on the owner (nothing when it is null). */
    explicit BoxPlaceKeeper (juce::Component* ownerWindow);

private:
    void timerCallback() override;

    juce::Component::SafePointer<juce::Component> owner;
    juce::Component::SafePointer<juce::Component> box;
    double started = 0.0;
    int timesAsked = 0;

    JUCE_DECLARE_NON_COPYABLE (BoxPlaceKeeper)
};
