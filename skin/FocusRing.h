#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The ring that marks the control holding the keyboard focus: a rounded outline in the colour
    that the skin's menus mark their chosen item with, drawn over the window around the control.
    It never takes the mouse or the focus. Add it to the component that holds the controls (or
    one of their parents); message thread only.
*/
class FocusRing : public juce::Component
{
public:
    FocusRing();

    /** Puts the ring around the control (a child of the ring's parent at any depth) and shows it;
        null, or a control outside the parent, hides it.
    */
    void mark (juce::Component* control);

    /** The control that the ring shows around; null while it is hidden. */
    juce::Component* getMarked() const noexcept;

    void paint (juce::Graphics& g) override;

private:
    juce::Component::SafePointer<juce::Component> marked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FocusRing)
};
